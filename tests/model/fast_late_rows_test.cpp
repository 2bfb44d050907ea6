// The Chebyshev series that sums a row of late images at once, against the sum image by
// image over the whole span of row distances it is fitted for.
#include "model/acoustics/late_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

using namespace kolmarin::detail;

namespace {

// Squared z components (in squared samples) of the images of a 2.4 m high room and their
// reflection factors times K, ascending as the fast accumulation sorts them.
struct ZTable {
    std::vector<double> z, rz;
};

ZTable roomHeightTable(int n, double floor, double ceiling) {
    const double k = 4096.0 / 344.0;
    ZTable t;
    for (int i = 0; i <= 2 * n; ++i) {
        const int c = i / 2 * (i % 2 == 0 ? 1 : -1);
        const double sigma = c % 2 == 0 ? 1.0 : -1.0;
        const double d = (sigma * -0.7 + c * 2.4 + 0.2) * k;
        const int up = c >= 0 ? (c + 1) / 2 : -c / 2;
        const int down = std::abs(c) - up;
        t.z.push_back(d * d);
        t.rz.push_back(std::pow(ceiling, up) * std::pow(floor, down) * k);
    }
    // Sorted by z, factors alongside.
    std::vector<int> order(t.z.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::sort(order.begin(), order.end(), [&](int a, int b) { return t.z[a] < t.z[b]; });
    ZTable sorted;
    for (int i : order) {
        sorted.z.push_back(t.z[static_cast<std::size_t>(i)]);
        sorted.rz.push_back(t.rz[static_cast<std::size_t>(i)]);
    }
    return sorted;
}

double directSum(const ZTable& t, double xy) {
    double sum = 0.0;
    for (std::size_t c = 0; c < t.z.size(); ++c)
        sum += t.rz[c] / std::sqrt(xy + t.z[c]);
    return sum;
}

double seriesSum(const LateRowSeries& s, double xy) {
    const double v = s.zScale / xy;
    return chebyshevSum(s.coefficients, s.degree, 2.0 * v / s.vSpan - 1.0) / std::sqrt(xy);
}

} // namespace

TEST(LateRowSeries, MatchesTheImageSumAcrossItsSpan) {
    const double late = 8001.0 * 8001.0;
    // Coefficients below 1, rigid ones, and a negative floor whose images alternate in sign.
    for (const auto& [floor, ceiling] : {std::pair{0.9, 0.9}, std::pair{1.0, 1.0}, std::pair{-0.95, 0.7}}) {
        for (int n : {3, 60, 200}) {
            const ZTable t = roomHeightTable(n, floor, ceiling);
            const int count = static_cast<int>(t.z.size());
            const double lowest = late - t.z[0];
            std::vector<double> coefficients;
            const LateRowSeries s = fitLateRowSeries(t.z.data(), t.rz.data(), count, lowest, coefficients);
            ASSERT_GE(s.degree, 0) << n;
            ASSERT_EQ(s.coefficients, coefficients.data());
            double magnitude = 0.0;
            for (double r : t.rz)
                magnitude += std::fabs(r);
            for (double xy = lowest; xy < 1e4 * lowest; xy *= 1.37) {
                const double expected = directSum(t, xy);
                EXPECT_NEAR(seriesSum(s, xy), expected, 1e-13 * magnitude / std::sqrt(xy))
                    << "floor " << floor << ", N " << n << ", xy " << xy;
            }
        }
    }
}

TEST(LateRowSeries, DeclinesWhatItCannotFit) {
    const ZTable t = roomHeightTable(200, 0.9, 0.9);
    const int count = static_cast<int>(t.z.size());
    std::vector<double> coefficients;
    // Rows far nearer than the farthest images: the span of z / xy is too wide.
    EXPECT_EQ(fitLateRowSeries(t.z.data(), t.rz.data(), count, t.z.back() / 100, coefficients).degree, -1);
    EXPECT_EQ(fitLateRowSeries(t.z.data(), t.rz.data(), count, 0.0, coefficients).degree, -1);
    EXPECT_EQ(fitLateRowSeries(t.z.data(), t.rz.data(), 0, 1e8, coefficients).degree, -1);
    // A single image on the listener's height: G is a constant.
    const double z0 = 0.0, rz0 = 2.5;
    const LateRowSeries s = fitLateRowSeries(&z0, &rz0, 1, 1e8, coefficients);
    ASSERT_GE(s.degree, 0);
    EXPECT_NEAR(seriesSum(s, 4e8), 2.5 / std::sqrt(4e8), 1e-15);
}
