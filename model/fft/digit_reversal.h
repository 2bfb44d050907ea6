#pragma once
// The digit-reversal form of the transform: reorder, then every pass in place.

#include "model/fft/complex.h"
#include "model/fft/pass_plan.h"

#include <cstdint>

namespace kolmarin::detail {

// The transform of input into output along plan (tables filled): the input is copied in
// digit-reversed order and the passes run in place on output. input and output may be the
// same sequence or overlap.
void digitReversalFft(const Complex* input, Complex* output, std::int32_t n, const PassPlan& plan);

} // namespace kolmarin::detail
