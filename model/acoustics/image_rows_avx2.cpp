// The row loop for AVX2 with FMA: four lanes, with a square root and a division per
// image. (Reciprocal square root estimates refined to full precision, from single
// precision or from the bits of the double, measured slower on the processors we run on
// than the divider.)
#include "model/acoustics/image_row_kernel.h"

#include <immintrin.h>

namespace kolmarin::detail {
namespace {

struct Avx2 {
    using V = __m256d;
    typedef long long VI __attribute__((vector_size(32)));
    static constexpr int kWidth = 4;
    static V fma(V a, V b, V c) { return _mm256_fmadd_pd(a, b, c); }
    static V sqrt(V x) { return _mm256_sqrt_pd(x); }
    static __m128i nearestIndices(V x) { return _mm256_cvtpd_epi32(x); }
};

} // namespace

void accumulateRowsAvx2(const RowBand& band) {
    accumulateBand<ExactRoot<Avx2>>(band);
}

} // namespace kolmarin::detail
