#include "model/fft/self_sorting.h"

#include "model/cpu_features.h"
#include "model/fft/butterflies.h"
#include "model/fft/self_sorting_plan.h"
#include "model/fft/vector_lanes.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace kolmarin::detail {

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

namespace {

bool hasOwnSmallDft(int radix) {
    return radix == 2 || radix == 3 || radix == 4 || radix == 5 || radix == 8 || radix == 10;
}

// One pass by residue: for each position d, W neighbouring residues at a time, the rest
// one by one. Reads Y_{c+R*b}[d] at d*R*r + c + R*b, writes Y'_c[d + S*k] at (d + S*k)*R + c.
template <int Radix, int W, class Source, class Target>
[[gnu::always_inline]] inline void passByResidue(Source from, Target to, std::ptrdiff_t sofar,
                                                 std::ptrdiff_t remain, const double* twRe,
                                                 const double* twIm) {
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
            smallDft<Radix>(z);
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
                                                  std::ptrdiff_t remain, const double* twRe,
                                                  const double* twIm) {
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
            smallDft<Radix>(z);
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
                                                    std::ptrdiff_t remain, const double* twRe,
                                                    const double* twIm) {
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
[[gnu::always_inline]] inline void runPassByPosition(int radix, SplitArrays from, Target to,
                                                     std::ptrdiff_t sofar, std::ptrdiff_t remain,
                                                     const double* twRe, const double* twIm) {
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
[[gnu::always_inline]] inline void runSortingPasses(const SortingPlan& plan, const Complex* input,
                                                    Complex* output, const SortingScratch& scratch) {
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

void sortingPassesBaseline(const SortingPlan& plan, const Complex* input, Complex* output,
                           const SortingScratch& scratch) {
    runSortingPasses<2>(plan, input, output, scratch);
}

#if defined(__x86_64__)
[[gnu::target("avx2")]] void sortingPassesAvx2(const SortingPlan& plan, const Complex* input, Complex* output,
                                               const SortingScratch& scratch) {
    runSortingPasses<4>(plan, input, output, scratch);
}

[[gnu::target("avx512f")]] void sortingPassesAvx512(const SortingPlan& plan, const Complex* input,
                                                    Complex* output, const SortingScratch& scratch) {
    runSortingPasses<8>(plan, input, output, scratch);
}
#endif

using SortingPasses = void (*)(const SortingPlan&, const Complex*, Complex*, const SortingScratch&);

// The widest lanes this processor has: every lane does the same operations in the same
// order whatever the width, so the choice changes the speed only.
SortingPasses widestSortingPasses() {
#if defined(__x86_64__)
    if (processorHasAvx512())
        return sortingPassesAvx512;
    if (processorHasAvx2())
        return sortingPassesAvx2;
#endif
    return sortingPassesBaseline;
}

} // namespace

bool sortsItself(const PassPlan& plan) {
    if (plan.count < 2)
        return false;
    for (int i = 1; i <= plan.count; ++i)
        if (!hasOwnSmallDft(plan.factor[i]))
            return false;
    return true;
}

void selfSortingFft(FftPath path, const Complex* input, Complex* output, std::int32_t n,
                    const PassPlan& plan) {
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
}

} // namespace kolmarin::detail
