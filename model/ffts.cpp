#include "model/ffts.h"

#include "model/errors.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace kolmarin {

namespace {

// Butterfly constants, deliberately held at 14 significant digits: the transform's results
// are defined with these values, not with fully precise ones.
constexpr double c3_1 = -1.5;              // cos(2pi/3) - 1
constexpr double c3_2 = 0.86602540378444;  // sin(2pi/3)
constexpr double c5_1 = -1.25;             // (cos u + cos 2u)/2 - 1, u = 2pi/5
constexpr double c5_2 = 0.55901699437495;  // (cos u - cos 2u)/2
constexpr double c5_3 = -0.95105651629515; // -sin u
constexpr double c5_4 = -1.5388417685876;  // -(sin u + sin 2u)
constexpr double c5_5 = 0.36327126400268;  // sin u - sin 2u
constexpr double c8 = 0.70710678118655;    // sqrt(0.5)

constexpr long double kTwoPiExtended = 6.283185307179586477L;
constexpr int kMaxHalf = (cMaxPrimeFactor + 1) / 2;

// Every factor is at least 2 apart from a single leading 1 for n = 1, at most one factor
// is 2 and all others are at least 3, so a 32-bit length has at most 1 + log3(2^30) < 20
// factors. Index 0 and the slot after the last factor are used by the pass tables.
constexpr int kFactorSlots = cMaxFactorCount + 2;

// 2pi/denominator: the quotient is taken at extended precision and then rounded to double,
// so the cosine and sine are those of the double nearest the extended quotient.
double fullTurnOver(std::int64_t denominator) {
    return static_cast<double>(kTwoPiExtended / static_cast<long double>(denominator));
}

// The factors of a length and the pass tables built from them, 1-based as the passes use
// them: factor[i] is the radix of pass i, sofar[i] the product of the radices before it
// and remain[i] = n / (factor[1]..factor[i]); remain[0] = n and remain[count + 1] = 0.
struct PassPlan {
    int count = 0;
    std::array<std::int32_t, kFactorSlots> factor{};
    std::array<std::int32_t, kFactorSlots> sofar{};
    std::array<std::int32_t, kFactorSlots> remain{};
};

// Greatest q with q*q <= n.
std::int32_t floorSqrt(std::int32_t n) {
    std::int64_t q = static_cast<std::int64_t>(std::sqrt(static_cast<double>(n)));
    while (q * q > n)
        --q;
    while ((q + 1) * (q + 1) <= n)
        ++q;
    return static_cast<std::int32_t>(q);
}

// Splits n (> 0) into pass radices, largest hand-written radix first, then any factors
// without 2, 3 or 5 by trial division; the list is finally reversed into pass order.
void splitInto(std::int32_t n, PassPlan& plan) {
    std::array<std::int32_t, kFactorSlots> found{};
    int count = 0;
    if (n == 1)
        found[count++] = 1;

    static constexpr std::array<std::int32_t, 6> kRadices = {10, 8, 5, 4, 3, 2};
    std::size_t candidate = 0;
    while (n > 1 && candidate < kRadices.size()) {
        if (n % kRadices[candidate] == 0) {
            found[count++] = kRadices[candidate];
            n /= kRadices[candidate];
        } else {
            ++candidate;
        }
    }

    // A trailing 8*2 becomes 4*4: two balanced passes cost less than an 8 and a 2, and
    // every power of two from 4 on then runs in radix-8 and radix-4 passes only.
    if (count > 0 && found[count - 1] == 2) {
        for (int i = count - 2; i >= 0; --i) {
            if (found[i] == 8) {
                found[i] = 4;
                found[count - 1] = 4;
                break;
            }
        }
    }

    if (n > 1) {
        const std::int32_t q = floorSqrt(n);
        for (std::int32_t k = 2; k <= q && n > 1; ++k) {
            while (n % k == 0) {
                found[count++] = k;
                n /= k;
            }
        }
        if (n > 1)
            found[count++] = n;
    }

    plan.count = count;
    for (int i = 0; i < count; ++i)
        plan.factor[i + 1] = found[count - 1 - i];
}

void fillPassTables(std::int32_t n, PassPlan& plan) {
    plan.remain[0] = n;
    plan.sofar[1] = 1;
    plan.remain[1] = n / plan.factor[1];
    for (int i = 2; i <= plan.count; ++i) {
        plan.sofar[i] = plan.sofar[i - 1] * plan.factor[i - 1];
        plan.remain[i] = plan.remain[i - 1] / plan.factor[i];
    }
    plan.remain[plan.count + 1] = 0;
}

// Writes input in mixed-radix digit-reversed order: target[i] = input[k] where k has the
// digits of i in reverse. Digit j of i (radix factor[j], lowest first) weighs sofar[j] in i
// and remain[j] in k. The first and the last digit are run through as a small block, so
// that both the reads (the last digit steps k by 1) and the writes (the first digit steps
// i by 1) use whole cache lines; the digits between them are counted in count[], where a
// carry out of digit j takes back that digit's whole span remain[j-1] from k and steps the
// next digit by remain[j+1].
void DigitReverseCopy(const TComplexNum* input, TComplexNum* target, std::int32_t n, const PassPlan& plan) {
    const int m = plan.count;
    if (m == 1) {
        std::copy(input, input + n, target);
        return;
    }
    const std::int32_t firstRadix = plan.factor[1];
    const std::int32_t lastRadix = plan.factor[m];
    const std::ptrdiff_t firstStepInK = plan.remain[1];
    const std::ptrdiff_t lastStepInI = plan.sofar[m];
    const std::int32_t blockCount = n / (firstRadix * lastRadix);

    std::array<std::int32_t, kFactorSlots> count{};
    std::ptrdiff_t k = 0;
    for (std::int32_t block = 0;; ++block) {
        TComplexNum* out = target + static_cast<std::ptrdiff_t>(block) * firstRadix;
        for (std::int32_t first = 0; first < firstRadix; ++first) {
            const TComplexNum* run = input + k + first * firstStepInK;
            for (std::int32_t last = 0; last < lastRadix; ++last)
                out[first + last * lastStepInI] = run[last];
        }
        if (block + 1 == blockCount)
            break;
        int j = 2;
        k += plan.remain[2];
        ++count[2];
        while (count[j] >= plan.factor[j]) {
            count[j] = 0;
            k = k - plan.remain[j - 1] + plan.remain[j + 1];
            ++j;
            ++count[j];
        }
    }
}

// A complex value whose parts are either one double or a pair of doubles taken from two
// neighbouring groups. With a pair, each lane goes through exactly the operations a single
// value would, in the same order, so both forms give the same bits; the pair only lets the
// processor do two groups per instruction.
template <typename T> struct Cx {
    T re;
    T im;
};

using Pair = double __attribute__((vector_size(16)));

template <typename T> [[gnu::always_inline]] inline Cx<T> add(Cx<T> a, Cx<T> b) {
    return {a.re + b.re, a.im + b.im};
}
template <typename T> [[gnu::always_inline]] inline Cx<T> sub(Cx<T> a, Cx<T> b) {
    return {a.re - b.re, a.im - b.im};
}
template <typename T> [[gnu::always_inline]] inline Cx<T> mul(Cx<T> a, Cx<T> b) {
    return {a.re * b.re - a.im * b.im, a.im * b.re + a.re * b.im};
}
template <typename T> [[gnu::always_inline]] inline Cx<T> scale(Cx<T> a, double s) {
    return {s * a.re, s * a.im};
}

// z[k] = sum_b z[b] exp(-2 pi i bk / radix) for the hand-written radices. -i*x is formed
// directly as (x.im, -x.re).

template <typename T> [[gnu::always_inline]] inline void SmallDft2(Cx<T>* z) {
    const Cx<T> z0 = z[0];
    z[0] = add(z0, z[1]);
    z[1] = sub(z0, z[1]);
}

template <typename T> [[gnu::always_inline]] inline void SmallDft3(Cx<T>* z) {
    const Cx<T> t1 = add(z[1], z[2]);
    z[0] = add(z[0], t1);
    const Cx<T> m1 = scale(t1, c3_1);
    const Cx<T> m2{c3_2 * (z[1].im - z[2].im), c3_2 * (z[2].re - z[1].re)};
    const Cx<T> s1 = add(z[0], m1);
    z[1] = add(s1, m2);
    z[2] = sub(s1, m2);
}

template <typename T> [[gnu::always_inline]] inline void SmallDft4(Cx<T>* z) {
    const Cx<T> t1 = add(z[0], z[2]);
    const Cx<T> t2 = add(z[1], z[3]);
    const Cx<T> m2 = sub(z[0], z[2]);
    const Cx<T> m3{z[1].im - z[3].im, z[3].re - z[1].re};
    z[0] = add(t1, t2);
    z[2] = sub(t1, t2);
    z[1] = add(m2, m3);
    z[3] = sub(m2, m3);
}

template <typename T> [[gnu::always_inline]] inline void SmallDft5(Cx<T>* z) {
    const Cx<T> t1 = add(z[1], z[4]);
    const Cx<T> t2 = add(z[2], z[3]);
    const Cx<T> t3 = sub(z[1], z[4]);
    const Cx<T> t4 = sub(z[3], z[2]);
    const Cx<T> t5 = add(t1, t2);
    z[0] = add(z[0], t5);
    const Cx<T> m1 = scale(t5, c5_1);
    const Cx<T> m2 = scale(sub(t1, t2), c5_2);
    const Cx<T> m3{-c5_3 * (t3.im + t4.im), c5_3 * (t3.re + t4.re)};
    const Cx<T> m4{-c5_4 * t4.im, c5_4 * t4.re};
    const Cx<T> m5{-c5_5 * t3.im, c5_5 * t3.re};
    const Cx<T> s3 = sub(m3, m4);
    const Cx<T> s5 = add(m3, m5);
    const Cx<T> s1 = add(z[0], m1);
    const Cx<T> s2 = add(s1, m2);
    const Cx<T> s4 = sub(s1, m2);
    z[1] = add(s2, s3);
    z[2] = add(s4, s5);
    z[3] = sub(s4, s5);
    z[4] = sub(s2, s3);
}

// Two radix-4 transforms of the even and odd samples joined by the eighth roots of unity;
// those are applied as sums and differences scaled by sqrt(0.5).
template <typename T> [[gnu::always_inline]] inline void SmallDft8(Cx<T>* z) {
    Cx<T> a[4] = {z[0], z[2], z[4], z[6]};
    Cx<T> b[4] = {z[1], z[3], z[5], z[7]};
    SmallDft4(a);
    SmallDft4(b);
    b[1] = {c8 * (b[1].re + b[1].im), c8 * (b[1].im - b[1].re)};
    b[2] = {b[2].im, -b[2].re};
    b[3] = {c8 * (b[3].im - b[3].re), -c8 * (b[3].re + b[3].im)};
#pragma GCC unroll 4
    for (int j = 0; j < 4; ++j) {
        z[j] = add(a[j], b[j]);
        z[j + 4] = sub(a[j], b[j]);
    }
}

// 2 x 5 prime-factor index map: the coprime factors need no twiddles between them.
template <typename T> [[gnu::always_inline]] inline void SmallDft10(Cx<T>* z) {
    Cx<T> a[5] = {z[0], z[2], z[4], z[6], z[8]};
    Cx<T> b[5] = {z[5], z[7], z[9], z[1], z[3]};
    SmallDft5(a);
    SmallDft5(b);
    z[0] = add(a[0], b[0]);
    z[5] = sub(a[0], b[0]);
    z[6] = add(a[1], b[1]);
    z[1] = sub(a[1], b[1]);
    z[2] = add(a[2], b[2]);
    z[7] = sub(a[2], b[2]);
    z[8] = add(a[3], b[3]);
    z[3] = sub(a[3], b[3]);
    z[4] = add(a[4], b[4]);
    z[9] = sub(a[4], b[4]);
}

template <int Radix, typename T> [[gnu::always_inline]] inline void SmallDft(Cx<T>* z) {
    if constexpr (Radix == 2)
        SmallDft2(z);
    else if constexpr (Radix == 3)
        SmallDft3(z);
    else if constexpr (Radix == 4)
        SmallDft4(z);
    else if constexpr (Radix == 5)
        SmallDft5(z);
    else if constexpr (Radix == 8)
        SmallDft8(z);
    else
        SmallDft10(z);
}

// root[j] = exp(-2 pi i j / radix), built by repeated multiplication from one cosine and
// one sine.
void FillRootTable(int radix, TComplexNum* root) {
    const double w = fullTurnOver(radix);
    root[0] = ComplexOf(1.0, 0.0);
    root[1] = ComplexOf(std::cos(w), -std::sin(w));
    for (int j = 2; j < radix; ++j)
        root[j] = ComplexMul(root[1], root[j - 1]);
}

// Any odd radix n: pairs z[j] and z[n-j] share a root and its conjugate, so output j and
// n-j are built together from the sums v and differences w of each pair.
void SmallDftOdd(TComplexNum* z, int n, const TComplexNum* root, TComplexNum* v, TComplexNum* w) {
    const int h = (n + 1) / 2;
    for (int j = 1; j < h; ++j) {
        v[j] = ComplexOf(z[j].re + z[n - j].re, z[j].im - z[n - j].im);
        w[j] = ComplexOf(z[j].re - z[n - j].re, z[j].im + z[n - j].im);
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
            z[n - j] = ComplexAdd(z[n - j], ComplexOf(rere + imim, reim - imre));
            z[j] = ComplexAdd(z[j], ComplexOf(rere - imim, reim + imre));
            k += j;
            if (k >= n)
                k -= n;
        }
    }
    for (int j = 1; j < h; ++j)
        z[0] = ComplexAdd(z[0], ComplexOf(v[j].re, w[j].im));
}

// The twiddles of one position d inside a group: twiddle[b] = tw^b, by repeated products.
inline void fillTwiddles(TComplexNum tw, int radix, TComplexNum* twiddle) {
    twiddle[0] = ComplexOf(1.0, 0.0);
    twiddle[1] = tw;
    for (int j = 2; j < radix; ++j)
        twiddle[j] = ComplexMul(tw, twiddle[j - 1]);
}

// Step between the twiddle bases of neighbouring positions: exp(-2 pi i / (sofar*radix)).
inline TComplexNum twiddleStep(std::int32_t sofar, int radix) {
    const double omega = fullTurnOver(static_cast<std::int64_t>(sofar) * radix);
    return ComplexOf(std::cos(omega), -std::sin(omega));
}

inline Cx<double> loadOne(const TComplexNum& p) {
    return {p.re, p.im};
}
inline void storeOne(TComplexNum& p, Cx<double> z) {
    p = {z.re, z.im};
}

// Lane 0 from p[0], lane 1 from p[laneStep].
inline Cx<Pair> loadPair(const TComplexNum* p, std::ptrdiff_t laneStep) {
    return {Pair{p[0].re, p[laneStep].re}, Pair{p[0].im, p[laneStep].im}};
}
inline void storePair(TComplexNum* p, std::ptrdiff_t laneStep, Cx<Pair> z) {
    p[0] = {z.re[0], z.im[0]};
    p[laneStep] = {z.re[1], z.im[1]};
}

// How a group is gathered: as it stands, with every element after the first multiplied by
// its twiddle, or (for the pair that holds position 0) twiddled in lane 1 only.
enum class Gather { Plain, Twiddled, TwiddledExceptLane0 };

// Gathers, transforms and scatters the group whose elements are group[b * stride].
template <int Radix, Gather How>
[[gnu::always_inline]] inline void transformOne(TComplexNum* group, std::ptrdiff_t stride,
                                                const TComplexNum* twiddle) {
    Cx<double> z[Radix];
    z[0] = loadOne(group[0]);
#pragma GCC unroll 10
    for (int b = 1; b < Radix; ++b) {
        const Cx<double> x = loadOne(group[b * stride]);
        z[b] = How == Gather::Plain ? x : mul(loadOne(twiddle[b]), x);
    }
    SmallDft<Radix>(z);
#pragma GCC unroll 10
    for (int b = 0; b < Radix; ++b)
        storeOne(group[b * stride], z[b]);
}

// The same for two groups at once, the second starting laneStep elements after the first.
template <int Radix, Gather How>
[[gnu::always_inline]] inline void transformPair(TComplexNum* group, std::ptrdiff_t stride,
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
    SmallDft<Radix>(z);
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
template <int Radix> void fixedRadixPass(TComplexNum* y, std::int32_t sofar, std::int32_t remain) {
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
    const TComplexNum step = twiddleStep(sofar, Radix);
    TComplexNum tw = ComplexOf(1.0, 0.0);
    TComplexNum base[kBlock];
    TComplexNum lastTwiddle[Radix];
    Cx<Pair> pairTwiddle[kBlock / 2][Radix];
    for (std::ptrdiff_t d0 = 0; d0 < sofar; d0 += kBlock) {
        const int lanes = static_cast<int>(std::min<std::ptrdiff_t>(kBlock, sofar - d0));
        for (int l = 0; l < lanes; ++l) {
            base[l] = tw;
            tw = ComplexMul(step, tw);
        }
        // The powers of each lane's base, two lanes at a time.
        const int pairs = lanes / 2;
        for (int p = 0; p < pairs; ++p) {
            const TComplexNum& t0 = base[2 * p];
            const TComplexNum& t1 = base[2 * p + 1];
            const Cx<Pair> t{Pair{t0.re, t1.re}, Pair{t0.im, t1.im}};
            pairTwiddle[p][0] = {Pair{1.0, 1.0}, Pair{0.0, 0.0}};
            pairTwiddle[p][1] = t;
            for (int b = 2; b < Radix; ++b)
                pairTwiddle[p][b] = mul(t, pairTwiddle[p][b - 1]);
        }
        if (lanes % 2 != 0)
            fillTwiddles(base[lanes - 1], Radix, lastTwiddle);
        for (std::ptrdiff_t g = 0; g < remain; ++g) {
            TComplexNum* block = y + d0 + g * span;
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
void oddRadixPass(TComplexNum* y, std::int32_t sofar, int radix, std::int32_t remain) {
    TComplexNum root[cMaxPrimeFactor];
    TComplexNum twiddle[cMaxPrimeFactor];
    TComplexNum z[cMaxPrimeFactor];
    TComplexNum v[kMaxHalf];
    TComplexNum w[kMaxHalf];
    FillRootTable(radix, root);

    const std::ptrdiff_t stride = sofar;
    const std::ptrdiff_t span = stride * radix;
    const TComplexNum step = sofar > 1 ? twiddleStep(sofar, radix) : ComplexOf(1.0, 0.0);
    TComplexNum tw = ComplexOf(1.0, 0.0);
    for (std::ptrdiff_t d = 0; d < sofar; ++d) {
        const bool rotate = sofar > 1 && d > 0;
        if (sofar > 1) {
            fillTwiddles(tw, radix, twiddle);
            tw = ComplexMul(step, tw);
        }
        for (std::ptrdiff_t g = 0; g < remain; ++g) {
            TComplexNum* group = y + d + g * span;
            z[0] = group[0];
            for (int b = 1; b < radix; ++b)
                z[b] = rotate ? ComplexMul(twiddle[b], group[b * stride]) : group[b * stride];
            SmallDftOdd(z, radix, root, v, w);
            for (int b = 0; b < radix; ++b)
                group[b * stride] = z[b];
        }
    }
}

void RadixPass(TComplexNum* y, std::int32_t sofar, int radix, std::int32_t remain) {
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

// ---------------------------------------------------------------------------------------
// The self-sorting form used when every radix has its own small transform. Before a pass
// (sofar S, radix r, remain R) the data hold, for every residue c < R*r, the length-S
// transform Y_c of the subsequence input[c + R*r*t], t = 0..S-1; the pass combines
// Y_{c + R*b}, b = 0..r-1, twiddled by tw_d^b, into the length-S*r transform Y'_c of
// input[c + R*t]. These are exactly the groups of the in-place passes after the digit
// reversal (there Y_c sits at the digit-reversed place of c), with the same twiddles and
// the same small transforms, so every value comes out with the same bits; only the
// places they are kept in differ, which makes the reordering copy unnecessary.
//
// The data are held as separate real and imaginary arrays in one of two orders:
//   by residue: Y_c[d] at d*C + c (C = n/S), so vectors run over neighbouring residues;
//   by position: Y_c[d] at c*S + d, so vectors run over neighbouring positions.
// The first passes, with S below the vector width, run by residue; the array is then
// transposed once and the passes from there on run by position.

// The twiddles tw_d^b of every pass with sofar > 1, built once per length with the
// repeated products of the in-place passes: tw_0 = 1, tw_{d+1} = step * tw_d and
// tw_d^b = tw_d * tw_d^(b-1). Pass i keeps them from offset[i] on, in blocks of eight
// positions: a block holds b = 1..r-1 one after another, eight positions each, so the
// twiddles of one group of lanes share a few neighbouring cache lines.
constexpr std::size_t kTwiddleBlock = 8;

inline std::size_t twiddleIndex(std::size_t d, std::size_t b, std::size_t radix) {
    return ((d / kTwiddleBlock) * (radix - 1) + (b - 1)) * kTwiddleBlock + d % kTwiddleBlock;
}

struct SortingPlan {
    std::int32_t n = 0;
    PassPlan passes;
    std::array<std::size_t, kFactorSlots> offset{};
    std::vector<double> re;
    std::vector<double> im;
};

bool hasOwnSmallDft(int radix) {
    return radix == 2 || radix == 3 || radix == 4 || radix == 5 || radix == 8 || radix == 10;
}

// Whether the self-sorting form takes this plan: every radix hand-written, more than one
// pass (a single pass needs no reordering anyway).
bool sortsItself(const PassPlan& plan) {
    if (plan.count < 2)
        return false;
    for (int i = 1; i <= plan.count; ++i)
        if (!hasOwnSmallDft(plan.factor[i]))
            return false;
    return true;
}

std::shared_ptr<const SortingPlan> buildSortingPlan(std::int32_t n, const PassPlan& passes) {
    auto plan = std::make_shared<SortingPlan>();
    plan->n = n;
    plan->passes = passes;
    std::size_t total = 0;
    for (int i = 1; i <= passes.count; ++i) {
        plan->offset[i] = total;
        if (passes.sofar[i] > 1)
            total += (static_cast<std::size_t>(passes.sofar[i]) + kTwiddleBlock - 1) / kTwiddleBlock *
                     kTwiddleBlock * static_cast<std::size_t>(passes.factor[i] - 1);
    }
    plan->re.resize(total);
    plan->im.resize(total);
    for (int i = 1; i <= passes.count; ++i) {
        const std::int32_t sofar = passes.sofar[i];
        const int radix = passes.factor[i];
        if (sofar == 1)
            continue;
        double* re = plan->re.data() + plan->offset[i];
        double* im = plan->im.data() + plan->offset[i];
        const TComplexNum step = twiddleStep(sofar, radix);
        TComplexNum tw = ComplexOf(1.0, 0.0);
        for (std::int32_t d = 0; d < sofar; ++d) {
            TComplexNum power = tw;
            for (int b = 1; b < radix; ++b) {
                if (b > 1)
                    power = ComplexMul(tw, power);
                re[twiddleIndex(d, b, radix)] = power.re;
                im[twiddleIndex(d, b, radix)] = power.im;
            }
            tw = ComplexMul(step, tw);
        }
    }
    return plan;
}

// The plans of the last few lengths, shared by every thread; the program itself uses one
// length only. A plan in use stays alive through its shared pointer when it is replaced.
std::shared_ptr<const SortingPlan> sortingPlanFor(std::int32_t n, const PassPlan& passes) {
    constexpr std::size_t kKeptPlans = 4;
    static std::mutex mutex;
    static std::vector<std::shared_ptr<const SortingPlan>> kept;
    {
        std::lock_guard lock(mutex);
        for (const auto& plan : kept)
            if (plan->n == n)
                return plan;
    }
    auto plan = buildSortingPlan(n, passes);
    std::lock_guard lock(mutex);
    if (kept.size() >= kKeptPlans)
        kept.erase(kept.begin());
    kept.push_back(plan);
    return plan;
}

// Work arrays of one transform: two pairs of real and imaginary arrays of n values each,
// aligned for the widest vectors. Kept per thread for lengths up to kKeptScratch.
class SortingScratch {
public:
    explicit SortingScratch(std::int32_t n) {
        constexpr std::int32_t kKeptScratch = 1 << 16;
        // Three cache lines between the arrays beyond a whole number of vectors, so that
        // the same index in each of them does not fall into the same cache set.
        const std::size_t stride = (static_cast<std::size_t>(n) + 7) / 8 * 8 + 24;
        const std::size_t size = 4 * stride + 8;
        std::vector<double>* storage = &local_;
        if (n <= kKeptScratch) {
            thread_local std::vector<double> kept;
            storage = &kept;
        }
        if (storage->size() < size)
            storage->resize(size);
        const auto address = reinterpret_cast<std::uintptr_t>(storage->data());
        double* base = storage->data() + (64 - address % 64) % 64 / sizeof(double);
        for (int k = 0; k < 4; ++k)
            arrays_[k] = base + static_cast<std::size_t>(k) * stride;
    }
    double* array(int k) const { return arrays_[k]; }

private:
    std::vector<double> local_;
    std::array<double*, 4> arrays_{};
};

template <int W> struct LaneType;
template <> struct LaneType<1> {
    using V = double;
};
template <> struct LaneType<2> {
    using V = double __attribute__((vector_size(16)));
    using I = long long __attribute__((vector_size(16)));
};
template <> struct LaneType<4> {
    using V = double __attribute__((vector_size(32)));
    using I = long long __attribute__((vector_size(32)));
};
template <> struct LaneType<8> {
    using V = double __attribute__((vector_size(64)));
    using I = long long __attribute__((vector_size(64)));
};

struct SplitArrays {
    double* re;
    double* im;
};

// A shuffle mask with lane l set to lane(l), fixed at compile time. (Written through a
// reference: a wide vector as a result would have a different calling convention in the
// functions built for each instruction set.)
template <class I, std::size_t... L, class Lane>
[[gnu::always_inline]] inline void setLaneMask(I& mask, std::index_sequence<L...>, Lane lane) {
    mask = I{lane(static_cast<long long>(L))...};
}

template <int W>
[[gnu::always_inline]] inline Cx<typename LaneType<W>::V> loadLanes(const double* re, const double* im,
                                                                    std::ptrdiff_t p) {
    using V = typename LaneType<W>::V;
    if constexpr (W == 1) {
        return {re[p], im[p]};
    } else {
        V r, i;
        std::memcpy(&r, re + p, sizeof r);
        std::memcpy(&i, im + p, sizeof i);
        return {r, i};
    }
}

template <int W>
[[gnu::always_inline]] inline Cx<typename LaneType<W>::V> loadLanes(SplitArrays a, std::ptrdiff_t p) {
    return loadLanes<W>(a.re, a.im, p);
}

template <int W>
[[gnu::always_inline]] inline void storeLanes(SplitArrays a, std::ptrdiff_t p, Cx<typename LaneType<W>::V> z) {
    if constexpr (W == 1) {
        a.re[p] = z.re;
        a.im[p] = z.im;
    } else {
        std::memcpy(a.re + p, &z.re, sizeof z.re);
        std::memcpy(a.im + p, &z.im, sizeof z.im);
    }
}

// W neighbouring complex values of an interleaved sequence, split into their parts.
template <int W>
[[gnu::always_inline]] inline Cx<typename LaneType<W>::V> loadLanes(const TComplexNum* x, std::ptrdiff_t p) {
    if constexpr (W == 1) {
        return {x[p].re, x[p].im};
    } else {
        using V = typename LaneType<W>::V;
        using I = typename LaneType<W>::I;
        V low, high;
        std::memcpy(&low, &x[p].re, sizeof low);
        std::memcpy(&high, &x[p].re + W, sizeof high);
        constexpr auto lanes = std::make_index_sequence<W>();
        I evens;
        setLaneMask(evens, lanes, [](long long l) { return 2 * l; });
        I odds;
        setLaneMask(odds, lanes, [](long long l) { return 2 * l + 1; });
        return {__builtin_shuffle(low, high, evens), __builtin_shuffle(low, high, odds)};
    }
}

template <int W>
[[gnu::always_inline]] inline void storeLanes(TComplexNum* x, std::ptrdiff_t p, Cx<typename LaneType<W>::V> z) {
    if constexpr (W == 1) {
        x[p] = {z.re, z.im};
    } else {
        using V = typename LaneType<W>::V;
        using I = typename LaneType<W>::I;
        constexpr auto lanes = std::make_index_sequence<W>();
        I lowMask;
        setLaneMask(lowMask, lanes, [](long long l) { return l / 2 + (l % 2) * W; });
        I highMask;
        setLaneMask(highMask, lanes, [](long long l) { return W / 2 + l / 2 + (l % 2) * W; });
        const V low = __builtin_shuffle(z.re, z.im, lowMask);
        const V high = __builtin_shuffle(z.re, z.im, highMask);
        std::memcpy(&x[p].re, &low, sizeof low);
        std::memcpy(&x[p].re + W, &high, sizeof high);
    }
}

// One pass by residue: for each position d, W neighbouring residues at a time, the rest
// one by one. Reads Y_{c+R*b}[d] at d*R*r + c + R*b, writes Y'_c[d + S*k] at (d + S*k)*R + c.
template <int Radix, int W, class Source, class Target>
[[gnu::always_inline]] inline void passByResidue(Source from, Target to, std::ptrdiff_t sofar, std::ptrdiff_t remain,
                                                 const double* twRe, const double* twIm) {
    const std::ptrdiff_t span = remain * Radix;
    for (std::ptrdiff_t d = 0; d < sofar; ++d) {
        Cx<double> tw[Radix] = {};
        const bool twiddled = d > 0;
        if (twiddled)
            for (int b = 1; b < Radix; ++b)
                tw[b] = {twRe[twiddleIndex(d, b, Radix)], twIm[twiddleIndex(d, b, Radix)]};
        const auto group = [&]<int L>(std::ptrdiff_t c) __attribute__((always_inline)) {
            using T = typename LaneType<L>::V;
            Cx<T> z[Radix];
#pragma GCC unroll 10
            for (int b = 0; b < Radix; ++b)
                z[b] = loadLanes<L>(from, d * span + c + remain * b);
            if (twiddled) {
#pragma GCC unroll 10
                for (int b = 1; b < Radix; ++b)
                    z[b] = mul(Cx<T>{T{} + tw[b].re, T{} + tw[b].im}, z[b]);
            }
            SmallDft<Radix>(z);
#pragma GCC unroll 10
            for (int k = 0; k < Radix; ++k)
                storeLanes<L>(to, (d + sofar * k) * remain + c, z[k]);
        };
        std::ptrdiff_t c = 0;
        for (; c + W <= remain; c += W)
            group.template operator()<W>(c);
        for (; c < remain; ++c)
            group.template operator()<1>(c);
    }
}

// One pass by position: for each residue c, W neighbouring positions at a time, the rest
// one by one. Reads Y_{c+R*b}[d] at (c + R*b)*S + d, writes Y'_c[d + S*k] at (c*r + k)*S + d.
// Position 0 is not twiddled.
template <int Radix, int W, class Target>
[[gnu::always_inline]] inline void passByPosition(SplitArrays from, Target to, std::ptrdiff_t sofar,
                                                  std::ptrdiff_t remain, const double* twRe, const double* twIm) {
    for (std::ptrdiff_t c = 0; c < remain; ++c) {
        const auto group = [&]<int L>(std::ptrdiff_t d) __attribute__((always_inline)) {
            using T = typename LaneType<L>::V;
            Cx<T> z[Radix];
            z[0] = loadLanes<L>(from, c * sofar + d);
#pragma GCC unroll 10
            for (int b = 1; b < Radix; ++b) {
                const Cx<T> x = loadLanes<L>(from, (c + remain * b) * sofar + d);
                const std::size_t at = twiddleIndex(d, b, Radix);
                if constexpr (L == 1) {
                    z[b] = d == 0 ? x : mul(loadLanes<1>(twRe, twIm, at), x);
                } else {
                    Cx<T> turned = mul(loadLanes<L>(twRe, twIm, at), x);
                    if (d == 0) {
                        turned.re[0] = x.re[0];
                        turned.im[0] = x.im[0];
                    }
                    z[b] = turned;
                }
            }
            SmallDft<Radix>(z);
#pragma GCC unroll 10
            for (int k = 0; k < Radix; ++k)
                storeLanes<L>(to, (c * Radix + k) * sofar + d, z[k]);
        };
        std::ptrdiff_t d = 0;
        for (; d + W <= sofar; d += W)
            group.template operator()<W>(d);
        for (; d < sofar; ++d)
            group.template operator()<1>(d);
    }
}

// One step of a W x W transpose held in W vectors: swaps the off-diagonal blocks of size
// K within every 2K x 2K block.
template <int W, int K> [[gnu::always_inline]] inline void transposeStep(typename LaneType<W>::V* rows) {
    using I = typename LaneType<W>::I;
    constexpr auto lanes = std::make_index_sequence<W>();
    I keep;
    setLaneMask(keep, lanes, [](long long l) { return (l & K) ? W + l - K : l; });
    I take;
    setLaneMask(take, lanes, [](long long l) { return (l & K) ? W + l : l + K; });
    for (int j = 0; j < W; ++j) {
        if (j & K)
            continue;
        const auto a = rows[j];
        const auto b = rows[j + K];
        rows[j] = __builtin_shuffle(a, b, keep);
        rows[j + K] = __builtin_shuffle(a, b, take);
    }
}

// rows[j][l] becomes rows[l][j].
template <int W> [[gnu::always_inline]] inline void transposeTile(typename LaneType<W>::V* rows) {
    transposeStep<W, 1>(rows);
    if constexpr (W > 2)
        transposeStep<W, 2>(rows);
    if constexpr (W > 4)
        transposeStep<W, 4>(rows);
}

// From residue order to position order: Y_c[d] moves from d*C + c to c*S + d, a transpose
// of an S x C matrix, in W x W tiles held in registers when both sides allow it.
template <int W>
[[gnu::always_inline]] inline void residueToPosition(SplitArrays from, SplitArrays to, std::ptrdiff_t sofar,
                                                     std::ptrdiff_t residues) {
    if (sofar % W != 0 || residues % W != 0) {
        for (std::ptrdiff_t d = 0; d < sofar; ++d)
            for (std::ptrdiff_t c = 0; c < residues; ++c) {
                to.re[c * sofar + d] = from.re[d * residues + c];
                to.im[c * sofar + d] = from.im[d * residues + c];
            }
        return;
    }
    using V = typename LaneType<W>::V;
    for (double* const* part : {&from.re, &from.im}) {
        const double* source = *part;
        double* target = part == &from.re ? to.re : to.im;
        for (std::ptrdiff_t d0 = 0; d0 < sofar; d0 += W)
            for (std::ptrdiff_t c0 = 0; c0 < residues; c0 += W) {
                V rows[W];
                for (int j = 0; j < W; ++j)
                    std::memcpy(&rows[j], source + (d0 + j) * residues + c0, sizeof(V));
                transposeTile<W>(rows);
                for (int j = 0; j < W; ++j)
                    std::memcpy(target + (c0 + j) * sofar + d0, &rows[j], sizeof(V));
            }
    }
}

template <int W, class Source, class Target>
[[gnu::always_inline]] inline void runPassByResidue(int radix, Source from, Target to, std::ptrdiff_t sofar,
                                                    std::ptrdiff_t remain, const double* twRe, const double* twIm) {
    switch (radix) {
    case 2:
        return passByResidue<2, W>(from, to, sofar, remain, twRe, twIm);
    case 3:
        return passByResidue<3, W>(from, to, sofar, remain, twRe, twIm);
    case 4:
        return passByResidue<4, W>(from, to, sofar, remain, twRe, twIm);
    case 5:
        return passByResidue<5, W>(from, to, sofar, remain, twRe, twIm);
    case 8:
        return passByResidue<8, W>(from, to, sofar, remain, twRe, twIm);
    default:
        return passByResidue<10, W>(from, to, sofar, remain, twRe, twIm);
    }
}

template <int W, class Target>
[[gnu::always_inline]] inline void runPassByPosition(int radix, SplitArrays from, Target to, std::ptrdiff_t sofar,
                                                     std::ptrdiff_t remain, const double* twRe, const double* twIm) {
    switch (radix) {
    case 2:
        return passByPosition<2, W>(from, to, sofar, remain, twRe, twIm);
    case 3:
        return passByPosition<3, W>(from, to, sofar, remain, twRe, twIm);
    case 4:
        return passByPosition<4, W>(from, to, sofar, remain, twRe, twIm);
    case 5:
        return passByPosition<5, W>(from, to, sofar, remain, twRe, twIm);
    case 8:
        return passByPosition<8, W>(from, to, sofar, remain, twRe, twIm);
    default:
        return passByPosition<10, W>(from, to, sofar, remain, twRe, twIm);
    }
}

// Every pass of a self-sorting plan (at least two passes), W lanes wide. The first pass
// reads the input, the last writes the output, the others go between the work arrays.
template <int W>
[[gnu::always_inline]] inline void runSortingPasses(const SortingPlan& plan, const TComplexNum* input,
                                                    TComplexNum* output, const SortingScratch& scratch) {
    const PassPlan& p = plan.passes;
    const int m = p.count;
    SplitArrays work[2] = {{scratch.array(0), scratch.array(1)}, {scratch.array(2), scratch.array(3)}};
    int current = 0; // work array holding the data between passes
    bool byPosition = false;
    for (int i = 1; i <= m; ++i) {
        const std::ptrdiff_t sofar = p.sofar[i];
        const std::ptrdiff_t remain = p.remain[i];
        const int radix = p.factor[i];
        const double* twRe = plan.re.data() + plan.offset[i];
        const double* twIm = plan.im.data() + plan.offset[i];
        if (!byPosition && sofar >= W) {
            residueToPosition<W>(work[current], work[current ^ 1], sofar, plan.n / sofar);
            current ^= 1;
            byPosition = true;
        }
        const SplitArrays from = work[current];
        const SplitArrays to = work[current ^ 1];
        if (i == 1)
            runPassByResidue<W>(radix, input, to, sofar, remain, twRe, twIm);
        else if (i == m && byPosition)
            runPassByPosition<W>(radix, from, output, sofar, remain, twRe, twIm);
        else if (i == m)
            runPassByResidue<W>(radix, from, output, sofar, remain, twRe, twIm);
        else if (byPosition)
            runPassByPosition<W>(radix, from, to, sofar, remain, twRe, twIm);
        else
            runPassByResidue<W>(radix, from, to, sofar, remain, twRe, twIm);
        current ^= 1;
    }
}

void sortingPassesBaseline(const SortingPlan& plan, const TComplexNum* input, TComplexNum* output,
                           const SortingScratch& scratch) {
    runSortingPasses<2>(plan, input, output, scratch);
}

#if defined(__x86_64__)
[[gnu::target("avx2")]] void sortingPassesAvx2(const SortingPlan& plan, const TComplexNum* input,
                                               TComplexNum* output, const SortingScratch& scratch) {
    runSortingPasses<4>(plan, input, output, scratch);
}

[[gnu::target("avx512f")]] void sortingPassesAvx512(const SortingPlan& plan, const TComplexNum* input,
                                                    TComplexNum* output, const SortingScratch& scratch) {
    runSortingPasses<8>(plan, input, output, scratch);
}
#endif

using SortingPasses = void (*)(const SortingPlan&, const TComplexNum*, TComplexNum*, const SortingScratch&);

// The widest lanes this processor has: every lane does the same operations in the same
// order whatever the width, so the choice changes the speed only.
SortingPasses widestSortingPasses() {
#if defined(__x86_64__)
    if (__builtin_cpu_supports("avx512f"))
        return sortingPassesAvx512;
    if (__builtin_cpu_supports("avx2"))
        return sortingPassesAvx2;
#endif
    return sortingPassesBaseline;
}

bool overlaps(const TComplexNum* a, const TComplexNum* b, std::int32_t n) {
    const std::less<const TComplexNum*> before;
    return before(a, b + n) && before(b, a + n);
}

} // namespace

std::vector<int> SplitLength(std::int32_t n) {
    if (n <= 0)
        return {};
    PassPlan plan;
    splitInto(n, plan);
    return std::vector<int>(plan.factor.begin() + 1, plan.factor.begin() + 1 + plan.count);
}

namespace detail {

bool fftPathAvailable(FftPath path) {
    switch (path) {
    case FftPath::DigitReversal:
    case FftPath::SelfSorting2:
        return true;
    case FftPath::SelfSorting4:
#if defined(__x86_64__)
        return __builtin_cpu_supports("avx2");
#else
        return false;
#endif
    case FftPath::SelfSorting8:
#if defined(__x86_64__)
        return __builtin_cpu_supports("avx512f");
#else
        return false;
#endif
    case FftPath::Widest:
        return true;
    }
    return false;
}

void ForwardFftBy(FftPath path, const TComplexNum* input, TComplexNum* output, std::int32_t n) {
    // A negative count is a caller's mistake; it is treated like 0 so that no element
    // outside the sequences is ever read or written.
    if (n <= 0)
        return;
    PassPlan plan;
    splitInto(n, plan);
    // The first factor is the largest one found by trial division, so this one check
    // covers every factor before anything is written.
    if (plan.factor[1] > cMaxPrimeFactor)
        throw UserError(msg::kFftPrimeFactor);
    fillPassTables(n, plan);

    if (path != FftPath::DigitReversal && sortsItself(plan)) {
        static const SortingPasses widest = widestSortingPasses();
        SortingPasses passes = widest;
#if defined(__x86_64__)
        if (path == FftPath::SelfSorting4)
            passes = sortingPassesAvx2;
        else if (path == FftPath::SelfSorting8)
            passes = sortingPassesAvx512;
#endif
        if (path == FftPath::SelfSorting2)
            passes = sortingPassesBaseline;
        // The input is read in full by the first pass and the output written only by the
        // last, so the two may be the same sequence.
        const auto sorting = sortingPlanFor(n, plan);
        const SortingScratch scratch(n);
        passes(*sorting, input, output, scratch);
        return;
    }

    if (overlaps(input, output, n)) {
        std::vector<TComplexNum> copy(static_cast<std::size_t>(n));
        DigitReverseCopy(input, copy.data(), n, plan);
        std::copy(copy.begin(), copy.end(), output);
    } else {
        DigitReverseCopy(input, output, n, plan);
    }

    for (int i = 1; i <= plan.count; ++i)
        RadixPass(output, plan.sofar[i], plan.factor[i], plan.remain[i]);
}

} // namespace detail

void ForwardFft(const TComplexNum* input, TComplexNum* output, std::int32_t n) {
    detail::ForwardFftBy(detail::FftPath::Widest, input, output, n);
}

} // namespace kolmarin
