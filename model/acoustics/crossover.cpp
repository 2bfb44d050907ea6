#include "model/acoustics/crossover.h"

#include <cmath>

namespace kolmarin {

Complex crossoverResponse(CrossoverBranch branch, double frequency, double crossover) {
    if (branch == CrossoverBranch::Full)
        return {1.0, 0.0};
    // With x = s/wc = j f/fc the Butterworth denominator is 1 - (f/fc)^2 + j sqrt2 f/fc.
    const double ratio = frequency / crossover;
    const Complex butterworth{1.0 - ratio * ratio, std::sqrt(2.0) * ratio};
    const Complex squared = butterworth * butterworth;
    const double power = squared.re * squared.re + squared.im * squared.im;
    const Complex lowPass{squared.re / power, -squared.im / power};
    if (branch == CrossoverBranch::LowPass)
        return lowPass;
    // (j f/fc)^4 = (f/fc)^4: real and positive.
    return (ratio * ratio * ratio * ratio) * lowPass;
}

} // namespace kolmarin
