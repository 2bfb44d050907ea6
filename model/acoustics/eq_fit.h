#pragma once
// Fitting the subwoofer channel's shared EQ: up to `count` peaking filters within the
// limits, chosen to lower a score. Filters are added one at a time, each started on the
// largest peak (or, when the limits allow a boost, the deepest dip) of what is left of the
// mean curve's deviation from the target, and then all of them are adjusted together by
// NLopt's BOBYQA (bounded, derivative-free). The boost limit holds for the whole chain at
// every frequency of the band, not only for each filter, so that stacked filters do not
// fill a dip. A filter that no longer lowers the score is not added. The result is rounded to what the
// settings export writes (0.1 Hz, 0.1 dB, Q to 0.01), so that the figures of the exported settings are the
// figures reported.

#include "model/acoustics/peaking_eq.h"

#include <functional>
#include <vector>

namespace kolmarin {

// The chain's response at fixed frequencies, for many filter sets.
class EqCurve {
  public:
    explicit EqCurve(std::vector<double> hz, double sampleRate = kEqSampleRate);
    const std::vector<double>& frequencies() const { return hz_; }
    // out[p] = the chain's response at frequencies()[p].
    void respond(const std::vector<PeakingFilter>& filters, std::vector<Complex>& out) const;

  private:
    std::vector<double> hz_;
    double sampleRate_;
    std::vector<Complex> z1_, z2_; // e^{-jω}, e^{-2jω} per frequency
};

struct EqFitProblem {
    int count = 0;
    EqLimits limits;
    // The score of a filter set (lower is better).
    std::function<double(const std::vector<PeakingFilter>&)> score;
    // What is left to correct after a filter set: per frequency of the curve, the mean
    // curve less the target, less its own mean (dB).
    std::function<std::vector<double>(const std::vector<PeakingFilter>&)> away;
};

std::vector<PeakingFilter> fitEq(const EqCurve& curve, const EqFitProblem& problem);

// A filter as the settings export writes it: 0.1 Hz, 0.1 dB, Q to 0.01, within the limits.
PeakingFilter roundedFilter(const PeakingFilter& filter, const EqLimits& limits);

} // namespace kolmarin
