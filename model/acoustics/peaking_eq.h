#pragma once
// The subwoofer channel's EQ: up to six peaking filters shared by every subwoofer. Each is
// the peaking biquad of the audio-EQ cookbook at 48 kHz, given by its centre frequency,
// gain and Q, which is what a processor's parametric EQ takes. Its response is evaluated
// on the unit circle from those coefficients, so a processor with the same three numbers
// gives the same curve.

#include "model/acoustics/peaking_filter.h"
#include "model/acoustics/spread.h"
#include "model/fft/complex.h"

#include <string>
#include <vector>

namespace kolmarin {

constexpr double kEqSampleRate = 48000.0;
constexpr int kMostEqFilters = 6;

// b0, b1, b2, a1, a2 divided by a0.
struct Biquad {
    double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
};
Biquad peakingBiquad(const PeakingFilter& filter, double sampleRate = kEqSampleRate);
// (b0 + b1 z⁻¹ + b2 z⁻²) / (1 + a1 z⁻¹ + a2 z⁻²), given z⁻¹ and z⁻².
Complex biquadResponse(const Biquad& f, Complex z1, Complex z2);

// The chain's complex response at `hz`, and its gain in dB.
Complex eqResponse(const std::vector<PeakingFilter>& filters, double hz, double sampleRate = kEqSampleRate);
double eqGainDb(const std::vector<PeakingFilter>& filters, double hz, double sampleRate = kEqSampleRate);

// What a fitted filter may do: boost up to `mostBoostDb` (0: cut only), cut down to
// -`mostCutDb`, Q within [leastQ, mostQ], its frequency within the band.
struct EqLimits {
    double mostBoostDb = 3.0;
    double mostCutDb = 15.0;
    double leastQ = 0.5;
    double mostQ = 10.0;
    Band band{20, 120};
};
// Why the filters break the limits (the first filter that does, numbered from 1), or empty.
std::string eqProblem(const std::vector<PeakingFilter>& filters, const EqLimits& limits);

} // namespace kolmarin
