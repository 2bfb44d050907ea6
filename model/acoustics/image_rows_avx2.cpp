// The row loop for AVX2 with FMA: four lanes. The reciprocal square root starts from the
// 12-bit single-precision estimate, refined twice to full double precision; scenes whose
// distances leave the single-precision range use the exact variant with a square root
// and a division.
#include "model/acoustics/image_row_kernel.h"

#include <immintrin.h>

namespace kolmarin::detail {
namespace {

struct Avx2Base {
    using V = __m256d;
    typedef long long VI __attribute__((vector_size(32)));
    static constexpr int kWidth = 4;
    static V fma(V a, V b, V c) { return _mm256_fmadd_pd(a, b, c); }
    static V sqrt(V x) { return _mm256_sqrt_pd(x); }
    static __m128i nearestIndices(V x) { return _mm256_cvtpd_epi32(x); }
};

struct Avx2Estimate : Avx2Base {
    static V reciprocalRoot(V x) {
        const V u = _mm256_cvtps_pd(_mm_rsqrt_ps(_mm256_cvtpd_ps(x)));
        return refinedReciprocalRoot<Avx2Base>(refinedReciprocalRoot<Avx2Base>(u, x), x);
    }
    static void rootAndReciprocal(V x, V& root, V& reciprocal) {
        reciprocal = reciprocalRoot(x);
        root = x * reciprocal;
    }
};

} // namespace

void accumulateRowsAvx2(const RowBand& band) {
    accumulateBand<Avx2Estimate>(band);
}
void accumulateRowsAvx2Exact(const RowBand& band) {
    accumulateBand<ExactRoot<Avx2Base>>(band);
}

} // namespace kolmarin::detail
