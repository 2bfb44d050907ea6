#pragma once
// What the fuzz targets share: a failed property stops the process at once, with a line
// saying which property failed, so libFuzzer (or the replay driver) reports the input.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace kolmarin::fuzz {

[[noreturn]] inline void fail(std::string_view what) {
    std::fprintf(stderr, "property failed: %.*s\n", static_cast<int>(what.size()), what.data());
    std::fflush(stderr);
    std::abort();
}

inline void require(bool holds, std::string_view what) {
    if (!holds)
        fail(what);
}

// Reads the input front to back as the decisions of a generator. Past the end the bytes
// come from a fixed pseudo-random sequence, so a short input (even the empty one) decodes
// to an ordinary case rather than to the one that all zeros would choose every time.
class ByteReader {
  public:
    ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t byte() {
        if (position_ < size_)
            return data_[position_++];
        // Marsaglia's xorshift; its upper bits are the better ones.
        filler_ ^= filler_ << 13;
        filler_ ^= filler_ >> 17;
        filler_ ^= filler_ << 5;
        return static_cast<std::uint8_t>(filler_ >> 24);
    }
    std::uint16_t word() { return static_cast<std::uint16_t>(byte() | byte() << 8); }
    // A fraction in [0, 1], both ends included.
    double unit() { return word() / 65535.0; }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
    std::uint32_t filler_ = 2463534242u;
};

} // namespace kolmarin::fuzz

// The entry point every target defines; libFuzzer or replay_main.cpp calls it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
