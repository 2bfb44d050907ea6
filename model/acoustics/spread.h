#pragma once
// The spread of a response: how far the Total level at the listener strays from its mean
// over a frequency band, as the population standard deviation of the levels the chart
// shows there (every 0.5 Hz). Lower is flatter. It is taken from the very calculation the
// chart gets, so a placement's spread always matches its curve.

#include "model/acoustics/response.h"
#include "model/acoustics/scene.h"

#include <cstdint>
#include <optional>

namespace kolmarin {

// Whole hertz, low < high, both within kLowestFrequency..kHighestFrequency.
struct Band {
    std::int32_t low = 20;
    std::int32_t high = 200;
    bool operator==(const Band&) const = default;
};

bool isValidBand(Band band);

// sqrt(sum (v - mean)^2 / count) of values[0 .. count-1]: mean first, then the squares.
double populationStandardDeviation(const double* values, int count);

// The scene with its frequency range set to the band, so a calculation stores the band's
// levels and checks exactly them for faults.
Scene sceneForBand(Scene scene, Band band);

// The standard deviation of curves.total over elements 2 low .. 2 high.
double totalSpread(const ResponseCurves& curves, Band band);

// The spread of the scene over the band: calculateTotalInCaller on sceneForBand, so it
// equals totalSpread of what calculateResponse gives for that scene, bit for bit. Runs in
// the calling thread. Nothing when the calculation fails (a level it cannot take, a
// loudspeaker on the listener).
std::optional<double> spreadOf(const Scene& scene, Band band);

} // namespace kolmarin
