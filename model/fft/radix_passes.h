#pragma once
// The in-place passes of the digit-reversal form of the transform.

#include "model/fft/complex.h"

#include <cstdint>

namespace kolmarin::detail {

// One pass over y (already in digit-reversed order): the remain groups of each of the
// sofar positions are twiddled, transformed with the radix's small transform (or the
// general odd one) and written back in place.
void radixPass(Complex* y, std::int32_t sofar, int radix, std::int32_t remain);

} // namespace kolmarin::detail
