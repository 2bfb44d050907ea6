#pragma once
// Vectors of 1, 2, 4 or 8 doubles for the self-sorting form: moving complex values between
// them and split or interleaved arrays, and transposing square tiles held in them.

#include "model/fft/butterflies.h"
#include "model/fft/complex.h"

#include <cstddef>
#include <cstring>
#include <utility>

namespace kolmarin::detail {

template <int W> struct LaneType;
template <> struct LaneType<1> { using V = double; };
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

// Lane l of the result is lane mask[l] of a and b taken together (a's lanes first), the
// mask's lanes counted modulo twice the lane count. GCC permutes by a mask vector
// directly; Clang has only constant lane lists, so there it goes lane by lane, which
// its optimiser turns back into shuffles where the mask is known, as it always is here.
template <class V, class I> [[gnu::always_inline]] inline V shuffleLanes(V a, V b, I mask) {
#if defined(__clang__)
    constexpr int lanes = sizeof(V) / sizeof(a[0]);
    V out;
    for (int l = 0; l < lanes; ++l) {
        const int from = static_cast<int>(mask[l] % (2 * lanes));
        out[l] = from < lanes ? a[from] : b[from - lanes];
    }
    return out;
#else
    return __builtin_shuffle(a, b, mask);
#endif
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
[[gnu::always_inline]] inline void storeLanes(SplitArrays a, std::ptrdiff_t p,
                                              Cx<typename LaneType<W>::V> z) {
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
[[gnu::always_inline]] inline Cx<typename LaneType<W>::V> loadLanes(const Complex* x, std::ptrdiff_t p) {
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
        return {shuffleLanes(low, high, evens), shuffleLanes(low, high, odds)};
    }
}

template <int W>
[[gnu::always_inline]] inline void storeLanes(Complex* x, std::ptrdiff_t p, Cx<typename LaneType<W>::V> z) {
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
        const V low = shuffleLanes(z.re, z.im, lowMask);
        const V high = shuffleLanes(z.re, z.im, highMask);
        std::memcpy(&x[p].re, &low, sizeof low);
        std::memcpy(&x[p].re + W, &high, sizeof high);
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
        rows[j] = shuffleLanes(a, b, keep);
        rows[j + K] = shuffleLanes(a, b, take);
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

} // namespace kolmarin::detail
