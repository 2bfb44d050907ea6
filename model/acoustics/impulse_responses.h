#pragma once
// The sampled impulse responses the image-source model gives at one seat, one per source,
// and the sampling they share.

#include "model/acoustics/scene.h"

#include <vector>

namespace kolmarin {

inline constexpr int kTransformLength = 8192;              // impulse-response and transform length
inline constexpr int kLastDelaySample = 8000;              // later arrivals are added here
inline constexpr double kSamplesPerMetre = 4096.0 / 344.0; // 4096 samples/s, c = 344 m/s

// One sampled response per source at one seat, kTransformLength samples each.
struct ImpulseResponses {
    // Two silent responses, each zeroed in place rather than copied from a first one:
    // a calculation of a map point starts from here.
    ImpulseResponses() : sources(2) {
        for (std::vector<double>& h : sources)
            h.resize(kTransformLength);
    }
    std::vector<std::vector<double>> sources;
    // The model that placed the images: under Sample, element j of the curves is the
    // level of transform bin j + 1; under Continuous, of bin j itself.
    DelayModel delays = DelayModel::Sample;
};

} // namespace kolmarin
