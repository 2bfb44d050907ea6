#include "model/ffts.h"

#include "model/errors.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
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

template <typename T> inline Cx<T> add(Cx<T> a, Cx<T> b) {
    return {a.re + b.re, a.im + b.im};
}
template <typename T> inline Cx<T> sub(Cx<T> a, Cx<T> b) {
    return {a.re - b.re, a.im - b.im};
}
template <typename T> inline Cx<T> mul(Cx<T> a, Cx<T> b) {
    return {a.re * b.re - a.im * b.im, a.im * b.re + a.re * b.im};
}
template <typename T> inline Cx<T> scale(Cx<T> a, double s) {
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

void ForwardFft(const TComplexNum* input, TComplexNum* output, std::int32_t n) {
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

} // namespace kolmarin
