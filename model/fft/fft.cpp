#include "model/fft/fft.h"

#include "model/errors.h"
#include "model/fft/digit_reversal.h"
#include "model/fft/pass_plan.h"
#include "model/fft/self_sorting.h"

#include <cstdint>

namespace kolmarin {

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
        SelfSortingFft(path, input, output, n, plan);
        return;
    }
    DigitReversalFft(input, output, n, plan);
}

} // namespace detail

void ForwardFft(const TComplexNum* input, TComplexNum* output, std::int32_t n) {
    detail::ForwardFftBy(detail::FftPath::Widest, input, output, n);
}

} // namespace kolmarin
