#include "model/acoustics/peaking_eq.h"

#include <cmath>
#include <cstdio>
#include <numbers>

namespace kolmarin {

Biquad peakingBiquad(const PeakingFilter& filter, double sampleRate) {
    const double a = std::pow(10.0, filter.gainDb / 40.0);
    const double w0 = 2.0 * std::numbers::pi * filter.frequencyHz / sampleRate;
    const double alpha = std::sin(w0) / (2.0 * filter.q);
    const double cosW0 = std::cos(w0);
    const double a0 = 1.0 + alpha / a;
    return {(1.0 + alpha * a) / a0, -2.0 * cosW0 / a0, (1.0 - alpha * a) / a0, -2.0 * cosW0 / a0,
            (1.0 - alpha / a) / a0};
}

Complex biquadResponse(const Biquad& f, Complex z1, Complex z2) {
    const Complex num = Complex{f.b0, 0.0} + f.b1 * z1 + f.b2 * z2;
    const Complex den = Complex{1.0, 0.0} + f.a1 * z1 + f.a2 * z2;
    const double d = den.re * den.re + den.im * den.im;
    return {(num.re * den.re + num.im * den.im) / d, (num.im * den.re - num.re * den.im) / d};
}

Complex eqResponse(const std::vector<PeakingFilter>& filters, double hz, double sampleRate) {
    const double w = 2.0 * std::numbers::pi * hz / sampleRate;
    const Complex z1{std::cos(w), -std::sin(w)};
    const Complex z2{std::cos(2.0 * w), -std::sin(2.0 * w)};
    Complex h{1.0, 0.0};
    for (const PeakingFilter& filter : filters)
        h = h * biquadResponse(peakingBiquad(filter, sampleRate), z1, z2);
    return h;
}

double eqGainDb(const std::vector<PeakingFilter>& filters, double hz, double sampleRate) {
    const Complex h = eqResponse(filters, hz, sampleRate);
    return 10.0 * std::log10(h.re * h.re + h.im * h.im);
}

std::string eqProblem(const std::vector<PeakingFilter>& filters, const EqLimits& limits) {
    char text[160];
    if (static_cast<int>(filters.size()) > kMostEqFilters) {
        std::snprintf(text, sizeof text, "EQ のフィルターは %d 個までです", kMostEqFilters);
        return text;
    }
    for (std::size_t i = 0; i < filters.size(); ++i) {
        const PeakingFilter& f = filters[i];
        const int n = static_cast<int>(i) + 1;
        if (!(f.frequencyHz >= limits.band.low && f.frequencyHz <= limits.band.high))
            std::snprintf(text, sizeof text, "フィルター %d の周波数は %d から %d Hz までです", n,
                          limits.band.low, limits.band.high);
        else if (!(f.gainDb <= limits.mostBoostDb && f.gainDb >= -limits.mostCutDb))
            std::snprintf(text, sizeof text, "フィルター %d のゲインは %.1f から +%.1f dB までです", n,
                          -limits.mostCutDb, limits.mostBoostDb);
        else if (!(f.q >= limits.leastQ && f.q <= limits.mostQ))
            std::snprintf(text, sizeof text, "フィルター %d の Q は %.1f から %.1f までです", n,
                          limits.leastQ, limits.mostQ);
        else
            continue;
        return text;
    }
    return {};
}

} // namespace kolmarin
