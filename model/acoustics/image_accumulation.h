#pragma once
// The fast image-source accumulation: the same model as the reference loop, with each
// axis sorted by distance so the late images of a row form its tail, the inner loop in
// vectors, rows whose images all arrive after sample 8000 summed by a series, and the
// rows spread over the worker pool in fixed bands that are summed in a fixed order, so the
// result does not depend on the number of threads.

#include "model/acoustics/impulse_responses.h"
#include "model/acoustics/scene.h"

namespace kolmarin::detail {

enum class VectorIsa { Baseline, Avx2, Avx512 };

// Whether this build has the row loop for `isa` and this processor can run it.
bool isaAvailable(VectorIsa isa);
VectorIsa widestAvailableIsa();

struct FastAccumulationOptions {
    int maxThreads = 0;                // 0: every thread of the shared pool
    VectorIsa isa = VectorIsa::Avx512; // lowered to the widest available
    // Every band in the calling thread with this thread's own workspace, never waking the
    // pool: for callers that are themselves pool tasks, many scenes side by side. The
    // bands and their order are the same, so the result is too.
    bool inCaller = false;
};

// Clears and fills `out` like accumulateImpulseResponsesReference at seat `seat`, and
// raises the same error for a faulty scene. Scenes whose values come near the limits of a
// double are handed to the reference loop whole.
void accumulateImagesFast(const Scene& scene, ImpulseResponses& out,
                          const FastAccumulationOptions& options = {}, int seat = 0);

} // namespace kolmarin::detail
