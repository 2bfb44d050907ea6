#pragma once
// The transform step of a calculation: the impulse responses of the whole-sample model
// become spectra of kTransformLength bins, one per source and one of their sum (the
// Total); the continuous model's spectra, already at their bins, take their sources'
// factors and are summed. Taking levels from the spectra is the next step's job.

#include "model/acoustics/continuous_delays.h"
#include "model/acoustics/impulse_responses.h"
#include "model/acoustics/response_curves.h"
#include "model/acoustics/scene.h"
#include "model/fft/complex.h"

#include <cstddef>
#include <vector>

namespace kolmarin::detail {

// The transform buffers of one calculating thread, kept between calculations: the inputs
// and spectra of 8192 complex values would otherwise be fresh allocations, and fresh
// pages, every time. Curve s < sources is source s alone, the last one the Total; its
// levels are taken into `levels`.
struct TransformBuffers {
    std::vector<std::vector<Complex>> inputs;
    std::vector<std::vector<Complex>> spectra;
    std::vector<Curve> levels;
};

// This thread's buffers, with room for at least `curves` curves.
TransformBuffers& transformBuffers(std::size_t curves);

// Whether every sample is at most 1e290 in magnitude. A transform's output is bounded by
// the sum of its input's magnitudes, so then nothing in it can overflow and the transforms
// need no checks; larger samples (or infinities and NaN) need every value checked.
bool transformsCannotOverflow(const ImpulseResponses& h);

// Spectrum `curve` into b.spectra[curve], unchecked: one source's response, or (curve ==
// sources) the sum of all of them, for plain sources whose samples cannot overflow. The
// curves are independent of one another and may be transformed side by side.
void transformCurve(std::size_t curve, const ImpulseResponses& h, TransformBuffers& b);

// Every curve's spectrum into b.spectra, with each input and output checked: plain
// sources add in time, as the room adds them; shaped ones are transformed alone, take
// their factors and add as spectra. Throws UserError(kOverflow) on a value beyond a double.
void transformCurvesChecked(const Scene& scene, const ImpulseResponses& h, TransformBuffers& b);

// The transform of h1 + i h2 for a scene of two sources, in b.inputs[0]: bin k of it gives
// H1(k) = (P(k) + conj P(n-k)) / 2 and H2(k) = (P(k) - conj P(n-k)) / 2i.
const Complex* transformPackedPair(const ImpulseResponses& h, TransformBuffers& b);

// The transform of the sum of the responses alone, in b.inputs[0].
const std::vector<Complex>& transformTotal(const ImpulseResponses& h, TransformBuffers& b);

// The continuous model's curves from its spectra at bins k/2 Hz: each source's through
// its level, delay, polarity and crossover branch, and the Total as the last one; with
// `totalOnly` (plain sources summed as they were accumulated) the Total alone.
// `leftOutMayShow` tells whether the images the accumulation left out could show in any
// of these curves over `range`.
struct ContinuousCurves {
    std::vector<std::vector<Complex>> spectra;
    bool leftOutMayShow = false;
};
ContinuousCurves shapeContinuousSpectra(const Scene& scene, ContinuousSpectra accumulated, int bins,
                                        ElementRange range, bool totalOnly);

} // namespace kolmarin::detail
