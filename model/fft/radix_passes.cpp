#include "model/fft/radix_passes.h"

#include "model/fft/butterflies.h"
#include "model/fft/fft.h"
#include "model/fft/pass_plan.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace kolmarin::detail {

namespace {

constexpr int kMaxHalf = (kMaxPrimeFactor + 1) / 2;

// root[j] = exp(-2 pi i j / radix), built by repeated multiplication from one cosine and
// one sine.
void fillRootTable(int radix, Complex* root) {
    const double w = fullTurnOver(radix);
    root[0] = Complex{1.0, 0.0};
    root[1] = Complex{std::cos(w), -std::sin(w)};
    for (int j = 2; j < radix; ++j)
        root[j] = root[1] * root[j - 1];
}

// Any odd radix n: pairs z[j] and z[n-j] share a root and its conjugate, so output j and
// n-j are built together from the sums v and differences w of each pair.
void smallDftOdd(Complex* z, int n, const Complex* root, Complex* v, Complex* w) {
    const int h = (n + 1) / 2;
    for (int j = 1; j < h; ++j) {
        v[j] = Complex{z[j].re + z[n - j].re, z[j].im - z[n - j].im};
        w[j] = Complex{z[j].re - z[n - j].re, z[j].im + z[n - j].im};
    }
    for (int j = 1; j < h; ++j) {
        z[j] = z[0];
        z[n - j] = z[0];
        int k = j;
        for (int i = 1; i < h; ++i) {
            const double rere = root[k].re * v[i].re;
            const double imim = root[k].im * v[i].im;
            const double reim = root[k].re * w[i].im;
            const double imre = root[k].im * w[i].re;
            z[n - j] = z[n - j] + Complex{rere + imim, reim - imre};
            z[j] = z[j] + Complex{rere - imim, reim + imre};
            k += j;
            if (k >= n)
                k -= n;
        }
    }
    for (int j = 1; j < h; ++j)
        z[0] = z[0] + Complex{v[j].re, w[j].im};
}

// The twiddles of one position d inside a group: twiddle[b] = tw^b, by repeated products.
inline void fillTwiddles(Complex tw, int radix, Complex* twiddle) {
    twiddle[0] = Complex{1.0, 0.0};
    twiddle[1] = tw;
    for (int j = 2; j < radix; ++j)
        twiddle[j] = tw * twiddle[j - 1];
}

inline Cx<double> loadOne(const Complex& p) {
    return {p.re, p.im};
}
inline void storeOne(Complex& p, Cx<double> z) {
    p = {z.re, z.im};
}

// Lane 0 from p[0], lane 1 from p[laneStep].
inline Cx<Pair> loadPair(const Complex* p, std::ptrdiff_t laneStep) {
    return {Pair{p[0].re, p[laneStep].re}, Pair{p[0].im, p[laneStep].im}};
}
inline void storePair(Complex* p, std::ptrdiff_t laneStep, Cx<Pair> z) {
    p[0] = {z.re[0], z.im[0]};
    p[laneStep] = {z.re[1], z.im[1]};
}

// How a group is gathered: as it stands, with every element after the first multiplied by
// its twiddle, or (for the pair that holds position 0) twiddled in lane 1 only.
enum class Gather { Plain, Twiddled, TwiddledExceptLane0 };

// Gathers, transforms and scatters the group whose elements are group[b * stride].
template <int Radix, Gather How>
[[gnu::always_inline]] inline void transformOne(Complex* group, std::ptrdiff_t stride,
                                                const Complex* twiddle) {
    Cx<double> z[Radix];
    z[0] = loadOne(group[0]);
#pragma GCC unroll 10
    for (int b = 1; b < Radix; ++b) {
        const Cx<double> x = loadOne(group[b * stride]);
        z[b] = How == Gather::Plain ? x : mul(loadOne(twiddle[b]), x);
    }
    smallDft<Radix>(z);
#pragma GCC unroll 10
    for (int b = 0; b < Radix; ++b)
        storeOne(group[b * stride], z[b]);
}

// The same for two groups at once, the second starting laneStep elements after the first.
template <int Radix, Gather How>
[[gnu::always_inline]] inline void transformPair(Complex* group, std::ptrdiff_t stride,
                                                 std::ptrdiff_t laneStep, const Cx<Pair>* twiddle) {
    Cx<Pair> z[Radix];
    z[0] = loadPair(group, laneStep);
#pragma GCC unroll 10
    for (int b = 1; b < Radix; ++b) {
        const Cx<Pair> x = loadPair(group + b * stride, laneStep);
        if constexpr (How == Gather::Plain) {
            z[b] = x;
        } else if constexpr (How == Gather::Twiddled) {
            z[b] = mul(twiddle[b], x);
        } else {
            const Cx<Pair> turned = mul(twiddle[b], x);
            z[b] = {Pair{x.re[0], turned.re[1]}, Pair{x.im[0], turned.im[1]}};
        }
    }
    smallDft<Radix>(z);
#pragma GCC unroll 10
    for (int b = 0; b < Radix; ++b)
        storePair(group + b * stride, laneStep, z[b]);
}

// One pass over y for a radix with its own small transform. Each of the remain groups at
// position d holds the elements d + g*sofar*radix + b*sofar, b = 0..radix-1; they are
// twiddled by tw^b (position 0 needs none), transformed and written back. Eight neighbouring
// positions are handled together, so every cache line fetched is used whole, and two by
// two in lane pairs. The twiddle bases still advance one position at a time, so each group
// sees exactly the values it would if the positions were taken one after another.
template <int Radix> void fixedRadixPass(Complex* y, std::int32_t sofar, std::int32_t remain) {
    const std::ptrdiff_t stride = sofar;
    const std::ptrdiff_t span = stride * Radix;

    if (sofar == 1) {
        std::ptrdiff_t g = 0;
        for (; g + 1 < remain; g += 2)
            transformPair<Radix, Gather::Plain>(y + g * span, 1, span, nullptr);
        if (g < remain)
            transformOne<Radix, Gather::Plain>(y + g * span, 1, nullptr);
        return;
    }

    constexpr int kBlock = 8;
    const Complex step = twiddleStep(sofar, Radix);
    Complex tw{1.0, 0.0};
    Complex base[kBlock];
    Complex lastTwiddle[Radix];
    Cx<Pair> pairTwiddle[kBlock / 2][Radix];
    for (std::ptrdiff_t d0 = 0; d0 < sofar; d0 += kBlock) {
        const int lanes = static_cast<int>(std::min<std::ptrdiff_t>(kBlock, sofar - d0));
        for (int l = 0; l < lanes; ++l) {
            base[l] = tw;
            tw = step * tw;
        }
        // The powers of each lane's base, two lanes at a time.
        const int pairs = lanes / 2;
        for (int p = 0; p < pairs; ++p) {
            const Complex& t0 = base[2 * p];
            const Complex& t1 = base[2 * p + 1];
            const Cx<Pair> t{Pair{t0.re, t1.re}, Pair{t0.im, t1.im}};
            pairTwiddle[p][0] = {Pair{1.0, 1.0}, Pair{0.0, 0.0}};
            pairTwiddle[p][1] = t;
            for (int b = 2; b < Radix; ++b)
                pairTwiddle[p][b] = mul(t, pairTwiddle[p][b - 1]);
        }
        if (lanes % 2 != 0)
            fillTwiddles(base[lanes - 1], Radix, lastTwiddle);
        for (std::ptrdiff_t g = 0; g < remain; ++g) {
            Complex* block = y + d0 + g * span;
            for (int p = 0; p < pairs; ++p) {
                if (d0 == 0 && p == 0)
                    transformPair<Radix, Gather::TwiddledExceptLane0>(block, stride, 1, pairTwiddle[0]);
                else
                    transformPair<Radix, Gather::Twiddled>(block + 2 * p, stride, 1, pairTwiddle[p]);
            }
            if (lanes % 2 != 0) {
                const int l = lanes - 1;
                if (d0 + l == 0)
                    transformOne<Radix, Gather::Plain>(block + l, stride, nullptr);
                else
                    transformOne<Radix, Gather::Twiddled>(block + l, stride, lastTwiddle);
            }
        }
    }
}

// The same pass for any other radix, with the general odd transform and work tables sized
// for the largest allowed factor. They live on the caller's stack, so concurrent
// transforms on several threads share nothing.
void oddRadixPass(Complex* y, std::int32_t sofar, int radix, std::int32_t remain) {
    Complex root[kMaxPrimeFactor];
    Complex twiddle[kMaxPrimeFactor];
    Complex z[kMaxPrimeFactor];
    Complex v[kMaxHalf];
    Complex w[kMaxHalf];
    fillRootTable(radix, root);

    const std::ptrdiff_t stride = sofar;
    const std::ptrdiff_t span = stride * radix;
    const Complex step = sofar > 1 ? twiddleStep(sofar, radix) : Complex{1.0, 0.0};
    Complex tw{1.0, 0.0};
    for (std::ptrdiff_t d = 0; d < sofar; ++d) {
        const bool rotate = sofar > 1 && d > 0;
        if (sofar > 1) {
            fillTwiddles(tw, radix, twiddle);
            tw = step * tw;
        }
        for (std::ptrdiff_t g = 0; g < remain; ++g) {
            Complex* group = y + d + g * span;
            z[0] = group[0];
            for (int b = 1; b < radix; ++b)
                z[b] = rotate ? twiddle[b] * group[b * stride] : group[b * stride];
            smallDftOdd(z, radix, root, v, w);
            for (int b = 0; b < radix; ++b)
                group[b * stride] = z[b];
        }
    }
}

} // namespace

void radixPass(Complex* y, std::int32_t sofar, int radix, std::int32_t remain) {
    switch (radix) {
    case 2:
        fixedRadixPass<2>(y, sofar, remain);
        break;
    case 3:
        fixedRadixPass<3>(y, sofar, remain);
        break;
    case 4:
        fixedRadixPass<4>(y, sofar, remain);
        break;
    case 5:
        fixedRadixPass<5>(y, sofar, remain);
        break;
    case 8:
        fixedRadixPass<8>(y, sofar, remain);
        break;
    case 10:
        fixedRadixPass<10>(y, sofar, remain);
        break;
    default:
        oddRadixPass(y, sofar, radix, remain);
        break;
    }
}

} // namespace kolmarin::detail
