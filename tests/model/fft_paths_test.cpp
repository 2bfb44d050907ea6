#include "model/fft/fft.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>
#include <vector>

using namespace kolmarin;
using detail::FftPath;

namespace {

using Signal = std::vector<Complex>;

// Random values with a few that arithmetic must carry exactly: signed zeros, an infinity
// and a value near the top of the range, whose products differ from a multiplication by
// (1, 0) that an untwiddled element must not receive.
Signal awkwardSignal(int n, unsigned seed) {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    Signal x(static_cast<std::size_t>(n));
    for (Complex& z : x)
        z = {unit(rng), unit(rng)};
    if (n > 4 && seed % 2 == 0) {
        x[1] = {-0.0, 0.0};
        x[3] = {std::numeric_limits<double>::infinity(), -0.0};
        x[static_cast<std::size_t>(n) - 1] = {1e300, -1e300};
    }
    return x;
}

Signal transformedBy(FftPath path, const Signal& x) {
    Signal y(x.size());
    detail::forwardFftBy(path, x.data(), y.data(), static_cast<std::int32_t>(x.size()));
    return y;
}

bool sameBits(const Signal& a, const Signal& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(Complex)) == 0;
}

} // namespace

// Every path runs the same groups with the same twiddles and small transforms, so each
// must reproduce the digit-reversal form bit for bit, whatever the lane width and however
// the lengths leave partial vectors.
TEST(FftPaths, EveryPathGivesTheBitsOfTheDigitReversalForm) {
    std::vector<int> lengths;
    for (int n = 1; n <= 700; ++n)
        lengths.push_back(n);
    for (int n : {1000, 1024, 1280, 2000, 4096, 8192, 3 * 3 * 3 * 3 * 3 * 3 * 3, 5 * 5 * 5 * 5 * 5, 16384})
        lengths.push_back(n);
    for (FftPath path :
         {FftPath::SelfSorting2, FftPath::SelfSorting4, FftPath::SelfSorting8, FftPath::Widest}) {
        if (!detail::fftPathAvailable(path))
            continue;
        int mismatches = 0;
        for (int n : lengths) {
            if (splitLength(n).front() > kMaxPrimeFactor)
                continue;
            for (unsigned seed : {1u, 2u}) {
                const Signal x = awkwardSignal(n, seed + static_cast<unsigned>(n));
                const Signal expected = transformedBy(FftPath::DigitReversal, x);
                if (!sameBits(transformedBy(path, x), expected)) {
                    ADD_FAILURE() << "path " << static_cast<int>(path) << ", n = " << n;
                    if (++mismatches > 5)
                        return;
                }
                Signal same = x;
                detail::forwardFftBy(path, same.data(), same.data(), n);
                EXPECT_TRUE(sameBits(same, expected))
                    << "in place, path " << static_cast<int>(path) << ", n = " << n;
            }
        }
    }
}
