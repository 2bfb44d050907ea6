#pragma once
// The standing-wave response at a seat: an image-source model of the rectangular room
// gives one sampled impulse response per source, an 8192-point transform turns each (and
// their sum) into a spectrum, and the levels in dB are kept in ResponseCurves. Calls that
// take a seat index work at that seat of the scene; the main window's listener is seat 0.
//
// The calls below drive the steps in order, each in its own file and each using only the
// ones before it: the axis tables (image_tables.h), the accumulation (image_accumulation.h,
// its reference loop reference_accumulation.h, or continuous_delays.h), the transforms
// (response_transform.h) and the levels (response_levels.h).

#include "model/acoustics/impulse_responses.h"
#include "model/acoustics/reference_accumulation.h"
#include "model/acoustics/response_curves.h"
#include "model/acoustics/scene.h"

namespace kolmarin {

// The image-source accumulation used by the program. Under the continuous delay model the
// responses are band-limited ones whose transform holds the spectrum at bins k/2 Hz.
void accumulateImpulseResponses(const Scene& scene, ImpulseResponses& out, int seat = 0);

// One whole calculation on a corrected scene: impulse responses, one transform per source
// and one of their sum, and the levels of bins 2f+1 stored at element 2f for
// f = start..end; under the continuous delay model the level at f itself (see
// continuous_delays.h). A source's level, delay and polarity act on its spectrum, and the
// Total is the sum of the spectra so changed. Nothing is stored when start > end, and
// nothing at all when a floating-point fault is raised; an overflow says in its detail
// what overflowed (see overflow_detail.h), here and in the calls below.
void calculateResponse(const Scene& scene, ResponseCurves& curves, int seat = 0);
// The same, handing out the impulse responses the levels came from (untouched on a failure).
void calculateResponse(const Scene& scene, ResponseCurves& curves, ImpulseResponses& impulses, int seat = 0);
// The same calculation with the same result, run wholly in the calling thread without the
// worker pool: for tasks that run many scenes side by side on the pool.
void calculateResponseInCaller(const Scene& scene, ResponseCurves& curves, int seat = 0);
// Only the Total levels of calculateResponseInCaller, the same bits and the same errors,
// for callers that need no other curve (the spread of many placements); the sources'
// curves are left as they were. Under the continuous model, plain sources' images are
// added into one set of grids: the Total agrees to rounding, and only its own faults are
// raised.
void calculateTotalInCaller(const Scene& scene, ResponseCurves& curves, int seat = 0);
void calculateResponseReference(const Scene& scene, ResponseCurves& curves, int seat = 0);

} // namespace kolmarin
