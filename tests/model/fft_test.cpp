#include "model/errors.h"
#include "model/fft/fft.h"

#include "tests/user_error.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

using namespace kolmarin;
using kolmarin::test::errorOf;

namespace {

using Signal = std::vector<Complex>;

Signal randomSignal(int n, unsigned seed) {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    Signal x(static_cast<std::size_t>(n));
    for (Complex& z : x)
        z = {unit(rng), unit(rng)};
    return x;
}

Signal transformed(const Signal& x) {
    Signal y(x.size());
    forwardFft(x.data(), y.data(), static_cast<std::int32_t>(x.size()));
    return y;
}

struct LongComplex {
    long double re = 0;
    long double im = 0;
};

// The defining sum, in long double with exact index arithmetic (jk mod n) and a root table
// taken straight from cosl/sinl, so its own error is far below the transform's.
std::vector<LongComplex> directSum(const Signal& x) {
    const long long n = static_cast<long long>(x.size());
    const long double twoPi = 6.283185307179586476925286766559L;
    std::vector<LongComplex> root(static_cast<std::size_t>(n));
    for (long long m = 0; m < n; ++m)
        root[m] = {std::cos(twoPi * m / n), -std::sin(twoPi * m / n)};
    std::vector<LongComplex> sum(static_cast<std::size_t>(n));
    for (long long k = 0; k < n; ++k) {
        long double re = 0, im = 0;
        long long jk = 0;
        for (long long j = 0; j < n; ++j) {
            const LongComplex& r = root[jk];
            re += x[j].re * r.re - x[j].im * r.im;
            im += x[j].re * r.im + x[j].im * r.re;
            jk += k;
            if (jk >= n)
                jk -= n;
        }
        sum[k] = {re, im};
    }
    return sum;
}

// ||y - exact|| / ||exact|| over the whole spectrum.
double relativeError(const Signal& y, const std::vector<LongComplex>& exact) {
    long double diff = 0, norm = 0;
    for (std::size_t k = 0; k < y.size(); ++k) {
        const long double dr = y[k].re - exact[k].re, di = y[k].im - exact[k].im;
        diff += dr * dr + di * di;
        norm += exact[k].re * exact[k].re + exact[k].im * exact[k].im;
    }
    return static_cast<double>(std::sqrt(diff / norm));
}

bool sameBits(const Signal& a, const Signal& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(Complex)) == 0;
}

// The butterfly constants carry 14 significant digits and the twiddles are built by
// repeated products, so results sit a little above machine precision; any wrong index,
// sign or twiddle shows up as an error of order 1.
constexpr double kRelativeBound = 2e-13;

} // namespace

TEST(splitLength, GivesThePassRadicesInPassOrder) {
    EXPECT_EQ(splitLength(8192), (std::vector<int>{4, 4, 8, 8, 8}));
    EXPECT_EQ(splitLength(1000), (std::vector<int>{10, 10, 10}));
    EXPECT_EQ(splitLength(128), (std::vector<int>{4, 4, 8}));
    EXPECT_EQ(splitLength(12), (std::vector<int>{3, 4}));
    EXPECT_EQ(splitLength(14), (std::vector<int>{7, 2}));
    EXPECT_EQ(splitLength(1022), (std::vector<int>{73, 7, 2}));
    EXPECT_EQ(splitLength(2042), (std::vector<int>{1021, 2}));
    EXPECT_EQ(splitLength(1), (std::vector<int>{1}));
    EXPECT_EQ(splitLength(210), (std::vector<int>{7, 3, 10}));
    // 8*2 is rebalanced even when another radix follows the 8.
    EXPECT_EQ(splitLength(160), (std::vector<int>{4, 4, 10}));
    EXPECT_EQ(splitLength(20), (std::vector<int>{2, 10}));
    EXPECT_EQ(splitLength(56), (std::vector<int>{7, 8}));
}

TEST(splitLength, TrialDivisionReachesTheSquareRoot) {
    EXPECT_EQ(splitLength(49), (std::vector<int>{7, 7}));
    EXPECT_EQ(splitLength(7 * 11 * 11), (std::vector<int>{11, 11, 7}));
    EXPECT_EQ(splitLength(1031 * 1031), (std::vector<int>{1031, 1031}));
    EXPECT_EQ(splitLength(2147483647), (std::vector<int>{2147483647}));
}

TEST(splitLength, FactorsMultiplyBackToTheLength) {
    for (int n = 1; n <= 20000; ++n) {
        const std::vector<int> f = splitLength(n);
        ASSERT_LE(f.size(), static_cast<std::size_t>(kMaxFactorCount)) << n;
        long long product = 1;
        for (int radix : f)
            product *= radix;
        ASSERT_EQ(product, n) << n;
    }
    // The longest lists a 32-bit length can have still fit the factor table.
    EXPECT_EQ(splitLength(1162261467).size(), 19u); // 3^19
    EXPECT_EQ(splitLength(4 * 387420489).size(), 19u);
}

TEST(splitLength, PowersOfTwoRunInRadixEightAndFourOnly) {
    for (int e = 2; e <= 30; ++e) {
        for (int radix : splitLength(1 << e))
            EXPECT_TRUE(radix == 4 || radix == 8) << "2^" << e << " has radix " << radix;
    }
}

TEST(FftDirectSum, EveryLengthUpTo256) {
    for (int n = 1; n <= 256; ++n) {
        const Signal x = randomSignal(n, 1000u + static_cast<unsigned>(n));
        EXPECT_LT(relativeError(transformed(x), directSum(x)), kRelativeBound) << "n = " << n;
    }
}

TEST(FftDirectSum, LengthsExercisingEachRadixAndTheOddRoutine) {
    // 12: radix 3; 14: general odd 7; 30: radix 10 with 3; 210: 7, 3, 10; 1022: 73, 7, 2;
    // 1000: three radix-10 passes; 625: repeated radix 5 with twiddles; 1331: odd radix
    // with twiddles; 2042 and 1021: the largest allowed factor; 6561: eight radix-3 passes.
    for (int n : {12, 14, 30, 210, 1022, 1000, 625, 1331, 1021, 2042, 6561, 2310, 4620}) {
        const Signal x = randomSignal(n, static_cast<unsigned>(n));
        EXPECT_LT(relativeError(transformed(x), directSum(x)), kRelativeBound) << "n = " << n;
    }
}

TEST(FftDirectSum, Length8192WithinOneEMinus8OfTheDirectSum) {
    const Signal x = randomSignal(8192, 8192u);
    const Signal y = transformed(x);
    const std::vector<LongComplex> exact = directSum(x);
    double worst = 0;
    for (int k = 0; k < 8192; ++k) {
        worst = std::max(worst, static_cast<double>(std::fabs(y[k].re - exact[k].re)));
        worst = std::max(worst, static_cast<double>(std::fabs(y[k].im - exact[k].im)));
    }
    EXPECT_LT(worst, 1e-8);
    EXPECT_LT(relativeError(y, exact), kRelativeBound);
}

TEST(FftSpecialInputs, LengthOneCopiesTheValue) {
    const Complex in{0.3, -7.25};
    Complex out{99, 99};
    forwardFft(&in, &out, 1);
    EXPECT_EQ(out.re, 0.3);
    EXPECT_EQ(out.im, -7.25);
}

TEST(FftSpecialInputs, ImpulseGivesOnesEverywhere) {
    for (int n : {2, 7, 30, 210, 1000, 1022, 8192}) {
        Signal x(static_cast<std::size_t>(n), Complex{0, 0});
        x[0] = {1, 0};
        const Signal y = transformed(x);
        for (int k = 0; k < n; ++k) {
            ASSERT_EQ(y[k].re, 1.0) << "n = " << n << ", k = " << k;
            ASSERT_EQ(y[k].im, 0.0) << "n = " << n << ", k = " << k;
        }
    }
}

TEST(FftSpecialInputs, ConstantIsNotScaled) {
    const Complex c{0.75, -0.5};
    for (int n : {3, 10, 14, 1022, 8192}) {
        const Signal y = transformed(Signal(static_cast<std::size_t>(n), c));
        EXPECT_NEAR(y[0].re, n * c.re, 1e-12 * n) << n;
        EXPECT_NEAR(y[0].im, n * c.im, 1e-12 * n) << n;
        for (int k = 1; k < n; ++k) {
            ASSERT_NEAR(y[k].re, 0.0, 1e-12 * n) << "n = " << n << ", k = " << k;
            ASSERT_NEAR(y[k].im, 0.0, 1e-12 * n) << "n = " << n << ", k = " << k;
        }
    }
}

TEST(FftBuffers, InPlaceMatchesSeparateBuffersBitForBit) {
    for (int n : {1, 2, 30, 210, 1000, 1022, 2042, 8192}) {
        const Signal x = randomSignal(n, 77u);
        Signal y = x;
        forwardFft(y.data(), y.data(), n);
        EXPECT_TRUE(sameBits(y, transformed(x))) << "n = " << n;
    }
}

TEST(FftBuffers, TouchesOnlyTheFirstNElements) {
    const Complex guard{-123.5, 456.25};
    Signal x = randomSignal(40, 5u);
    Signal y(40, guard);
    forwardFft(x.data(), y.data(), 30);
    for (int k = 30; k < 40; ++k) {
        EXPECT_EQ(y[k].re, guard.re);
        EXPECT_EQ(y[k].im, guard.im);
    }
    Signal prefix(x.begin(), x.begin() + 30);
    EXPECT_TRUE(sameBits(Signal(y.begin(), y.begin() + 30), transformed(prefix)));
}

TEST(FftBuffers, ZeroAndNegativeLengthsDoNothing) {
    const Complex guard{-1.5, 2.5};
    Signal x = randomSignal(4, 3u);
    Signal y(4, guard);
    forwardFft(x.data(), y.data(), 0);
    forwardFft(x.data(), y.data(), -4);
    for (const Complex& z : y) {
        EXPECT_EQ(z.re, guard.re);
        EXPECT_EQ(z.im, guard.im);
    }
}

TEST(FftBuffers, ConcurrentTransformsAgreeWithASingleOne) {
    const std::vector<int> lengths{8192, 1022, 2042, 210};
    std::vector<Signal> inputs, expected;
    for (int n : lengths) {
        inputs.push_back(randomSignal(n, static_cast<unsigned>(n) + 9u));
        expected.push_back(transformed(inputs.back()));
    }
    std::vector<int> mismatches(4, 0);
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t) {
        workers.emplace_back([&, t] {
            for (int round = 0; round < 20; ++round) {
                const std::size_t i = static_cast<std::size_t>(round + t) % lengths.size();
                if (!sameBits(transformed(inputs[i]), expected[i]))
                    ++mismatches[t];
            }
        });
    }
    for (std::thread& w : workers)
        w.join();
    EXPECT_EQ(mismatches, std::vector<int>(4, 0));
}

TEST(FftPrimeFactorLimit, TooLargeAFactorFailsWithoutWriting) {
    const Signal largestAllowed = randomSignal(2042, 2042u); // 1021 * 2
    EXPECT_EQ(errorOf([&] { transformed(largestAllowed); }), "");

    for (int n : {1031, 2062, 1021 * 1031, 1031 * 1031}) {
        const Signal x = randomSignal(n, 11u);
        const Complex guard{3.5, -4.5};
        Signal y(static_cast<std::size_t>(n), guard);
        EXPECT_EQ(errorOf([&] { forwardFft(x.data(), y.data(), n); }), msg::kFftPrimeFactor) << n;
        EXPECT_TRUE(sameBits(y, Signal(static_cast<std::size_t>(n), guard))) << n;

        Signal same = x;
        EXPECT_EQ(errorOf([&] { forwardFft(same.data(), same.data(), n); }), msg::kFftPrimeFactor) << n;
        EXPECT_TRUE(sameBits(same, x)) << n;
    }
}
