#include "model/acoustics/eq_fit.h"

#include <nlopt.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kolmarin {

EqCurve::EqCurve(std::vector<double> hz, double sampleRate) : hz_(std::move(hz)), sampleRate_(sampleRate) {
    for (double f : hz_) {
        const double w = 2.0 * std::numbers::pi * f / sampleRate_;
        z1_.push_back({std::cos(w), -std::sin(w)});
        z2_.push_back({std::cos(2.0 * w), -std::sin(2.0 * w)});
    }
}

void EqCurve::respond(const std::vector<PeakingFilter>& filters, std::vector<Complex>& out) const {
    out.assign(hz_.size(), Complex{1.0, 0.0});
    for (const PeakingFilter& filter : filters) {
        const Biquad f = peakingBiquad(filter, sampleRate_);
        for (std::size_t p = 0; p < hz_.size(); ++p)
            out[p] = out[p] * biquadResponse(f, z1_[p], z2_[p]);
    }
}

PeakingFilter roundedFilter(const PeakingFilter& filter, const EqLimits& limits) {
    const auto to = [](double v, double step, double low, double high) {
        return std::clamp(std::round(v / step) * step, low, high);
    };
    // The bounds themselves rounded inwards, so that the rounded filter stays within them.
    return {to(filter.frequencyHz, 0.1, std::ceil(limits.band.low * 10.0) / 10.0,
               std::floor(limits.band.high * 10.0) / 10.0),
            to(filter.gainDb, 0.1, -limits.mostCutDb, limits.mostBoostDb),
            to(filter.q, 0.01, std::ceil(limits.leastQ * 100.0) / 100.0,
               std::floor(limits.mostQ * 100.0) / 100.0)};
}

namespace {

// BOBYQA's unknowns per filter: log frequency, gain, log Q.
constexpr int kPerFilter = 3;
constexpr int kEvaluationsPerUnknown = 60;
constexpr double kStartQ = 4.0;
constexpr double kWorthwhileDb = 1e-4;
// Score added per dB the chain boosts above the limit anywhere in the band, so that filters
// are not stacked to fill a dip the limit leaves.
constexpr double kOverBoostCost = 100.0;
constexpr double kBoostTolerance = 0.05;

// How far the chain's gain rises above the boost limit at the curve's frequencies, in dB.
double overBoost(const EqCurve& curve, const std::vector<PeakingFilter>& filters, double mostBoostDb) {
    std::vector<Complex> response;
    curve.respond(filters, response);
    double most = 0.0;
    for (const Complex& h : response)
        most = std::max(most, 10.0 * std::log10(h.re * h.re + h.im * h.im));
    return std::max(0.0, most - mostBoostDb);
}

struct Fit {
    const EqCurve& curve;
    const EqFitProblem& problem;
    double score(const std::vector<PeakingFilter>& filters) const {
        return problem.score(filters) +
               kOverBoostCost * overBoost(curve, filters, problem.limits.mostBoostDb);
    }
};

std::vector<PeakingFilter> filtersOf(const double* x, int count) {
    std::vector<PeakingFilter> filters;
    for (int i = 0; i < count; ++i)
        filters.push_back(
            {std::exp(x[kPerFilter * i]), x[kPerFilter * i + 1], std::exp(x[kPerFilter * i + 2])});
    return filters;
}

double scoreOfUnknowns(unsigned n, const double* x, double*, void* data) {
    return static_cast<const Fit*>(data)->score(filtersOf(x, static_cast<int>(n) / kPerFilter));
}

// All of `filters` adjusted together from where they are.
std::vector<PeakingFilter> adjusted(std::vector<PeakingFilter> filters, const Fit& fit) {
    const EqFitProblem& problem = fit.problem;
    const int count = static_cast<int>(filters.size());
    const auto n = static_cast<unsigned>(kPerFilter * count);
    std::vector<double> x, low, high;
    const EqLimits& l = problem.limits;
    for (const PeakingFilter& f : filters) {
        low.insert(low.end(), {std::log(static_cast<double>(l.band.low)), -l.mostCutDb, std::log(l.leastQ)});
        high.insert(high.end(),
                    {std::log(static_cast<double>(l.band.high)), l.mostBoostDb, std::log(l.mostQ)});
        x.insert(x.end(), {std::log(f.frequencyHz), f.gainDb, std::log(f.q)});
    }
    for (unsigned i = 0; i < n; ++i)
        x[i] = std::clamp(x[i], low[i], high[i]);
    nlopt_opt opt = nlopt_create(NLOPT_LN_BOBYQA, n);
    nlopt_set_lower_bounds(opt, low.data());
    nlopt_set_upper_bounds(opt, high.data());
    nlopt_set_min_objective(opt, scoreOfUnknowns, const_cast<Fit*>(&fit));
    nlopt_set_xtol_abs1(opt, 1e-4);
    nlopt_set_maxeval(opt, kEvaluationsPerUnknown * static_cast<int>(n));
    double best = 0.0;
    // A failed run (a rounding error near the bounds, say) leaves x at the best it found.
    nlopt_optimize(opt, x.data(), &best);
    nlopt_destroy(opt);
    return filtersOf(x.data(), count);
}

// Where the next filter starts: on the largest peak of what is left, or on the deepest dip
// when a boost is allowed and the dip is deeper.
PeakingFilter nextStart(const EqCurve& curve, const EqFitProblem& problem,
                        const std::vector<PeakingFilter>& filters) {
    const std::vector<double> away = problem.away(filters);
    const auto peak = std::max_element(away.begin(), away.end());
    const auto dip = std::min_element(away.begin(), away.end());
    const bool boost = problem.limits.mostBoostDb > 0.0 && -*dip > *peak;
    const auto at = boost ? dip : peak;
    const double hz = curve.frequencies()[static_cast<std::size_t>(at - away.begin())];
    return {std::clamp(hz, static_cast<double>(problem.limits.band.low),
                       static_cast<double>(problem.limits.band.high)),
            std::clamp(-*at, -problem.limits.mostCutDb, problem.limits.mostBoostDb), kStartQ};
}

} // namespace

std::vector<PeakingFilter> fitEq(const EqCurve& curve, const EqFitProblem& problem) {
    const Fit fit{curve, problem};
    std::vector<PeakingFilter> best;
    double bestScore = problem.score(best);
    for (int i = 0; i < std::min(problem.count, kMostEqFilters); ++i) {
        std::vector<PeakingFilter> next = best;
        next.push_back(nextStart(curve, problem, best));
        next = adjusted(std::move(next), fit);
        for (PeakingFilter& f : next)
            f = roundedFilter(f, problem.limits);
        std::erase_if(next, [](const PeakingFilter& f) { return f.gainDb == 0.0; });
        const double score = problem.score(next);
        if (!(score < bestScore - kWorthwhileDb) ||
            overBoost(curve, next, problem.limits.mostBoostDb) > kBoostTolerance)
            break;
        best = std::move(next);
        bestScore = score;
    }
    return best;
}

} // namespace kolmarin
