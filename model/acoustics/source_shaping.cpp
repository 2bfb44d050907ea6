#include "model/acoustics/source_shaping.h"

#include "model/acoustics/crossover.h"
#include "model/acoustics/impulse_responses.h"
#include "model/fft/fft.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kolmarin::detail {

bool allPlain(const Scene& scene) {
    return std::all_of(scene.sources.begin(), scene.sources.end(), [](const Source& s) { return s.plain(); });
}

double gainOf(const Source& source) {
    return std::pow(10.0, source.levelDb / 20.0) * (source.reversed ? -1.0 : 1.0);
}

Complex sourceFactor(const Source& source, double gain, double frequency) {
    const double phase = -2.0 * std::numbers::pi * frequency * (source.delayMs / 1000.0);
    const Complex factor{gain * std::cos(phase), gain * std::sin(phase)};
    if (source.branch == CrossoverBranch::Full)
        return factor;
    return factor * crossoverResponse(source.branch, frequency, source.crossoverHz);
}

void shapeSpectrum(const Source& source, std::vector<Complex>& spectrum) {
    const double gain = gainOf(source);
    for (int k = 0; k < kTransformLength; ++k) {
        Complex& z = spectrum[static_cast<std::size_t>(k)];
        z = z * sourceFactor(source, gain, k * 0.5);
    }
}

void shapeImpulse(const Source& source, std::vector<double>& impulse) {
    std::vector<Complex> spectrum(kTransformLength);
    for (int n = 0; n < kTransformLength; ++n)
        spectrum[static_cast<std::size_t>(n)] = {impulse[static_cast<std::size_t>(n)], 0.0};
    forwardFft(spectrum.data(), spectrum.data(), kTransformLength);
    const double gain = gainOf(source);
    for (int k = 0; k < kTransformLength; ++k) {
        const bool negative = k > kTransformLength / 2;
        Complex factor = sourceFactor(source, gain, (negative ? kTransformLength - k : k) * 0.5);
        // Above the middle the factor of the mirrored frequency, conjugated; the inverse
        // transform is the forward one of the conjugate, conjugated back (its real part).
        if (negative)
            factor.im = -factor.im;
        Complex& z = spectrum[static_cast<std::size_t>(k)];
        z = z * factor;
        z.im = -z.im;
    }
    forwardFft(spectrum.data(), spectrum.data(), kTransformLength);
    for (int n = 0; n < kTransformLength; ++n)
        impulse[static_cast<std::size_t>(n)] = spectrum[static_cast<std::size_t>(n)].re / kTransformLength;
}

} // namespace kolmarin::detail
