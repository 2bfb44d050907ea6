#include "model/acoustics/source_mix.h"

#include "model/acoustics/peaking_eq.h"
#include "model/errors.h"
#include "model/fft/fft.h"

#include <cmath>
#include <numbers>

namespace kolmarin {

Complex delayAndFilter(double frequency, double delayMs, CrossoverBranch branch, double crossover) {
    const double phase = -2.0 * std::numbers::pi * frequency * (delayMs / 1000.0);
    return Complex{std::cos(phase), std::sin(phase)} * crossoverResponse(branch, frequency, crossover);
}

Complex sourceGain(const SourceDrive& drive, double frequency, double crossover) {
    const double amplitude = std::pow(10.0, drive.levelDb / 20.0);
    const Complex gain = (drive.inverted ? -amplitude : amplitude) *
                         delayAndFilter(frequency, drive.delayMs, drive.branch, crossover);
    return drive.eq && !drive.eq->empty() ? gain * eqResponse(*drive.eq, frequency) : gain;
}

std::vector<Complex> sourceSpectrum(const std::vector<double>& impulse) {
    std::vector<Complex> buffer(kTransformLength);
    for (int n = 0; n < kTransformLength; ++n)
        buffer[static_cast<std::size_t>(n)] = {impulse[static_cast<std::size_t>(n)], 0.0};
    forwardFft(buffer.data(), buffer.data(), kTransformLength);
    return {buffer.begin() + 1, buffer.begin() + 1 + kCurvePoints};
}

double mixLevel(double power) {
    if (!std::isfinite(power))
        throw UserError(msg::kOverflow);
    if (power == 0.0)
        throw UserError(msg::kZeroDivide);
    return 20.0 * std::log10(std::sqrt(power));
}

void mixLevels(const std::vector<const std::vector<Complex>*>& spectra,
               const std::vector<SourceDrive>& drives, double crossover, ElementRange range,
               std::array<double, kCurvePoints>& levels, DelayModel delays) {
    for (int j = range.first; j <= range.last; ++j) {
        const double f = binFrequency(j, delays);
        Complex sum{0.0, 0.0};
        for (std::size_t s = 0; s < spectra.size(); ++s)
            sum = sum + sourceGain(drives[s], f, crossover) * (*spectra[s])[static_cast<std::size_t>(j)];
        levels[static_cast<std::size_t>(j)] = mixLevel(sum.re * sum.re + sum.im * sum.im);
    }
}

} // namespace kolmarin
