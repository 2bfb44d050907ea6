#include "model/acoustics/late_rows.h"

#include <cmath>
#include <numbers>

namespace kolmarin::detail {

namespace {

// G(v) = sum_c rz[c] / sqrt(1 + (z[c] / zScale) v), summed image by image.
double rowSum(const double* z, const double* rz, int count, double zScale, double v) {
    double sum = 0.0;
    for (int c = 0; c < count; ++c)
        sum += rz[c] / std::sqrt(1.0 + z[c] / zScale * v);
    return sum;
}

// Spans beyond this need very high degrees: the nearest singularity of G, at v = -1,
// comes too close to the interval relative to its width.
constexpr double kWidestSpan = 16.0;
constexpr double kTolerance = 1e-14;

} // namespace

double chebyshevSum(const double* coefficients, int degree, double t) {
    double b1 = 0.0, b2 = 0.0;
    for (int k = degree; k >= 1; --k) {
        const double b0 = 2.0 * t * b1 + (coefficients[k] - b2);
        b2 = b1;
        b1 = b0;
    }
    return t * b1 + (coefficients[0] - b2);
}

LateRowSeries fitLateRowSeries(const double* z, const double* rz, int count, double lowestRowDistance,
                               std::vector<double>& coefficients) {
    LateRowSeries series;
    if (count <= 0 || !(lowestRowDistance > 0.0))
        return series;
    const double zScale = z[count - 1] > 0.0 ? z[count - 1] : 1.0;
    const double span = zScale / lowestRowDistance;
    if (!(span <= kWidestSpan))
        return series;
    double magnitude = 0.0;
    for (int c = 0; c < count; ++c)
        magnitude += std::fabs(rz[c]);
    const auto vAt = [span](double t) { return (t + 1.0) * span / 2.0; };

    for (int degree : {8, 12, 16, 20, 24, 32, 40, 48, 64}) {
        // Interpolation at the Chebyshev points of the first kind.
        const int nodes = degree + 1;
        std::vector<double> values(static_cast<std::size_t>(nodes));
        for (int j = 0; j < nodes; ++j)
            values[static_cast<std::size_t>(j)] =
                rowSum(z, rz, count, zScale, vAt(std::cos(std::numbers::pi * (j + 0.5) / nodes)));
        coefficients.assign(static_cast<std::size_t>(nodes), 0.0);
        for (int k = 0; k < nodes; ++k) {
            double sum = 0.0;
            for (int j = 0; j < nodes; ++j)
                sum +=
                    values[static_cast<std::size_t>(j)] * std::cos(std::numbers::pi * k * (j + 0.5) / nodes);
            coefficients[static_cast<std::size_t>(k)] = (k == 0 ? 1.0 : 2.0) * sum / nodes;
        }
        // Checked against the direct sum between and beyond the nodes, ends included.
        bool close = true;
        const int checks = 4 * nodes;
        for (int i = 0; i <= checks && close; ++i) {
            const double t = -1.0 + 2.0 * i / checks;
            const double error =
                chebyshevSum(coefficients.data(), degree, t) - rowSum(z, rz, count, zScale, vAt(t));
            close = std::fabs(error) <= kTolerance * magnitude;
        }
        if (close) {
            series.degree = degree;
            series.zScale = zScale;
            series.vSpan = span;
            series.coefficients = coefficients.data();
            return series;
        }
    }
    return series;
}

} // namespace kolmarin::detail
