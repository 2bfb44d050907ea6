#pragma once
// How a source's level, delay, polarity and crossover branch act on what it gives at a
// seat: one factor per frequency on its spectrum, or the same on its impulse response.
// A plain source (0 dB, no delay, not reversed, full range) leaves both as they are.

#include "model/acoustics/scene.h"
#include "model/fft/complex.h"

#include <vector>

namespace kolmarin::detail {

bool allPlain(const Scene& scene);

// The factor a source's level and polarity put on its whole spectrum.
double gainOf(const Source& source);

// The factor the source puts on its spectrum at `frequency`: `gain` (its gainOf), the
// delay's phase turn e^(-2 pi i f delay) and its crossover branch.
Complex sourceFactor(const Source& source, double gain, double frequency);

// The source's factor on a transform of kTransformLength bins: bin k, at k/2 Hz.
void shapeSpectrum(const Source& source, std::vector<Complex>& spectrum);

// The source's impulse response as it reaches the Total: its transform times the factor,
// taken at each bin's own frequency (negative above the middle bin, so the result stays
// real), transformed back.
void shapeImpulse(const Source& source, std::vector<double>& impulse);

} // namespace kolmarin::detail
