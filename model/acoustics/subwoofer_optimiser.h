#pragma once
// The subwoofer optimiser: which K of a list of candidate positions get a subwoofer, and
// each one's level, delay and polarity, so that the seats hear the bass alike (least
// seat-to-seat variation, see seat_variation.h), optionally weighing seat 1's own spread
// and keeping the mean level above a floor.
//
// Every candidate's spectrum at every seat is computed once beforehand; a configuration
// is then only a weighted sum of those spectra per seat and frequency, so millions of
// configurations cost no room calculation. The search is deterministic: a beam over
// position sets (each set grown one subwoofer at a time, the best sets kept), then, for
// the best sets, coordinate descent over each subwoofer's polarity, level and delay on
// their whole grids until no single change improves. With the subwoofers alone, a change
// common to all of them changes nothing the seats compare; results are given at the
// highest level and the least delay such a change allows.

#include "model/acoustics/scene.h"
#include "model/acoustics/spread.h"
#include "model/fft/complex.h"

#include <functional>
#include <optional>
#include <stop_token>
#include <vector>

namespace kolmarin {

inline constexpr int kMostSubwoofers = 4;
// The grids the optimiser chooses from: levels 0 to -12 dB, delays 0 to 20 ms.
inline constexpr double kSubwooferLevelStep = 0.5;
inline constexpr int kSubwooferLevelSteps = 25;
inline constexpr double kSubwooferDelayStep = 0.1;
inline constexpr int kSubwooferDelaySteps = 201;

// The spectra over a band's points (element 2 band.low + p at point p), seats within a
// point: [p * seats + seat].
struct SubwooferSpectra {
    Band band;
    int seats = 0;
    double crossover = 0.0;                       // Hz; 0 without bass management
    std::vector<Complex> fixed;                   // what stays: the loudspeakers' sum as set, or zeros
    std::vector<Point3> positions;                // the candidates
    std::vector<std::vector<Complex>> candidates; // each candidate's own spectra, unit gain
    DelayModel delays = DelayModel::Sample;       // which frequency each element stands for
    int outOfReach = 0;  // candidates left out: some seat lies beyond what the response follows
    int thinnedFrom = 0; // the candidates within reach when more than the bound, else 0
};

struct SubwooferSetting {
    int candidate = 0;
    double levelDb = 0.0;
    double delayMs = 0.0;
    bool inverted = false;
    bool operator==(const SubwooferSetting&) const = default;
};

struct OptimiserGoal {
    double seat1Weight = 0.0;          // times seat 1's spread, added to the variation
    std::optional<double> leastMeanDb; // configurations below it rank after all others
};

struct SubwooferConfiguration {
    std::vector<SubwooferSetting> subwoofers;
    double variation = 0.0;   // dB
    double seat1Spread = 0.0; // dB
    double meanLevel = 0.0;   // dB over seats and band
    double score = 0.0;       // what is minimised
};

// The figures of one configuration: the fixed spectra plus each subwoofer's (low-passed
// when there is a crossover), in order, as the seats' Total. A power of zero counts as
// -300 dB.
SubwooferConfiguration evaluateSubwoofers(const SubwooferSpectra& spectra,
                                          const std::vector<SubwooferSetting>& subwoofers,
                                          const OptimiserGoal& goal);

struct OptimiserOptions {
    int count = 1; // subwoofers, 1 .. kMostSubwoofers
    int top = 10;
    OptimiserGoal goal;
};

struct OptimiserProgress {
    double fraction = 0.0;
    double secondsLeft = 0.0;
};

struct OptimiserResult {
    std::vector<SubwooferConfiguration> best; // best score first, each position set once
    long long evaluated = 0;                  // configurations evaluated
    bool cancelled = false;
};

// Configurations the search evaluates, about, for `candidates` candidates (the measure of
// its work the progress counts in).
double plannedEvaluations(int candidates, const OptimiserOptions& options);

// Runs on the shared worker pool and blocks the calling thread. `progress` is called from
// any thread, one call at a time. A stop ends the search soon with what was found by then.
// Fewer candidates than `count` give no configuration.
OptimiserResult optimiseSubwoofers(const SubwooferSpectra& spectra, const OptimiserOptions& options,
                                   const std::function<void(OptimiserProgress)>& progress = {},
                                   std::stop_token stop = {});

} // namespace kolmarin
