#include "model/acoustics/subwoofer_optimiser.h"

#include "model/acoustics/eq_fit.h"
#include "model/acoustics/seat_variation.h"
#include "model/acoustics/source_mix.h"
#include "model/acoustics/subwoofer_search.h"
#include "model/acoustics/worker_pool.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <set>

namespace kolmarin {

namespace {

constexpr double kSilentLevel = -300.0;
constexpr int kMostSeatsSearched = 64;
// Sets kept from one size to the next from three subwoofers on.
constexpr int kBeam = 24;
constexpr int kMostRounds = 8;
constexpr int kExpectedRounds = 3;
// BOBYQA's evaluations for a fit of up to six filters, about.
constexpr long long kEqFitEvaluations = 2000;
constexpr SearchGrid kCoarse{8, 10}; // 4 dB, 1 ms
constexpr SearchGrid kFine{1, 1};

double levelOf(Complex z) {
    const double power = z.re * z.re + z.im * z.im;
    return power > 0.0 && std::isfinite(power) ? 10.0 * std::log10(power) : kSilentLevel;
}

CrossoverBranch subwooferBranch(const SubwooferSpectra& s) {
    return s.crossover > 0.0 ? CrossoverBranch::LowPass : CrossoverBranch::Full;
}

double frequencyOf(const SubwooferSpectra& s, int point) {
    return binFrequency(2 * s.band.low + point, s.delays);
}

} // namespace

std::vector<double> targetPoints(const SubwooferSpectra& spectra, const OptimiserGoal& goal) {
    std::vector<double> out;
    for (int p = 0; p < bandPoints(spectra.band); ++p)
        out.push_back(targetDb(goal.target, frequencyOf(spectra, p)));
    return out;
}

std::optional<double> targetLevel(const SubwooferSpectra& spectra, const OptimiserGoal& goal) {
    if (goal.objective != BassObjective::Combined)
        return std::nullopt;
    return goal.targetLevelDb ? goal.targetLevelDb : spectra.mainLevelDb;
}

std::vector<std::vector<double>> subwooferSeatLevels(const SubwooferSpectra& spectra,
                                                     const std::vector<SubwooferSetting>& subwoofers,
                                                     const std::vector<PeakingFilter>& eq) {
    const int points = bandPoints(spectra.band);
    std::vector<std::vector<double>> levels(static_cast<std::size_t>(spectra.seats),
                                            std::vector<double>(static_cast<std::size_t>(points)));
    for (int p = 0; p < points; ++p) {
        const double f = frequencyOf(spectra, p);
        const Complex channel = eqResponse(eq, f);
        for (int seat = 0; seat < spectra.seats; ++seat) {
            const std::size_t i = static_cast<std::size_t>(p * spectra.seats + seat);
            Complex subs{0.0, 0.0};
            for (const SubwooferSetting& sw : subwoofers) {
                const SourceDrive drive{sw.levelDb, sw.delayMs, sw.inverted, subwooferBranch(spectra)};
                subs = subs + sourceGain(drive, f, spectra.crossover) *
                                  spectra.candidates[static_cast<std::size_t>(sw.candidate)][i];
            }
            levels[static_cast<std::size_t>(seat)][static_cast<std::size_t>(p)] =
                levelOf(spectra.fixed[i] + channel * subs);
        }
    }
    return levels;
}

namespace {

BassFigures figuresOf(const SubwooferSpectra& spectra, const std::vector<SubwooferSetting>& subwoofers,
                      const std::vector<PeakingFilter>& eq, const OptimiserGoal& goal) {
    return bassFigures(subwooferSeatLevels(spectra, subwoofers, eq), targetPoints(spectra, goal), goal,
                       targetLevel(spectra, goal));
}

} // namespace

SubwooferConfiguration evaluateSubwoofers(const SubwooferSpectra& spectra,
                                          const std::vector<SubwooferSetting>& subwoofers,
                                          const std::vector<PeakingFilter>& eq, const OptimiserGoal& goal) {
    SubwooferConfiguration c;
    c.subwoofers = subwoofers;
    c.eq = eq;
    c.figures = figuresOf(spectra, subwoofers, eq, goal);
    c.scoreWithoutEq = eq.empty() ? c.figures.score : figuresOf(spectra, subwoofers, {}, goal).score;
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

bool byScore(const TunedSet& a, const TunedSet& b) {
    if (a.score != b.score)
        return a.score < b.score;
    return std::lexicographical_compare(
        a.subs.begin(), a.subs.end(), b.subs.begin(), b.subs.end(),
        [](const Tuned& x, const Tuned& y) { return x.candidate < y.candidate; });
}

// Every set of `beam` grown by one more of the n candidates, the newcomer last until it is
// placed; duplicates of a set are taken once.
std::vector<TunedSet> grownSets(const std::vector<TunedSet>& beam, int n) {
    std::vector<TunedSet> grown;
    std::set<std::vector<int>> seen;
    for (const TunedSet& c : beam)
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
            TunedSet next = c;
            Tuned newcomer{candidate, 0, 0, false};
            if (!c.subs.empty()) {
                newcomer.level = c.subs.front().level;
                newcomer.inverted = c.subs.front().inverted;
            }
            next.subs.push_back(newcomer);
            grown.push_back(std::move(next));
        }
    return grown;
}

void inCandidateOrder(std::vector<Tuned>& subs) {
    std::sort(subs.begin(), subs.end(),
              [](const Tuned& a, const Tuned& b) { return a.candidate < b.candidate; });
}

// The screening: sets grown one subwoofer at a time up to k, each newcomer placed on the
// coarse grid; every pair for two subwoofers, a beam of the best kBeam beyond. Best first.
std::vector<TunedSet> screenedSets(SubwooferSearch& search, int n, int k, OptimiserReport& report,
                                   std::stop_token stop) {
    std::vector<TunedSet> beam{TunedSet{}};
    const long long blockUnits = search.blockSize(kCoarse);
    for (int size = 1; size <= k && !stop.stop_requested(); ++size) {
        std::vector<TunedSet> grown = grownSets(beam, n);
        WorkerPool::shared().run(static_cast<int>(grown.size()), [&](int i) {
            if (stop.stop_requested())
                return;
            TunedSet& c = grown[static_cast<std::size_t>(i)];
            SearchWork work;
            c.score = search.score(c.subs, search.proxy(), work);
            search.block(c, c.subs.size() - 1, kCoarse, work);
            inCandidateOrder(c.subs);
            report(blockUnits);
        });
        if (stop.stop_requested())
            break;
        std::sort(grown.begin(), grown.end(), byScore);
        // Two subwoofers grow from every single one; more from the best.
        const bool everyOne = size == 1 && k == 2;
        if (!everyOne && size<k&& static_cast<int>(grown.size())> kBeam)
            grown.resize(kBeam);
        beam = std::move(grown);
    }
    return beam;
}

int refinedCount(int k) {
    return k <= 2 ? kRefinedPairs : kRefinedSets;
}

// Each subwoofer in turn on its whole grid, until a round changes nothing. Two subwoofers
// alone are done after one step: the second's grid spans every difference from the first.
void refine(SubwooferSearch& search, TunedSet& set, SearchWork& work, const std::stop_token& stop,
            const std::function<void(long long)>& report) {
    const long long blockUnits = search.blockSize(kFine);
    if (search.alone() && set.subs.size() == 2) {
        search.block(set, 1, kFine, work);
        report(blockUnits);
        return;
    }
    for (int round = 0; round < kMostRounds && !stop.stop_requested(); ++round) {
        bool changed = false;
        for (std::size_t k = 0; k < set.subs.size(); ++k) {
            changed = search.block(set, k, kFine, work) || changed;
            report(blockUnits);
        }
        changed = search.together(set, work) || changed;
        if (!changed || set.subs.size() == 1)
            break;
    }
}

// With the subwoofers alone: the least delay, and most of them in positive polarity (set
// against the first's polarity on a tie).
void normalised(std::vector<Tuned>& subs) {
    shiftBack(subs);
    const int inverted =
        static_cast<int>(std::count_if(subs.begin(), subs.end(), [](const Tuned& t) { return t.inverted; }));
    const int count = static_cast<int>(subs.size());
    const bool flip = 2 * inverted > count || (2 * inverted == count && subs.front().inverted);
    for (Tuned& t : subs)
        t.inverted = t.inverted != flip;
}

SubwooferSetting settingOf(const Tuned& t) {
    return {t.candidate, 0.0 - kSubwooferLevelStep * t.level, kSubwooferDelayStep * t.delay, t.inverted};
}

std::vector<SubwooferSetting> settingsOf(const std::vector<Tuned>& subs) {
    std::vector<SubwooferSetting> out;
    for (const Tuned& t : subs)
        out.push_back(settingOf(t));
    return out;
}

// The shared EQ fitted to a refined set.
std::vector<PeakingFilter> fittedEq(SubwooferSearch& search, const std::vector<Tuned>& subs,
                                    SearchWork& work) {
    const SubwooferSpectra& s = search.spectra();
    std::vector<double> hz;
    for (int p = 0; p < bandPoints(s.band); ++p)
        hz.push_back(frequencyOf(s, p));
    const EqCurve curve(std::move(hz));
    search.sum(work.subs, subs, -1, false);
    const auto score = [&](const std::vector<PeakingFilter>& filters) {
        curve.respond(filters, work.eq);
        work.total = s.fixed;
        const std::size_t seats = static_cast<std::size_t>(s.seats);
        for (std::size_t i = 0; i < work.total.size(); ++i)
            work.total[i] = work.total[i] + work.eq[i / seats] * work.subs[i];
        return search.score(work.total, subs, false, work);
    };
    EqFitProblem problem;
    problem.count = search.options().goal.eqFilters;
    problem.limits = search.options().goal.eqLimits;
    problem.limits.band = s.band;
    problem.score = score;
    problem.away = [&](const std::vector<PeakingFilter>& filters) {
        score(filters);
        return work.away;
    };
    return fitEq(curve, problem);
}

// With the subwoofers alone and a target level: the common level nearest it.
void nearestTargetLevel(const SubwooferSearch& search, std::vector<Tuned>& subs,
                        const std::vector<PeakingFilter>& eq) {

    const BassFigures f = figuresOf(search.spectra(), settingsOf(subs), eq, search.options().goal);
    if (!f.levelOffset)
        return;
    int most = 0;
    for (const Tuned& t : subs)
        most = std::max(most, t.level);
    const int down = std::clamp(static_cast<int>(std::lround(*f.levelOffset / kSubwooferLevelStep)), 0,
                                kSubwooferLevelSteps - 1 - most);
    for (Tuned& t : subs)
        t.level += down;
}

// What each subwoofer's level, delay and polarity buy.
std::vector<SettingWorth> worthOf(const SubwooferSpectra& spectra, const SubwooferConfiguration& c,
                                  const OptimiserGoal& goal) {
    std::vector<SettingWorth> out;
    const auto without = [&](std::size_t k, auto change) {
        std::vector<SubwooferSetting> settings = c.subwoofers;
        change(settings[k]);
        return figuresOf(spectra, settings, c.eq, goal).score - c.figures.score;
    };
    for (std::size_t k = 0; k < c.subwoofers.size(); ++k) {
        const SubwooferSetting& s = c.subwoofers[k];
        SettingWorth w;
        if (s.levelDb != 0.0)
            w.level = without(k, [](SubwooferSetting& x) { x.levelDb = 0.0; });
        if (s.delayMs != 0.0)
            w.delay = without(k, [](SubwooferSetting& x) { x.delayMs = 0.0; });
        if (s.inverted)
            w.polarity = without(k, [](SubwooferSetting& x) { x.inverted = false; });
        out.push_back(w);
    }
    return out;
}

// A refined set as the configuration the user sees: normalised, with its EQ, at its level,
// its figures exact.
SubwooferConfiguration finished(SubwooferSearch& search, TunedSet set, SearchWork& work) {
    const OptimiserGoal& goal = search.options().goal;
    if (search.alone())
        normalised(set.subs);
    std::vector<PeakingFilter> eq;
    if (goal.eqFilters > 0 && goal.objective == BassObjective::Combined)
        eq = fittedEq(search, set.subs, work);
    if (search.alone())
        nearestTargetLevel(search, set.subs, eq);
    SubwooferConfiguration c = evaluateSubwoofers(search.spectra(), settingsOf(set.subs), eq, goal);
    c.worth = worthOf(search.spectra(), c, goal);
    return c;
}

long long refiningEvaluations(int k, long long fineBlock) {
    return k == 2 ? fineBlock : kExpectedRounds * k * fineBlock;
}

} // namespace

double plannedEvaluations(int candidates, const OptimiserOptions& options) {
    const int k = std::clamp(options.count, 1, kMostSubwoofers);
    const double n = candidates;
    // The relative grids of subwoofers alone, the larger.
    const int delays = 2 * static_cast<int>(std::lround(options.mostDelayMs / kSubwooferDelayStep)) + 1;
    const int levels = 2 * kSubwooferLevelSteps - 1;
    const double coarse = 2.0 * ((levels + kCoarse.levelStep - 1) / kCoarse.levelStep) *
                          ((delays + kCoarse.delayStep - 1) / kCoarse.delayStep);
    const long long fine = 2LL * levels * delays;
    double sets = n + (k == 2 ? n * (n - 1) / 2 : 0.0);
    if (k > 2)
        sets += (k - 1) * std::min<double>(kBeam, n) * n;
    const double refined = std::min<double>(refinedCount(k), sets);
    const double fitting = options.goal.eqFilters > 0 ? kEqFitEvaluations : 0.0;
    return sets * coarse + refined * (static_cast<double>(refiningEvaluations(k, fine)) + fitting);
}

OptimiserResult optimiseSubwoofers(const SubwooferSpectra& spectra, const OptimiserOptions& options,
                                   const std::function<void(OptimiserProgress)>& progress,
                                   std::stop_token stop) {
    OptimiserResult result;
    const int n = static_cast<int>(spectra.candidates.size());
    const int k = std::clamp(options.count, 1, kMostSubwoofers);
    if (n < k || spectra.seats < 1 || spectra.seats > kMostSeatsSearched)
        return result;
    SubwooferSearch search(spectra, options);
    OptimiserReport report(progress, plannedEvaluations(n, options));
    std::vector<TunedSet> sets = screenedSets(search, n, k, report, stop);
    if (stop.stop_requested() || sets.empty() || static_cast<int>(sets.front().subs.size()) != k) {
        result.cancelled = stop.stop_requested();
        result.evaluated = search.evaluated.load();
        return result;
    }
    if (static_cast<int>(sets.size()) > refinedCount(k))
        sets.resize(static_cast<std::size_t>(refinedCount(k)));
    std::vector<SubwooferConfiguration> best(sets.size());
    const long long planned = refiningEvaluations(k, search.blockSize(kFine));
    WorkerPool::shared().run(static_cast<int>(sets.size()), [&](int i) {
        TunedSet& set = sets[static_cast<std::size_t>(i)];
        SearchWork work;
        long long reported = 0;
        const auto refineReport = [&](long long units) {
            if (reported + units <= planned) {
                reported += units;
                report(units);
            }
        };
        if (!stop.stop_requested())
            refine(search, set, work, stop, refineReport);
        inCandidateOrder(set.subs);
        report(planned - reported);
        if (!stop.stop_requested())
            best[static_cast<std::size_t>(i)] = finished(search, set, work);
        if (options.goal.eqFilters > 0)
            report(kEqFitEvaluations);
    });
    std::erase_if(best, [](const SubwooferConfiguration& c) { return c.subwoofers.empty(); });
    std::stable_sort(
        best.begin(), best.end(), [](const SubwooferConfiguration& a, const SubwooferConfiguration& b) {
            if (a.figures.score != b.figures.score)
                return a.figures.score < b.figures.score;
            return std::lexicographical_compare(a.subwoofers.begin(), a.subwoofers.end(),
                                                b.subwoofers.begin(), b.subwoofers.end(),
                                                [](const SubwooferSetting& x, const SubwooferSetting& y) {
                                                    return x.candidate < y.candidate;
                                                });
        });
    if (static_cast<int>(best.size()) > options.top)
        best.resize(static_cast<std::size_t>(std::max(0, options.top)));
    result.best = std::move(best);
    result.cancelled = stop.stop_requested();
    result.evaluated = search.evaluated.load();
    return result;
}

} // namespace kolmarin
