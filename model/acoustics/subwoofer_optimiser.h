#pragma once
// The subwoofer optimiser: which K of a list of candidate positions get a subwoofer, each
// one's level, delay and polarity, and the shared EQ of their channel, to minimise the bass
// objective over every seat (see bass_objective.h).
//
// Every candidate's spectrum at every seat is computed once beforehand; a configuration
// is then only a weighted sum of those spectra per seat and frequency, so millions of
// configurations cost no room calculation. The search is deterministic:
//   1. screening: every candidate alone, then every pair, and from three subwoofers on a
//      beam of the best sets grown by one, each newcomer tried on a coarse grid of its
//      settings (4 dB, 1 ms, both polarities) with the others held;
//   2. refining a fixed number of the best sets, whatever number of rows is asked for:
//      each subwoofer in turn gets the best of its whole grid of settings (every level,
//      delay and polarity at once) with the others held, until a round changes nothing.
//      With the subwoofers alone only their differences matter, so a subwoofer's grid
//      then spans every level and delay relative to the others; for two subwoofers one
//      such step is the exhaustive search of the pair;
//   3. fitting the EQ (when asked) to each refined set, and ranking on the exact figures.
// With an EQ to come, steps 1 and 2 rank dips of the mean curve above its peaks, since
// the EQ cuts peaks far more than it fills dips.
// With the subwoofers alone a change common to all of them changes nothing the seats
// compare; results are given at the least delay, mostly in positive polarity, and at the
// level nearest the target level (the highest without one).

#include "model/acoustics/bass_objective.h"
#include "model/acoustics/scene.h"
#include "model/acoustics/spread.h"
#include "model/fft/complex.h"

#include <cmath>
#include <functional>
#include <optional>
#include <stop_token>
#include <vector>

namespace kolmarin {

inline constexpr int kMostSubwoofers = 4;
// The grids the optimiser chooses from: levels 0 to -12 dB, delays 0 to the maximum the
// user sets (at most 20 ms, 10 by default).
inline constexpr double kSubwooferLevelStep = 0.5;
inline constexpr int kSubwooferLevelSteps = 25;
inline constexpr double kSubwooferDelayStep = 0.1;
inline constexpr int kSubwooferDelaySteps = 201;
inline constexpr double kDefaultMostDelayMs = 10.0;
// Position sets refined, whatever the rows asked for: two subwoofers, more.
inline constexpr int kRefinedPairs = 40;
inline constexpr int kRefinedSets = 12;

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
    // The main loudspeakers' own mean level at the seats (dB over seats and the octave above
    // the crossover, as driven); none without a crossover or main loudspeakers.
    std::optional<double> mainLevelDb;
};

struct SubwooferSetting {
    int candidate = 0;
    double levelDb = 0.0;
    double delayMs = 0.0;
    bool inverted = false;
    bool operator==(const SubwooferSetting&) const = default;
};

// What a subwoofer's own choices buy: the score with its level put back to 0 dB, its delay
// to 0 ms, its polarity to +, less the configuration's score; NaN where it already is so.
struct SettingWorth {
    double level = NAN, delay = NAN, polarity = NAN;
};

struct SubwooferConfiguration {
    std::vector<SubwooferSetting> subwoofers;
    std::vector<PeakingFilter> eq;
    BassFigures figures;             // with the EQ
    double scoreWithoutEq = 0.0;     // the same settings without it
    std::vector<SettingWorth> worth; // per subwoofer
};

// The seats' levels [seat][point] of one configuration: the fixed spectra plus each
// subwoofer's through the EQ (and low-passed when there is a crossover), in order, as the
// seats' Total. A power of zero counts as -300 dB.
std::vector<std::vector<double>> subwooferSeatLevels(const SubwooferSpectra& spectra,
                                                     const std::vector<SubwooferSetting>& subwoofers,
                                                     const std::vector<PeakingFilter>& eq);
// The target at the band's points, and the level window's centre, for `goal`.
std::vector<double> targetPoints(const SubwooferSpectra& spectra, const OptimiserGoal& goal);
std::optional<double> targetLevel(const SubwooferSpectra& spectra, const OptimiserGoal& goal);

// The figures of one configuration (without `worth`).
SubwooferConfiguration evaluateSubwoofers(const SubwooferSpectra& spectra,
                                          const std::vector<SubwooferSetting>& subwoofers,
                                          const std::vector<PeakingFilter>& eq, const OptimiserGoal& goal);

struct OptimiserOptions {
    int count = 1; // subwoofers, 1 .. kMostSubwoofers
    int top = 10;  // rows given; never changes which rank first
    OptimiserGoal goal;
    double mostDelayMs = kDefaultMostDelayMs; // 0 .. 20
    bool commonLevel = false;                 // one output feeds them all
    bool commonPolarity = false;
};

struct OptimiserProgress {
    double fraction = 0.0;
    double secondsLeft = 0.0;
};

struct OptimiserResult {
    std::vector<SubwooferConfiguration> best; // best score first, each position set once, at most
                                              // top and the sets refined
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
