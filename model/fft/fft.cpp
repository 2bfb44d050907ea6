#include "model/fft/fft.h"

#include "model/cpu_features.h"
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
        return processorHasAvx2();
    case FftPath::SelfSorting8:
        return processorHasAvx512();
    case FftPath::Widest:
        return true;
    }
    return false;
}

void forwardFftBy(FftPath path, const Complex* input, Complex* output, std::int32_t n) {
    // A negative count is a caller's mistake; it is treated like 0 so that no element
    // outside the sequences is ever read or written.
    if (n <= 0)
        return;
    PassPlan plan;
    splitInto(n, plan);
    // The first factor is the largest one found by trial division, so this one check
    // covers every factor before anything is written.
    if (plan.factor[1] > kMaxPrimeFactor)
        throw UserError(msg::kFftPrimeFactor);
    fillPassTables(n, plan);

    if (path != FftPath::DigitReversal && sortsItself(plan)) {
        selfSortingFft(path, input, output, n, plan);
        return;
    }
    digitReversalFft(input, output, n, plan);
}

} // namespace detail

void forwardFft(const Complex* input, Complex* output, std::int32_t n) {
    detail::forwardFftBy(detail::FftPath::Widest, input, output, n);
}

} // namespace kolmarin
