#include "model/ffts.h"

#include "model/errors.h"

#include <cmath>

// Placeholder direct transform; replaced by the mixed-radix one.
namespace kolmarin {

std::vector<int> SplitLength(std::int32_t) { return {}; }

void ForwardFft(const TComplexNum* input, TComplexNum* output, std::int32_t n) {
    std::vector<TComplexNum> out(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k) {
        double re = 0, im = 0;
        for (int j = 0; j < n; ++j) {
            const double w = -2.0 * M_PI * static_cast<double>((static_cast<long long>(j) * k) % n) / n;
            re += input[j].re * std::cos(w) - input[j].im * std::sin(w);
            im += input[j].re * std::sin(w) + input[j].im * std::cos(w);
        }
        out[k] = {re, im};
    }
    for (int k = 0; k < n; ++k)
        output[k] = out[k];
}

} // namespace kolmarin
