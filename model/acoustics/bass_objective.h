#pragma once
// What the bass advice minimises, over every seat and the chosen band.
//
// Combined (the default): variation weight × the seat-to-seat variation (what no EQ can
// fix) + target weight × the deviation of the seats' mean curve from the target curve (the
// standard deviation over the band of mean level minus target, so the curve's shape, not
// its height), + seat-1 weight × seat 1's own spread. The seats' mean level, less the
// target's, must lie within ±kLevelWindowDb of the target level; a configuration outside
// ranks after every one inside.
//
// Variation: the seat-to-seat variation alone (+ seat-1 weight × seat 1's spread), as the
// optimiser first ranked, with no target and no level window.
//
// Both keep the optional floor under the mean level: below it a configuration ranks after
// every other.

#include "model/acoustics/peaking_eq.h"
#include "model/acoustics/target_curve.h"

#include <optional>
#include <vector>

namespace kolmarin {

enum class BassObjective { Combined, Variation };

inline constexpr double kLevelWindowDb = 3.0;
// Added to the score of a configuration outside the level window or under the floor, with
// how far it is outside, so that such configurations rank after all others, nearest first.
inline constexpr double kOutsideScore = 1000.0;

struct OptimiserGoal {
    BassObjective objective = BassObjective::Combined;
    double variationWeight = 1.0;
    double targetWeight = 1.0;
    double seat1Weight = 0.0;
    std::optional<double> leastMeanDb;
    TargetCurve target;
    // The level the mean is held to: the user's, or else the main loudspeakers' own level at
    // the seats above the crossover; with neither, no window.
    std::optional<double> targetLevelDb;
    int eqFilters = 0; // shared peaking filters fitted on the subwoofer channel, 0..kMostEqFilters
    EqLimits eqLimits;
};

struct BassFigures {
    double variation = 0.0;            // dB
    double seat1Spread = 0.0;          // dB
    double meanLevel = 0.0;            // dB over seats and band
    double targetDeviation = 0.0;      // dB
    std::optional<double> levelOffset; // mean level less target, less the target level; dB
    double score = 0.0;
    std::vector<double> seatSpread, seatMean; // per seat: its own spread and mean level, dB
};

// The figures of levels[seat][point] (dB) against `target[point]` (dB), judged by `goal`;
// `targetLevel` is the level window's centre, if any.
BassFigures bassFigures(const std::vector<std::vector<double>>& levels, const std::vector<double>& target,
                        const OptimiserGoal& goal, std::optional<double> targetLevel);

// The score of figures, given how far outside the window the mean lies (0 within it).
double bassScore(const OptimiserGoal& goal, double variation, double seat1Spread, double targetDeviation,
                 double meanLevel, double outsideWindowDb);

// How far `offset` lies outside ±kLevelWindowDb.
inline double outsideWindow(double offset) {
    return offset > kLevelWindowDb ? offset - kLevelWindowDb
                                   : (offset < -kLevelWindowDb ? -kLevelWindowDb - offset : 0.0);
}

} // namespace kolmarin
