// The row loop for AVX-512: eight lanes, and a 14-bit reciprocal square root estimate
// refined once to full double precision instead of a square root and a division per
// image. Compiled with AVX-512 enabled; called only on such processors. (The zero-masked
// forms of the intrinsics: the plain ones start from an undefined register, which GCC 12
// reports as a possibly uninitialised value.)
#include "model/acoustics/image_row_kernel.h"

#include <immintrin.h>

namespace kolmarin::detail {
namespace {

struct Avx512 {
    using V = __m512d;
    typedef long long VI __attribute__((vector_size(64)));
    static constexpr int kWidth = 8;
    static V fma(V a, V b, V c) { return _mm512_fmadd_pd(a, b, c); }
    static V reciprocalRoot(V x) {
        return refinedReciprocalRoot<Avx512>(_mm512_maskz_rsqrt14_pd(0xFF, x), x);
    }
    static void rootAndReciprocal(V x, V& root, V& reciprocal) {
        reciprocal = reciprocalRoot(x);
        root = x * reciprocal;
    }
    static __m256i nearestIndices(V x) { return _mm512_maskz_cvtpd_epi32(0xFF, x); }
};

} // namespace

void accumulateRowsAvx512(const RowBand& band) {
    accumulateBand<Avx512>(band);
}

} // namespace kolmarin::detail
