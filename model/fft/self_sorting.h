#pragma once
// The self-sorting form of the transform, for lengths whose radices all have their own
// small transform: no reordering copy, separate real and imaginary work arrays, vectors of
// 2, 4 or 8 lanes.

#include "model/fft/complex.h"
#include "model/fft/fft.h"
#include "model/fft/pass_plan.h"

#include <cstdint>

namespace kolmarin::detail {

// Whether the self-sorting form takes this plan: every radix hand-written, more than one
// pass (a single pass needs no reordering anyway).
bool sortsItself(const PassPlan& plan);

// The transform of input into output along plan (tables filled, sortsItself(plan) true),
// with the lanes `path` asks for (any other path than a SelfSorting one takes the widest).
// input and output may be the same sequence.
void selfSortingFft(FftPath path, const Complex* input, Complex* output, std::int32_t n,
                    const PassPlan& plan);

} // namespace kolmarin::detail
