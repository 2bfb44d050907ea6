#pragma once
// The vector instructions this processor offers beyond the x86-64 baseline. The transform
// and the image-source row loop are built for several instruction sets and pick one at
// run time with these; elsewhere than on x86-64 they all answer false.

namespace kolmarin {

inline bool processorHasAvx2() {
#if defined(__x86_64__)
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

inline bool processorHasFma() {
#if defined(__x86_64__)
    return __builtin_cpu_supports("fma");
#else
    return false;
#endif
}

// AVX-512 Foundation: eight double lanes.
inline bool processorHasAvx512() {
#if defined(__x86_64__)
    return __builtin_cpu_supports("avx512f");
#else
    return false;
#endif
}

} // namespace kolmarin
