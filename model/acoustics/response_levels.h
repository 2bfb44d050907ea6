#pragma once
// The last step of a calculation: levels in dB from the spectra, the faults that stop
// them, and storing them into ResponseCurves. Every level of a calculation is taken
// before the first one is stored, and the fault raised is the first met going through
// the elements in order, each source and then the Total at each.

#include "model/acoustics/impulse_responses.h"
#include "model/acoustics/response_curves.h"
#include "model/acoustics/scene.h"
#include "model/fft/complex.h"

#include <cstddef>
#include <vector>

namespace kolmarin::detail {

// The first level of a curve that cannot be taken: element and message; or, when the
// caller asked for it, the first bin whose power lies within the rounding noise.
struct LevelFault {
    int element = kCurvePoints;
    const char* message = nullptr;
    bool withinNoise = false;
};

// Levels in dB of bins first + 1 .. last + 1 into levels[first .. last]; stops at the
// first bin whose power overflows or is zero (the logarithm of zero divides by zero), or
// is at most `noisePower`.
LevelFault takeLevels(const std::vector<Complex>& spectrum, Curve& levels, const ElementRange& range,
                      double noisePower);

// Stores levels[0 .. faults.size() - 1] (each source's, then the Total's) over `range`
// unless a curve met a fault. The first fault by element decides: within the noise,
// nothing is stored or raised and the result is false; a message is raised.
bool storeUnlessFaulty(const std::vector<LevelFault>& faults, const std::vector<Curve>& levels,
                       ElementRange range, ResponseCurves& curves);

// Elements range.first..range.last of levels[0 .. sources] into `curves`: levels[s] is
// source s's, levels[sources] the Total's. A scene with another number of sources starts
// the source curves afresh; with `totalOnly` (sources == 0) only the Total is stored and
// the source curves are left as they were.
void storeCurves(const std::vector<Curve>& levels, std::size_t sources, ElementRange range,
                 ResponseCurves& curves, bool totalOnly = false);

// A bound for each curve (the sources', then the Total's) that no power is ever under.
std::vector<double> noNoiseBound(const ImpulseResponses& h);

// The powers below which a level of the fast accumulation is rounding noise: the images
// summed in another order could leave another residue there, or an exact zero, whose
// logarithm fails. The scale of each curve is the sum of its samples' magnitudes and of
// its direct sound's amplitude, times its gain; the Total's the sum of those. Rounding
// noise lies some nine orders of magnitude below, and any real level far above.
std::vector<double> roundingNoisePowers(const Scene& scene, const ImpulseResponses& h, int seat);

// Whether both loudspeakers' levels over `range` certainly have no fault (every power
// finite and far above its rounding noise `noise`), judged from the packed transform of
// h1 + i h2 (see transformPackedPair), up to rounding far below the margins used here.
bool pairLevelsSound(const ElementRange& range, const Complex* packed, const std::vector<double>& noise);

// The continuous model's levels: element j at its own bin j, for each of `spectra`.
// Throws UserError at the first power that overflows or is zero.
std::vector<Curve> continuousLevels(const std::vector<std::vector<Complex>>& spectra, ElementRange range);

} // namespace kolmarin::detail
