#pragma once
// One peaking filter of a parametric EQ: centre frequency, gain and Q, as a processor's
// parametric EQ takes them (see peaking_eq.h for its response).

namespace kolmarin {

struct PeakingFilter {
    double frequencyHz = 0.0;
    double gainDb = 0.0;
    double q = 1.0;
    bool operator==(const PeakingFilter&) const = default;
};

} // namespace kolmarin
