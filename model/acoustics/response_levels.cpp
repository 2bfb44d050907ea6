#include "model/acoustics/response_levels.h"

#include "model/acoustics/source_shaping.h"
#include "model/errors.h"

#include <algorithm>
#include <cmath>

namespace kolmarin {

ElementRange storedElements(std::int32_t start, std::int32_t end) {
    ElementRange r;
    if (start > end)
        return r;
    const long long first = std::max<long long>(2LL * start, 0);
    const long long last = std::min<long long>(2LL * end, kCurvePoints - 1);
    if (first > last)
        return r;
    r.first = static_cast<int>(first);
    r.last = static_cast<int>(last);
    return r;
}

namespace detail {

LevelFault takeLevels(const std::vector<Complex>& spectrum, Curve& levels, const ElementRange& range,
                      double noisePower) {
    for (int j = range.first; j <= range.last; ++j) {
        const Complex& z = spectrum[static_cast<std::size_t>(j + 1)];
        const double power = z.re * z.re + z.im * z.im;
        if (!std::isfinite(power))
            return {j, msg::kOverflow};
        if (power <= noisePower)
            return {j, nullptr, true};
        if (power == 0.0)
            return {j, msg::kZeroDivide};
        levels[static_cast<std::size_t>(j)] = 20.0 * std::log10(std::sqrt(power));
    }
    return {};
}

bool storeUnlessFaulty(const std::vector<LevelFault>& faults, const std::vector<Curve>& levels,
                       ElementRange range, ResponseCurves& curves) {
    const LevelFault* first = &faults[0];
    for (const LevelFault& f : faults)
        if (f.element < first->element)
            first = &f;
    if (first->withinNoise)
        return false;
    if (first->message)
        throw UserError(first->message);
    storeCurves(levels, faults.size() - 1, range, curves);
    return true;
}

void storeCurves(const std::vector<Curve>& levels, std::size_t sources, ElementRange range,
                 ResponseCurves& curves, bool totalOnly) {
    if (!totalOnly && curves.sources.size() != sources)
        curves.sources.assign(sources, Curve{});
    if (range.first > range.last)
        return;
    for (std::size_t curve = 0; curve <= sources; ++curve) {
        Curve& stored = curve < sources ? curves.sources[curve] : curves.total;
        std::copy(levels[curve].begin() + range.first, levels[curve].begin() + range.last + 1,
                  stored.begin() + range.first);
    }
}

std::vector<double> noNoiseBound(const ImpulseResponses& h) {
    return std::vector<double>(h.sources.size() + 1, -1.0);
}

std::vector<double> roundingNoisePowers(const Scene& scene, const ImpulseResponses& h, int seat) {
    const Point3& place = scene.seats.at(static_cast<std::size_t>(seat));
    const auto direct = [&](const Point3& source) {
        const double dx = source.x - place.x, dy = source.y - place.y, dz = source.z - place.z;
        const double r = std::sqrt(dx * dx + dy * dy + dz * dz);
        return std::isfinite(1.0 / r) ? 1.0 / r : 0.0;
    };
    const auto magnitudes = [](const std::vector<double>& samples) {
        double sum = 0.0;
        for (double v : samples)
            sum += std::fabs(v);
        return sum;
    };
    const auto noise = [](double scale) { return (1e-9 * scale) * (1e-9 * scale); };
    std::vector<double> powers;
    powers.reserve(h.sources.size() + 1);
    double totalScale = 0.0;
    for (std::size_t s = 0; s < h.sources.size(); ++s) {
        const Source& source = scene.sources[s];
        double scale = magnitudes(h.sources[s]) + direct(source.position);
        if (!source.plain())
            scale *= std::fabs(gainOf(source));
        powers.push_back(noise(scale));
        totalScale += scale;
    }
    powers.push_back(noise(totalScale));
    return powers;
}

bool pairLevelsSound(const ElementRange& range, const Complex* p, const std::vector<double>& noise) {
    // Each noise power is (1e-9 scale)^2 for its curve's scale; the packed transform's
    // rounding stays some 1e-14 of both scales together, below `slack`.
    const double slack = 1e-3 * std::sqrt(noise[2]);
    const double least1 = 2.0 * std::sqrt(noise[0]) + slack, least2 = 2.0 * std::sqrt(noise[1]) + slack;
    const double lowest1 = least1 * least1, lowest2 = least2 * least2;
    for (int j = range.first; j <= range.last; ++j) {
        const Complex a = p[j + 1], c = p[kTransformLength - j - 1];
        const double re1 = 0.5 * (a.re + c.re), im1 = 0.5 * (a.im - c.im);
        const double re2 = 0.5 * (a.im + c.im), im2 = 0.5 * (c.re - a.re);
        const double power1 = re1 * re1 + im1 * im1, power2 = re2 * re2 + im2 * im2;
        if (!(power1 > lowest1 && power2 > lowest2 && power1 < 1e300 && power2 < 1e300))
            return false;
    }
    return true;
}

std::vector<Curve> continuousLevels(const std::vector<std::vector<Complex>>& spectra, ElementRange range) {
    std::vector<Curve> levels(spectra.size());
    for (int j = range.first; j <= range.last; ++j)
        for (std::size_t curve = 0; curve < spectra.size(); ++curve) {
            const Complex z = spectra[curve][static_cast<std::size_t>(j)];
            const double power = z.re * z.re + z.im * z.im;
            if (!std::isfinite(power))
                throw UserError(msg::kOverflow);
            if (power == 0.0)
                throw UserError(msg::kZeroDivide);
            levels[curve][static_cast<std::size_t>(j)] = 20.0 * std::log10(std::sqrt(power));
        }
    return levels;
}

} // namespace detail

} // namespace kolmarin
