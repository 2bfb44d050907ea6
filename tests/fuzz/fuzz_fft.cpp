// The transform on lengths up to 2048 decoded from the input, with samples from it: a
// length whose prime factors are all allowed gives the defining sum within the bound
// fft_test puts on it, the same bits along every route and in place; any other length
// raises the prime-factor error and leaves the output as it was. A length of zero or
// less does nothing.
#include "fuzz_support.h"

#include "model/errors.h"
#include "model/fft/fft.h"

#include <cmath>
#include <cstring>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

using namespace kolmarin;
using fuzz::ByteReader;
using fuzz::require;

namespace {

constexpr int kLongest = 2048;

// Lengths near the prime-factor limit: the largest allowed prime, the primes around
// it and their multiples.
constexpr int kEdgePrimes[] = {1009, 1013, 1019, 1021, 1031, 1033, 1039, 2029, 2039};

int largestPrimeFactor(int n) {
    int largest = 1;
    for (int p = 2; p * p <= n; ++p)
        while (n % p == 0) {
            largest = p;
            n /= p;
        }
    return n > 1 ? n : largest;
}

int decodeLength(ByteReader& in) {
    switch (in.byte() % 8) {
    case 0:
    case 1:
        return 1 + in.word() % kLongest;
    case 2:
    case 3:
        return 1 + in.byte();
    case 4: {
        const int p = kEdgePrimes[in.byte() % std::size(kEdgePrimes)];
        return p * (1 + in.byte() % (kLongest / p));
    }
    case 5: { // only the radices with their own small transforms, and 7
        constexpr int kRadices[] = {2, 3, 5, 7};
        int n = 1;
        for (int steps = in.byte() % 12; steps > 0; --steps) {
            const int r = kRadices[in.byte() % 4];
            if (n * r <= kLongest)
                n *= r;
        }
        return n;
    }
    case 6:
        return -static_cast<int>(in.byte() % 3);
    default:
        return kLongest - in.byte() % 64;
    }
}

// Samples of one scale, so that the relative error of the whole spectrum measures the
// transform alone; now and then an impulse or a constant.
std::vector<Complex> decodeSignal(ByteReader& in, int n) {
    std::vector<Complex> x(static_cast<std::size_t>(n));
    const double scale = std::ldexp(1.0, static_cast<int>(in.byte() % 61) - 30);
    const auto sample = [&] { return static_cast<std::int8_t>(in.byte()) / 128.0 * scale; };
    switch (in.byte() % 8) {
    case 0:
        x[in.word() % static_cast<std::size_t>(n)] = {sample(), sample()};
        break;
    case 1: {
        const Complex c{sample(), sample()};
        for (Complex& z : x)
            z = c;
        break;
    }
    default:
        for (Complex& z : x)
            z = {sample(), sample()};
    }
    return x;
}

// The defining sum in long double with exact index arithmetic, as fft_test computes it,
// and the relative error of `y` to it over the whole spectrum.
double relativeError(const std::vector<Complex>& x, const std::vector<Complex>& y) {
    const long long n = static_cast<long long>(x.size());
    const long double twoPi = 6.283185307179586476925286766559L;
    std::vector<long double> cosine(static_cast<std::size_t>(n)), sine(static_cast<std::size_t>(n));
    for (long long m = 0; m < n; ++m) {
        cosine[m] = std::cos(twoPi * m / n);
        sine[m] = -std::sin(twoPi * m / n);
    }
    long double diff = 0, norm = 0;
    for (long long k = 0; k < n; ++k) {
        long double re = 0, im = 0;
        long long jk = 0;
        for (long long j = 0; j < n; ++j) {
            re += x[j].re * cosine[jk] - x[j].im * sine[jk];
            im += x[j].re * sine[jk] + x[j].im * cosine[jk];
            jk += k;
            if (jk >= n)
                jk -= n;
        }
        const long double dr = y[k].re - re, di = y[k].im - im;
        diff += dr * dr + di * di;
        norm += re * re + im * im;
    }
    if (norm == 0)
        return diff == 0 ? 0.0 : INFINITY;
    return static_cast<double>(std::sqrt(diff / norm));
}

bool sameBits(const std::vector<Complex>& a, const std::vector<Complex>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(Complex)) == 0;
}

std::optional<std::string> failureOf(auto&& call) {
    try {
        call();
    } catch (const UserError& e) {
        return std::string(e.what());
    }
    return std::nullopt;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ByteReader in(data, size);
    const int n = decodeLength(in);
    const Complex guard{3.5, -4.5};
    if (n <= 0) {
        Complex out = guard;
        forwardFft(&guard, &out, n);
        require(sameBits({out}, {guard}), "a length of zero or less writes nothing");
        return 0;
    }
    const std::vector<Complex> x = decodeSignal(in, n);
    std::vector<Complex> y(x.size(), guard);
    const std::optional<std::string> failure = failureOf([&] { forwardFft(x.data(), y.data(), n); });
    std::vector<Complex> inPlace = x;
    const std::optional<std::string> inPlaceFailure =
        failureOf([&] { forwardFft(inPlace.data(), inPlace.data(), n); });

    if (largestPrimeFactor(n) > kMaxPrimeFactor) {
        require(failure == msg::kFftPrimeFactor && inPlaceFailure == failure,
                "a prime factor beyond the limit raises the prime-factor error");
        require(sameBits(y, std::vector<Complex>(x.size(), guard)) && sameBits(inPlace, x),
                "a refused length writes nothing");
        return 0;
    }
    require(!failure && !inPlaceFailure, "a length of allowed factors is transformed");
    require(sameBits(inPlace, y), "the transform in place gives the same bits");
    for (auto path :
         {detail::FftPath::DigitReversal, detail::FftPath::SelfSorting2, detail::FftPath::SelfSorting4,
          detail::FftPath::SelfSorting8, detail::FftPath::Widest}) {
        if (!detail::fftPathAvailable(path))
            continue;
        std::vector<Complex> byPath(x.size());
        detail::forwardFftBy(path, x.data(), byPath.data(), n);
        require(sameBits(byPath, y), "every route gives the same bits");
    }
    // The bound of fft_test: a little above machine precision, where any wrong index,
    // sign or twiddle gives an error of order one.
    require(relativeError(x, y) < 2e-13, "the transform agrees with the defining sum");
    return 0;
}
