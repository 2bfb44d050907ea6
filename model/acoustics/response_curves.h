#pragma once
// The levels in dB a calculation leaves at one seat, and the part of them a scene's
// frequency range covers.

#include <array>
#include <cstdint>
#include <vector>

namespace kolmarin {

inline constexpr int kCurvePoints = 1201; // 0 to 600 Hz in 0.5 Hz steps

using Curve = std::array<double, kCurvePoints>;

// Levels in dB at one seat; element j belongs to j/2 Hz. Every calculation overwrites
// only the elements of its own frequency range. A calculation whose scene has another
// number of sources starts the source curves afresh at 0.
struct ResponseCurves {
    std::vector<Curve> sources = std::vector<Curve>(2); // each source alone
    Curve total{};                                      // all sources together
};

// The element range [first, last] of ResponseCurves that frequencies start..end cover,
// clipped to the stored 0..1200; empty (first > last) when nothing of it is stored.
struct ElementRange {
    int first = 0;
    int last = -1;
};
ElementRange storedElements(std::int32_t start, std::int32_t end);

} // namespace kolmarin
