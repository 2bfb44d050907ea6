#pragma once
// Clang has no __builtin_shuffle, GCC's lane permutation by a mask vector, which the
// transform's vector lanes (model/fft/vector_lanes.h) use. Every Clang build, the fuzz
// build among them, includes this before each model source: a lane-by-lane permutation
// with the same meaning, mask lanes taken modulo twice the lane count as GCC does, which
// the optimiser turns back into shuffles where the mask is known.
#if defined(__clang__) && !__has_builtin(__builtin_shuffle)

template <class V, class Mask> inline V kolmarinShuffleLanes(V a, V b, Mask mask) {
    constexpr int lanes = sizeof(V) / sizeof(a[0]);
    V out;
    for (int l = 0; l < lanes; ++l) {
        const int from = static_cast<int>(mask[l] % (2 * lanes));
        out[l] = from < lanes ? a[from] : b[from - lanes];
    }
    return out;
}

#define __builtin_shuffle kolmarinShuffleLanes

#endif
