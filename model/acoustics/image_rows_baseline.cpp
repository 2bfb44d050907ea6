// The row loop for any processor (two lanes of the compiler's own vectors, SSE2 on
// x86-64), with an exact square root and division.
#include "model/acoustics/image_row_kernel.h"

namespace kolmarin::detail {
namespace {

struct Baseline {
    typedef double V __attribute__((vector_size(16)));
    typedef long long VI __attribute__((vector_size(16)));
    typedef int Indices __attribute__((vector_size(8)));
    static constexpr int kWidth = 2;
    static V fma(V a, V b, V c) { return a * b + c; }
    static V sqrt(V x) { return V{__builtin_sqrt(x[0]), __builtin_sqrt(x[1])}; }
    // Adding 1.5 * 2^52 to a value below 2^51 rounds it to an integer, halves to even in
    // the default rounding mode, and leaves that integer in the low bits of the sum.
    static Indices nearestIndices(V x) {
        return __builtin_convertvector(__builtin_bit_cast(VI, x + 6755399441055744.0), Indices);
    }
};

} // namespace

void accumulateRowsBaseline(const RowBand& band) {
    accumulateBand<ExactRoot<Baseline>>(band);
}

} // namespace kolmarin::detail
