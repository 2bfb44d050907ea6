#include "model/acoustics/subwoofer_optimiser.h"

#include "model/acoustics/seat_variation.h"
#include "model/acoustics/source_mix.h"
#include "model/acoustics/worker_pool.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <mutex>
#include <set>

namespace kolmarin {

namespace {

constexpr double kSilentLevel = -300.0;
// Position sets kept from one size to the next, and tuned at the end.
constexpr int kLeastBeam = 24;
constexpr int kLeastTuned = 12;
constexpr int kMostRounds = 8;
constexpr int kExpectedRounds = 3;
// Below this many coarse configurations per set, the coarse grid is searched whole first.
constexpr long long kMostCoarse = 1000;
// Configurations under the mean-level floor rank after every other.
constexpr double kBelowFloor = 1000.0;
constexpr int kMostSeatsSearched = 64;

double levelOf(Complex z) {
    const double power = z.re * z.re + z.im * z.im;
    return power > 0.0 && std::isfinite(power) ? 20.0 * std::log10(std::sqrt(power)) : kSilentLevel;
}

double score(const OptimiserGoal& goal, double variation, double seat1Spread, double mean) {
    double s = variation + goal.seat1Weight * seat1Spread;
    if (goal.leastMeanDb && !(mean >= *goal.leastMeanDb))
        s += kBelowFloor + (*goal.leastMeanDb - mean);
    return s;
}

CrossoverBranch subwooferBranch(const SubwooferSpectra& s) {
    return s.crossover > 0.0 ? CrossoverBranch::LowPass : CrossoverBranch::Full;
}

// A subwoofer on the grids: level step (0 dB down to -12 dB), delay step, polarity.
struct Tuned {
    int candidate = 0;
    int level = 0;
    int delay = 0;
    bool inverted = false;
};

// 0 - x, so the top step is +0 dB, not -0.
double levelDbOf(int step) {
    return 0.0 - kSubwooferLevelStep * step;
}
double delayMsOf(int step) {
    return kSubwooferDelayStep * step;
}

SubwooferSetting settingOf(const Tuned& t) {
    return {t.candidate, levelDbOf(t.level), delayMsOf(t.delay), t.inverted};
}

// The search's own view of the spectra: gains from tables, figures without allocation.
class Search {
  public:
    Search(const SubwooferSpectra& spectra, const OptimiserGoal& goal)
        : s_(spectra), goal_(goal), points_(bandPoints(spectra.band)), seats_(spectra.seats) {
        const CrossoverBranch branch = subwooferBranch(spectra);
        phasors_.resize(static_cast<std::size_t>(kSubwooferDelaySteps * points_));
        for (int d = 0; d < kSubwooferDelaySteps; ++d)
            for (int p = 0; p < points_; ++p)
                phasors_[static_cast<std::size_t>(d * points_ + p)] =
                    delayAndFilter(binFrequency(2 * spectra.band.low + p, spectra.delays), delayMsOf(d),
                                   branch, spectra.crossover);
        for (int l = 0; l < kSubwooferLevelSteps; ++l)
            amplitudes_.push_back(std::pow(10.0, levelDbOf(l) / 20.0));
    }

    // out += gain(t) * spectrum of t's candidate.
    void add(std::vector<Complex>& out, const Tuned& t) const {
        const double a = t.inverted ? -amplitudes_[static_cast<std::size_t>(t.level)]
                                    : amplitudes_[static_cast<std::size_t>(t.level)];
        const Complex* phasor = phasors_.data() + static_cast<std::ptrdiff_t>(t.delay) * points_;
        const Complex* h = s_.candidates[static_cast<std::size_t>(t.candidate)].data();
        for (int p = 0; p < points_; ++p) {
            const Complex g = a * phasor[p];
            for (int seat = 0; seat < seats_; ++seat) {
                const std::size_t i = static_cast<std::size_t>(p * seats_ + seat);
                out[i] = out[i] + g * h[i];
            }
        }
    }

    // fixed plus every subwoofer but `skip` (-1: none), in order.
    void sum(std::vector<Complex>& out, const std::vector<Tuned>& subs, int skip) const {
        out = s_.fixed;
        for (int k = 0; k < static_cast<int>(subs.size()); ++k)
            if (k != skip)
                add(out, subs[static_cast<std::size_t>(k)]);
    }

    double scoreOf(const std::vector<Complex>& total) {
        evaluated.fetch_add(1, std::memory_order_relaxed);
        double deviations = 0.0, levelSum = 0.0, seat1Sum = 0.0, seat1Squares = 0.0;
        for (int p = 0; p < points_; ++p) {
            const Complex* z = total.data() + static_cast<std::ptrdiff_t>(p) * seats_;
            double levels[kMostSeatsSearched];
            double sum = 0.0;
            for (int seat = 0; seat < seats_; ++seat) {
                levels[seat] = levelOf(z[seat]);
                sum += levels[seat];
            }
            const double mean = sum / seats_;
            double squares = 0.0;
            for (int seat = 0; seat < seats_; ++seat)
                squares += (levels[seat] - mean) * (levels[seat] - mean);
            deviations += std::sqrt(squares / seats_);
            levelSum += sum;
            seat1Sum += levels[0];
            seat1Squares += levels[0] * levels[0];
        }
        const double seat1Mean = seat1Sum / points_;
        const double seat1Spread = std::sqrt(std::max(0.0, seat1Squares / points_ - seat1Mean * seat1Mean));
        return score(goal_, deviations / points_, seat1Spread, levelSum / (points_ * seats_));
    }

    double scoreOf(const std::vector<Tuned>& subs, std::vector<Complex>& work) {
        sum(work, subs, -1);
        return scoreOf(work);
    }

    std::atomic<long long> evaluated{0};

  private:
    const SubwooferSpectra& s_;
    const OptimiserGoal& goal_;
    int points_, seats_;
    std::vector<Complex> phasors_; // [delay step * points + point]
    std::vector<double> amplitudes_;
};

struct Candidate {
    std::vector<Tuned> subs; // in the order of their candidates
    double score = 0.0;
};

bool byScore(const Candidate& a, const Candidate& b) {
    if (a.score != b.score)
        return a.score < b.score;
    return std::lexicographical_compare(
        a.subs.begin(), a.subs.end(), b.subs.begin(), b.subs.end(),
        [](const Tuned& x, const Tuned& y) { return x.candidate < y.candidate; });
}

// The best polarities of every subwoofer at 0 dB and no delay, and, when the coarse grid is
// small, the best of it too.
Candidate startOf(Search& search, std::vector<Tuned> subs, std::vector<Complex>& work) {
    Candidate best{subs, search.scoreOf(subs, work)};
    const int k = static_cast<int>(subs.size());
    for (int mask = 1; mask < (1 << k); ++mask) {
        for (int i = 0; i < k; ++i)
            subs[static_cast<std::size_t>(i)].inverted = (mask >> i) & 1;
        const double s = search.scoreOf(subs, work);
        if (s < best.score)
            best = {subs, s};
    }
    // Per subwoofer: levels 0, -6, -12 dB, delays 0, 5, ..., 20 ms, both polarities.
    constexpr int kCoarse = 3 * 5 * 2;
    long long combinations = 1;
    for (int i = 0; i < k; ++i)
        combinations *= kCoarse;
    if (combinations > kMostCoarse)
        return best;
    for (long long c = 0; c < combinations; ++c) {
        long long rest = c;
        for (int i = 0; i < k; ++i) {
            const int choice = static_cast<int>(rest % kCoarse);
            rest /= kCoarse;
            Tuned& t = subs[static_cast<std::size_t>(i)];
            t.level = (choice % 3) * 12;
            t.delay = (choice / 3 % 5) * 50;
            t.inverted = choice / 15 == 1;
        }
        const double s = search.scoreOf(subs, work);
        if (s < best.score)
            best = {subs, s};
    }
    return best;
}

// Coordinate descent from `start`: each subwoofer in turn gets the best delay with either
// polarity, then the best level with either polarity, the others held; until a whole
// round changes nothing.
// `roundDone` hears of each round.
Candidate tune(Search& search, Candidate best, const std::stop_token& stop,
               const std::function<void()>& roundDone) {
    std::vector<Complex> base, work;
    for (int round = 0; round < kMostRounds && !stop.stop_requested(); ++round) {
        bool improved = false;
        for (std::size_t k = 0; k < best.subs.size(); ++k) {
            search.sum(base, best.subs, static_cast<int>(k));
            const auto tryValue = [&](Tuned t) {
                work = base;
                search.add(work, t);
                const double s = search.scoreOf(work);
                if (s < best.score) {
                    best.subs[k] = t;
                    best.score = s;
                    improved = true;
                }
            };
            for (int inverted = 0; inverted < 2; ++inverted)
                for (int d = 0; d < kSubwooferDelaySteps; ++d) {
                    Tuned t = best.subs[k];
                    t.inverted = inverted == 1;
                    t.delay = d;
                    tryValue(t);
                }
            for (int inverted = 0; inverted < 2; ++inverted)
                for (int l = 0; l < kSubwooferLevelSteps; ++l) {
                    Tuned t = best.subs[k];
                    t.inverted = inverted == 1;
                    t.level = l;
                    tryValue(t);
                }
        }
        roundDone();
        if (!improved)
            break;
    }
    return best;
}

// With nothing but the subwoofers at the seats, a level, delay or polarity common to them
// all moves every seat alike, so the seats compare the same. Of such equal configurations
// the one given is the loudest (its loudest subwoofer at 0 dB), the earliest (its earliest at
// 0 ms) and the one with most subwoofers in positive polarity.
void normalise(std::vector<Tuned>& subs) {
    int loudest = kSubwooferLevelSteps, earliest = kSubwooferDelaySteps, inverted = 0;
    for (const Tuned& t : subs) {
        loudest = std::min(loudest, t.level);
        earliest = std::min(earliest, t.delay);
        inverted += t.inverted ? 1 : 0;
    }
    const int count = static_cast<int>(subs.size());
    const bool flip = 2 * inverted > count || (2 * inverted == count && subs.front().inverted);
    for (Tuned& t : subs) {
        t.level -= loudest;
        t.delay -= earliest;
        t.inverted = t.inverted != flip;
    }
}

// Work in configurations evaluated, which all cost alike: two per set the beam grows to,
// and per tuned set its start and rounds of every subwoofer's delays and levels with both
// polarities. Tuning mostly settles in kExpectedRounds; a set reports its rounds as they
// end and the rest of its share when it settles.
long long tuningEvaluations(int k) {
    long long coarse = 1;
    for (int i = 0; i < k; ++i)
        coarse *= 30;
    return (1LL << k) + (coarse <= kMostCoarse ? coarse : 0) +
           kExpectedRounds * 2LL * k * (kSubwooferDelaySteps + kSubwooferLevelSteps);
}

} // namespace

double plannedEvaluations(int candidates, const OptimiserOptions& options) {
    const int k = std::clamp(options.count, 1, kMostSubwoofers);
    const int beamWidth = std::max(kLeastBeam, options.top);
    const int tuned = std::max(kLeastTuned, options.top);
    const double beam =
        2.0 * (candidates + static_cast<double>(k - 1) * std::min(beamWidth, candidates) * candidates);
    return beam + static_cast<double>(tuningEvaluations(k)) * std::min(tuned, candidates);
}

SubwooferConfiguration evaluateSubwoofers(const SubwooferSpectra& spectra,
                                          const std::vector<SubwooferSetting>& subwoofers,
                                          const OptimiserGoal& goal) {
    const int points = bandPoints(spectra.band);
    std::vector<std::vector<double>> levels(static_cast<std::size_t>(spectra.seats),
                                            std::vector<double>(static_cast<std::size_t>(points)));
    for (int p = 0; p < points; ++p) {
        const double f = binFrequency(2 * spectra.band.low + p, spectra.delays);
        for (int seat = 0; seat < spectra.seats; ++seat) {
            const std::size_t i = static_cast<std::size_t>(p * spectra.seats + seat);
            Complex z = spectra.fixed[i];
            for (const SubwooferSetting& sw : subwoofers) {
                const SourceDrive drive{sw.levelDb, sw.delayMs, sw.inverted, subwooferBranch(spectra)};
                z = z + sourceGain(drive, f, spectra.crossover) *
                            spectra.candidates[static_cast<std::size_t>(sw.candidate)][i];
            }
            levels[static_cast<std::size_t>(seat)][static_cast<std::size_t>(p)] = levelOf(z);
        }
    }
    const SeatFigures figures = seatFigures(levels);
    SubwooferConfiguration c;
    c.subwoofers = subwoofers;
    c.variation = figures.variation;
    c.seat1Spread = figures.spread.front();
    c.meanLevel = figures.meanLevel;
    c.score = score(goal, c.variation, c.seat1Spread, c.meanLevel);
    return c;
}

namespace {

// Progress in evaluation units from the workers, reported at most every 200 ms.
class OptimiserReport {
  public:
    OptimiserReport(const std::function<void(OptimiserProgress)>& progress, double totalUnits)
        : progress_(progress), totalUnits_(totalUnits), started_(std::chrono::steady_clock::now()),
          lastReport_(started_) {}

    void operator()(long long units) {
        const long long done = unitsDone_.fetch_add(units) + units;
        if (!progress_)
            return;
        const std::lock_guard lock(mutex_);
        const auto now = std::chrono::steady_clock::now();
        if (now - lastReport_ < std::chrono::milliseconds(200))
            return;
        lastReport_ = now;
        const double fraction = std::min(1.0, static_cast<double>(done) / totalUnits_);
        const double elapsed = std::chrono::duration<double>(now - started_).count();
        progress_({fraction, fraction > 0 ? elapsed * (1 - fraction) / fraction : 0.0});
    }

  private:
    const std::function<void(OptimiserProgress)>& progress_;
    const double totalUnits_;
    std::atomic<long long> unitsDone_{0};
    std::mutex mutex_;
    const std::chrono::steady_clock::time_point started_;
    std::chrono::steady_clock::time_point lastReport_;
};

// Every set of the beam grown by one more of the n candidates, the newcomer at 0 dB, no
// delay, not inverted; duplicates of a set are taken once. `newcomers` gets the candidate
// each grown set added.
std::vector<Candidate> grownSets(const std::vector<Candidate>& beam, int n, std::vector<int>& newcomers) {
    std::vector<Candidate> grown;
    std::set<std::vector<int>> seen;
    for (const Candidate& c : beam)
        for (int candidate = 0; candidate < n; ++candidate) {
            std::vector<int> set;
            for (const Tuned& t : c.subs)
                set.push_back(t.candidate);
            if (std::find(set.begin(), set.end(), candidate) != set.end())
                continue;
            set.push_back(candidate);
            std::sort(set.begin(), set.end());
            if (!seen.insert(set).second)
                continue;
            Candidate next = c;
            next.subs.push_back({candidate, 0, 0, false});
            std::sort(next.subs.begin(), next.subs.end(),
                      [](const Tuned& a, const Tuned& b) { return a.candidate < b.candidate; });
            grown.push_back(std::move(next));
            newcomers.push_back(candidate);
        }
    return grown;
}

// The beam: sets grown by one candidate at a time up to k, each newcomer with the better
// polarity, the best `beamWidth` kept each time. Stops early at a stop.
std::vector<Candidate> beamOfSets(Search& search, int n, int k, int beamWidth, OptimiserReport& report,
                                  std::stop_token stop) {
    std::vector<Candidate> beam{Candidate{}};
    for (int size = 1; size <= k && !stop.stop_requested(); ++size) {
        std::vector<int> newcomers;
        std::vector<Candidate> grown = grownSets(beam, n, newcomers);
        WorkerPool::shared().run(static_cast<int>(grown.size()), [&](int i) {
            if (stop.stop_requested())
                return;
            Candidate& c = grown[static_cast<std::size_t>(i)];
            std::vector<Complex> work;
            c.score = search.scoreOf(c.subs, work);
            Tuned& added = *std::find_if(c.subs.begin(), c.subs.end(), [&](const Tuned& t) {
                return t.candidate == newcomers[static_cast<std::size_t>(i)];
            });
            added.inverted = true;
            if (const double inverted = search.scoreOf(c.subs, work); inverted < c.score)
                c.score = inverted;
            else
                added.inverted = false;
            report(2);
        });
        if (stop.stop_requested())
            break;
        std::sort(grown.begin(), grown.end(), byScore);
        if (static_cast<int>(grown.size()) > beamWidth)
            grown.resize(static_cast<std::size_t>(beamWidth));
        beam = std::move(grown);
    }
    return beam;
}

// The sets of the beam tuned side by side, each from its own start.
void tuneBeam(Search& search, std::vector<Candidate>& beam, int k, OptimiserReport& report,
              std::stop_token stop) {
    const long long roundUnits = 2LL * k * (kSubwooferDelaySteps + kSubwooferLevelSteps);
    const long long tuningUnits = tuningEvaluations(k);
    WorkerPool::shared().run(static_cast<int>(beam.size()), [&](int i) {
        Candidate& c = beam[static_cast<std::size_t>(i)];
        std::vector<Complex> work;
        long long reported = 0;
        const auto roundDone = [&] {
            if (reported + roundUnits < tuningUnits) {
                reported += roundUnits;
                report(roundUnits);
            }
        };
        if (!stop.stop_requested())
            c = tune(search, startOf(search, c.subs, work), stop, roundDone);
        report(tuningUnits - reported);
    });
}

// The tuned sets as configurations, best score first, at most `top` of them.
std::vector<SubwooferConfiguration> rankedConfigurations(const SubwooferSpectra& spectra,
                                                         std::vector<Candidate>& beam,
                                                         const OptimiserOptions& options) {
    std::vector<SubwooferConfiguration> best;
    const bool subwoofersAlone = std::all_of(spectra.fixed.begin(), spectra.fixed.end(),
                                             [](Complex z) { return z.re == 0.0 && z.im == 0.0; });
    for (Candidate& c : beam) {
        if (subwoofersAlone)
            normalise(c.subs);
        std::vector<SubwooferSetting> settings;
        for (const Tuned& t : c.subs)
            settings.push_back(settingOf(t));
        best.push_back(evaluateSubwoofers(spectra, settings, options.goal));
    }
    std::stable_sort(
        best.begin(), best.end(),
        [](const SubwooferConfiguration& a, const SubwooferConfiguration& b) { return a.score < b.score; });
    if (static_cast<int>(best.size()) > options.top)
        best.resize(static_cast<std::size_t>(std::max(0, options.top)));
    return best;
}

} // namespace

OptimiserResult optimiseSubwoofers(const SubwooferSpectra& spectra, const OptimiserOptions& options,
                                   const std::function<void(OptimiserProgress)>& progress,
                                   std::stop_token stop) {
    OptimiserResult result;
    const int n = static_cast<int>(spectra.candidates.size());
    const int k = std::clamp(options.count, 1, kMostSubwoofers);
    if (n < k || spectra.seats < 1 || spectra.seats > kMostSeatsSearched)
        return result;
    Search search(spectra, options.goal);
    OptimiserReport report(progress, plannedEvaluations(n, options));
    std::vector<Candidate> beam = beamOfSets(search, n, k, std::max(kLeastBeam, options.top), report, stop);
    if (stop.stop_requested() || beam.empty() || static_cast<int>(beam.front().subs.size()) != k) {
        result.cancelled = stop.stop_requested();
        result.evaluated = search.evaluated.load();
        return result;
    }
    const int tuned = std::max(kLeastTuned, options.top);
    if (static_cast<int>(beam.size()) > tuned)
        beam.resize(static_cast<std::size_t>(tuned));
    tuneBeam(search, beam, k, report, stop);
    result.best = rankedConfigurations(spectra, beam, options);
    result.cancelled = stop.stop_requested();
    result.evaluated = search.evaluated.load();
    return result;
}

} // namespace kolmarin
