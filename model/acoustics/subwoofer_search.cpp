#include "model/acoustics/subwoofer_search.h"

#include "model/acoustics/seat_variation.h"
#include "model/acoustics/source_mix.h"
#include "model/cpu_features.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace kolmarin {

namespace {

constexpr int kLowestLevel = kSubwooferLevelSteps - 1;
// With an EQ to come, a peak of the mean curve counts this much of a dip as deep.
constexpr double kPeakWeight = 0.25;

// out[i] = 10 log10 |z[i]|², to about 1e-9 dB, powers under 1e-30 taken as 1e-30 (-300 dB):
// the exponent, and the logarithm of the mantissa (within [1/√2, √2)) from the series of
// 2 atanh(s), s = (m - 1) / (m + 1), |s| < 0.172. Written without branches, so that the
// compiler makes it vector code; built once more for AVX2, which the processor may have.
[[gnu::always_inline]] inline void decibelsLoop(const Complex* z, double* out, std::size_t n) {
    constexpr double kLeast = 1e-30;
    constexpr std::uint64_t kMantissa = 0x000fffffffffffffULL, kOne = 0x3ff0000000000000ULL;
    // 2^52 + 1023 as a double, whose low bits an exponent field can be put into.
    constexpr std::uint64_t kMagic = 0x4330000000000000ULL;
    constexpr double kMagicValue = 4503599627370496.0 + 1023.0;
    for (std::size_t i = 0; i < n; ++i) {
        double power = z[i].re * z[i].re + z[i].im * z[i].im;
        power = power < kLeast ? kLeast : power;
        const auto bits = std::bit_cast<std::uint64_t>(power);
        double exponent = std::bit_cast<double>(kMagic | (bits >> 52)) - kMagicValue;
        double m = std::bit_cast<double>((bits & kMantissa) | kOne);
        const bool high = m > std::numbers::sqrt2;
        m = high ? 0.5 * m : m;
        exponent = high ? exponent + 1.0 : exponent;
        const double s = (m - 1.0) / (m + 1.0);
        const double s2 = s * s;
        const double ln =
            2.0 * s * (1.0 + s2 * (1.0 / 3 + s2 * (1.0 / 5 + s2 * (1.0 / 7 + s2 * (1.0 / 9 + s2 / 11)))));
        out[i] = (10.0 / std::numbers::ln10) * (ln + exponent * std::numbers::ln2);
    }
}

void decibelsPlain(const Complex* z, double* out, std::size_t n) {
    decibelsLoop(z, out, n);
}

#if defined(KOLMARIN_X86_ROW_LOOPS)
__attribute__((target("avx2"))) void decibelsAvx2(const Complex* z, double* out, std::size_t n) {
    decibelsLoop(z, out, n);
}
#endif

using DecibelsLoop = void (*)(const Complex*, double*, std::size_t);

DecibelsLoop decibelsOf() {
#if defined(KOLMARIN_X86_ROW_LOOPS)
    if (processorHasAvx2())
        return decibelsAvx2;
#endif
    return decibelsPlain;
}

double delayMsOf(int step) {
    return kSubwooferDelayStep * step;
}

// 0 - x, so the top step is +0 dB, not -0.
double levelDbOf(int step) {
    return 0.0 - kSubwooferLevelStep * step;
}

} // namespace

SubwooferSearch::SubwooferSearch(const SubwooferSpectra& spectra, const OptimiserOptions& options)
    : s_(spectra), o_(options), points_(bandPoints(spectra.band)), seats_(spectra.seats),
      delaySteps_(
          static_cast<int>(std::lround(std::clamp(options.mostDelayMs, 0.0, 20.0) / kSubwooferDelayStep))),
      alone_(std::all_of(spectra.fixed.begin(), spectra.fixed.end(),
                         [](Complex z) { return z.re == 0.0 && z.im == 0.0; })),
      proxy_(options.goal.eqFilters > 0 && options.goal.objective == BassObjective::Combined),
      target_(targetPoints(spectra, options.goal)), targetLevel_(targetLevel(spectra, options.goal)),
      decibels_(decibelsOf()) {
    const CrossoverBranch branch = spectra.crossover > 0.0 ? CrossoverBranch::LowPass : CrossoverBranch::Full;
    for (int d = -delaySteps_; d <= 2 * delaySteps_; ++d)
        for (int p = 0; p < points_; ++p)
            phasors_.push_back(delayAndFilter(binFrequency(2 * spectra.band.low + p, spectra.delays),
                                              delayMsOf(d), branch, spectra.crossover));
    for (int l = -kLowestLevel; l <= 2 * kLowestLevel; ++l)
        amplitudes_.push_back(std::pow(10.0, levelDbOf(l) / 20.0));
}

void SubwooferSearch::add(std::vector<Complex>& out, const Tuned& t) const {
    const double amplitude = amplitudes_[static_cast<std::size_t>(t.level + kLowestLevel)];
    const double a = t.inverted ? -amplitude : amplitude;
    const Complex* phasor = phasors_.data() + static_cast<std::ptrdiff_t>(t.delay + delaySteps_) * points_;
    const Complex* h = s_.candidates[static_cast<std::size_t>(t.candidate)].data();
    for (int p = 0; p < points_; ++p) {
        const Complex g = a * phasor[p];
        for (int seat = 0; seat < seats_; ++seat) {
            const std::size_t i = static_cast<std::size_t>(p * seats_ + seat);
            out[i] = out[i] + g * h[i];
        }
    }
}

void SubwooferSearch::sum(std::vector<Complex>& out, const std::vector<Tuned>& subs, int skip,
                          bool withFixed) const {
    if (withFixed)
        out = s_.fixed;
    else
        out.assign(s_.fixed.size(), Complex{0.0, 0.0});
    for (int k = 0; k < static_cast<int>(subs.size()); ++k)
        if (k != skip)
            add(out, subs[static_cast<std::size_t>(k)]);
}

double SubwooferSearch::score(const std::vector<Complex>& total, const std::vector<Tuned>& subs, bool proxy,
                              SearchWork& w, double* offset) {
    evaluated.fetch_add(1, std::memory_order_relaxed);
    w.away.resize(static_cast<std::size_t>(points_));
    w.levels.resize(total.size());
    decibels_(total.data(), w.levels.data(), total.size());
    double deviations = 0.0, levelSum = 0.0, seat1Sum = 0.0, seat1Squares = 0.0, awaySum = 0.0;
    for (int p = 0; p < points_; ++p) {
        const double* levels = w.levels.data() + static_cast<std::ptrdiff_t>(p) * seats_;
        double sum = 0.0;
        for (int seat = 0; seat < seats_; ++seat)
            sum += levels[seat];
        const double mean = sum / seats_;
        double squares = 0.0;
        for (int seat = 0; seat < seats_; ++seat)
            squares += (levels[seat] - mean) * (levels[seat] - mean);
        deviations += std::sqrt(squares / seats_);
        levelSum += sum;
        seat1Sum += levels[0];
        seat1Squares += levels[0] * levels[0];
        w.away[static_cast<std::size_t>(p)] = mean - target_[static_cast<std::size_t>(p)];
        awaySum += w.away[static_cast<std::size_t>(p)];
    }
    const double awayMean = awaySum / points_;
    double awaySquares = 0.0;
    for (double& a : w.away) {
        a -= awayMean;
        awaySquares += (proxy && a > 0.0 ? kPeakWeight : 1.0) * a * a;
    }
    // With the subwoofers alone, their levels can still move together within the grid.
    double up = 0.0, down = 0.0;
    if (alone_ && !subs.empty()) {
        const auto [least, most] = std::minmax_element(
            subs.begin(), subs.end(), [](const Tuned& a, const Tuned& b) { return a.level < b.level; });
        up = kSubwooferLevelStep * least->level;
        down = kSubwooferLevelStep * (kLowestLevel - most->level);
    }
    double outside = 0.0;
    const double meanLevel = levelSum / (points_ * seats_);
    if (offset)
        *offset = targetLevel_ ? awayMean - *targetLevel_ : NAN;
    if (targetLevel_) {
        // How far the offsets within reach, [o - down, o + up], lie outside the window.
        const double o = awayMean - *targetLevel_;
        outside =
            o + up < -kLevelWindowDb ? -kLevelWindowDb - (o + up) : std::max(0.0, o - down - kLevelWindowDb);
    }
    const double seat1Mean = seat1Sum / points_;
    return bassScore(o_.goal, deviations / points_,
                     std::sqrt(std::max(0.0, seat1Squares / points_ - seat1Mean * seat1Mean)),
                     std::sqrt(awaySquares / points_), meanLevel + up, outside);
}

double SubwooferSearch::score(const std::vector<Tuned>& subs, bool proxy, SearchWork& w) {
    sum(w.total, subs, -1);
    return score(w.total, subs, proxy, w);
}

long long SubwooferSearch::blockSize(SearchGrid grid) const {
    const int levels = alone_ ? 2 * kLowestLevel + 1 : kLowestLevel + 1;
    const int delays = alone_ ? 2 * delaySteps_ + 1 : delaySteps_ + 1;
    return 2LL * ((levels + grid.levelStep - 1) / grid.levelStep) *
           ((delays + grid.delayStep - 1) / grid.delayStep);
}

bool SubwooferSearch::block(TunedSet& set, std::size_t k, SearchGrid grid, SearchWork& w) {
    sum(w.base, set.subs, static_cast<int>(k));
    const Tuned held = set.subs[k];
    int leastLevel = kLowestLevel, mostLevel = 0, leastDelay = delaySteps_, mostDelay = 0, others = 0;
    bool othersInverted = false;
    for (std::size_t i = 0; i < set.subs.size(); ++i)
        if (i != k) {
            const Tuned& t = set.subs[i];
            leastLevel = std::min(leastLevel, t.level);
            mostLevel = std::max(mostLevel, t.level);
            leastDelay = std::min(leastDelay, t.delay);
            mostDelay = std::max(mostDelay, t.delay);
            othersInverted = t.inverted;
            ++others;
        }
    // The levels and delays this subwoofer may take: the grids, or, with the subwoofers
    // alone, any that keeps the set's spread within them.
    int levelFrom = 0, levelTo = kLowestLevel, delayFrom = 0, delayTo = delaySteps_;
    if (alone_) {
        levelFrom = others ? mostLevel - kLowestLevel : 0;
        levelTo = others ? leastLevel + kLowestLevel : 0;
        delayFrom = others ? mostDelay - delaySteps_ : 0;
        delayTo = others ? leastDelay + delaySteps_ : 0;
    }
    if (o_.commonLevel && others)
        levelFrom = levelTo = set.subs[k == 0 ? 1 : 0].level;
    const bool onePolarity = (o_.commonPolarity && others) || (alone_ && !others);
    TunedSet best = set;
    bool changed = false;
    for (int inverted = 0; inverted < 2; ++inverted) {
        if (onePolarity && (inverted == 1) != (others ? othersInverted : false))
            continue;
        for (int l = levelFrom; l <= levelTo; l += grid.levelStep)
            for (int d = delayFrom; d <= delayTo; d += grid.delayStep) {
                const Tuned t{held.candidate, l, d, inverted == 1};
                w.total = w.base;
                add(w.total, t);
                set.subs[k] = t;
                const double s = score(w.total, set.subs, proxy_, w);
                if (s < best.score) {
                    best.subs[k] = t;
                    best.score = s;
                    changed = true;
                }
            }
    }
    set = std::move(best);
    if (alone_)
        shiftBack(set.subs);
    return changed;
}

bool SubwooferSearch::together(TunedSet& set, SearchWork& w) {
    if (alone_ || set.subs.size() < 2)
        return false;
    int least = kLowestLevel, most = 0;
    for (const Tuned& t : set.subs) {
        least = std::min(least, t.level);
        most = std::max(most, t.level);
    }
    TunedSet best = set;
    bool changed = false;
    for (int flip = 0; flip < 2; ++flip)
        for (int shift = -least; shift <= kLowestLevel - most; ++shift) {
            std::vector<Tuned> subs = set.subs;
            for (Tuned& t : subs) {
                t.level += shift;
                t.inverted = t.inverted != (flip == 1);
            }
            const double s = score(subs, proxy_, w);
            if (s < best.score) {
                best = {subs, s};
                changed = true;
            }
        }
    set = std::move(best);
    return changed;
}

void shiftBack(std::vector<Tuned>& subs) {
    int loudest = subs.front().level, earliest = subs.front().delay;
    for (const Tuned& t : subs) {
        loudest = std::min(loudest, t.level);
        earliest = std::min(earliest, t.delay);
    }
    for (Tuned& t : subs) {
        t.level -= loudest;
        t.delay -= earliest;
    }
}

} // namespace kolmarin
