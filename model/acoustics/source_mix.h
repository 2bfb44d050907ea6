#pragma once
// How each source's spectrum enters a seat's Total: its level, delay and polarity and its
// branch of the crossover, evaluated at the frequency of the transform bin the chart shows
// (element j of a curve holds bin j + 1's level, so its bin lies at (j + 1) / 2 Hz). A delay
// is then exactly a shift of the impulse response, and the sum of the sources' spectra is
// the spectrum of the sum of their impulse responses.

#include "model/acoustics/crossover.h"
#include "model/acoustics/peaking_filter.h"
#include "model/acoustics/response.h"
#include "model/fft/complex.h"

#include <array>
#include <vector>

namespace kolmarin {

// Hertz of the spectrum value curve element `element` holds: transform bin j + 1 for the
// whole-sample model, the element's own frequency j / 2 for the continuous one.
inline double binFrequency(int element, DelayModel delays = DelayModel::Sample) {
    return 0.5 * (delays == DelayModel::Continuous ? element : element + 1);
}

struct SourceDrive {
    double levelDb = 0.0;
    double delayMs = 0.0;
    bool inverted = false;
    CrossoverBranch branch = CrossoverBranch::Full;
    const std::vector<PeakingFilter>* eq = nullptr; // the channel's EQ, if any
};

// e^(-j 2 pi f delay) times the crossover branch's response: the part of a source's gain
// that depends on frequency. `crossover` is ignored for the full branch.
Complex delayAndFilter(double frequency, double delayMs, CrossoverBranch branch, double crossover);

// The factor a source's spectrum is multiplied by at `frequency`:
// (10^(level/20), negated when inverted) times delayAndFilter.
Complex sourceGain(const SourceDrive& drive, double frequency, double crossover);

// The spectrum elements of one impulse response of kTransformLength samples: element j is
// transform bin j + 1, for j = 0 .. kCurvePoints - 1.
std::vector<Complex> sourceSpectrum(const std::vector<double>& impulse);

// The level in dB of a mix's power, as the calculation takes a level: 20 log10 sqrt(power).
// Throws UserError as the calculation does for a zero or overflowing power.
double mixLevel(double power);

// The levels of the sum of gain times spectrum over the sources, in the sources' order, for
// the elements of `range` (the other elements are left alone).
void mixLevels(const std::vector<const std::vector<Complex>*>& spectra,
               const std::vector<SourceDrive>& drives, double crossover, ElementRange range,
               std::array<double, kCurvePoints>& levels, DelayModel delays = DelayModel::Sample);

} // namespace kolmarin
