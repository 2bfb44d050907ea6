#include "model/acoustics/overflow_detail.h"

#include "model/acoustics/continuous_delays.h"
#include "model/acoustics/impulse_responses.h"
#include "model/text/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>
#include <vector>

namespace kolmarin {

namespace {

// log10 of the largest double, about 308.25.
const double kLargestExponent = std::log10(std::numeric_limits<double>::max());

// Images i = -n..n of one axis meet the axis's positive wall (right, front, ceiling) and its
// negative wall (left, back, floor) these many times; together |i|.
int positiveWallCount(int i) {
    return i >= 0 ? (i + 1) / 2 : -i / 2;
}
int negativeWallCount(int i) {
    return i >= 0 ? i / 2 : (-i + 1) / 2;
}

struct Wall {
    const char* name;
    double coefficient;
};

// log10 of k reflections' factor |c|^k; minus infinity for a silent wall met at all.
double reflectionsExponent(double coefficient, int k) {
    if (k == 0)
        return 0.0;
    if (coefficient == 0.0)
        return -std::numeric_limits<double>::infinity();
    return k * std::log10(std::fabs(coefficient));
}

// The image of one axis whose weight is largest, and its reflections on either wall.
struct AxisPeak {
    double exponent = 0.0; // log10 of the weight
    int positive = 0, negative = 0;
};

AxisPeak axisPeak(int n, double positiveWall, double negativeWall) {
    AxisPeak best;
    for (int i = -n; i <= n; ++i) {
        const int p = positiveWallCount(i), q = negativeWallCount(i);
        const double e = reflectionsExponent(positiveWall, p) + reflectionsExponent(negativeWall, q);
        if (e > best.exponent)
            best = {e, p, q};
    }
    return best;
}

std::string text(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

std::string sourceName(std::size_t s) {
    return (s < 2 ? "SP" : "SW") + std::to_string(s < 2 ? s + 1 : s - 1);
}

// The largest distance along one axis, centred coordinates, from an image of source
// coordinate s to the seat's l.
double longestAxisDistance(int n, double length, double s, double l) {
    double longest = 0.0;
    for (int i : {-n, -n + 1, n - 1, n}) {
        if (i < -n || i > n)
            continue;
        const double sigma = (i % 2 == 0) ? 1.0 : -1.0;
        longest = std::max(longest, std::fabs(sigma * s + i * length - l));
    }
    return longest;
}

} // namespace

std::string overflowDetail(const Scene& scene, int seat) {
    const int n = scene.reflectionCount;
    if (n >= 0 && seat >= 0 && static_cast<std::size_t>(seat) < scene.seats.size()) {
        // The farthest image of any source.
        const Point3& place = scene.seats[static_cast<std::size_t>(seat)];
        double farthest = 0.0;
        for (const Source& source : scene.sources) {
            const Point3& p = source.position;
            farthest = std::max(
                farthest,
                std::hypot(
                    longestAxisDistance(n, scene.width, p.x - scene.width / 2, place.x - scene.width / 2),
                    longestAxisDistance(n, scene.depth, scene.depth / 2 - p.y, scene.depth / 2 - place.y),
                    longestAxisDistance(n, scene.height, p.z - scene.height / 2,
                                        place.z - scene.height / 2)));
        }
        if (!(std::log10(farthest) * 2 <= kLargestExponent))
            return "部屋が大きすぎるため、" + std::to_string(n) + " 回反射した像までの距離 (" +
                   (std::isfinite(farthest) ? text("約 %.3g m", farthest) : std::string("倍精度の範囲外")) +
                   ") の 2 乗が倍精度の範囲を超えました";
        if (scene.delays == DelayModel::Continuous && !(farthest < detail::kLongestContinuousPath))
            return "部屋が大きすぎるため、" + std::to_string(n) + " 回反射した像までの距離 (" +
                   text("約 %.3g m", farthest) + ") が遅れとして扱える範囲を超えました";
    }

    // The heaviest image: the largest weight of each axis together.
    const Wall walls[3][2] = {{{"右の壁", scene.reflRight}, {"左の壁", scene.reflLeft}},
                              {{"前の壁", scene.reflFront}, {"後ろの壁", scene.reflBack}},
                              {{"天井", scene.reflCeiling}, {"床", scene.reflFloor}}};
    double weightExponent = 0.0;
    std::string surfaces;
    for (const auto& axis : walls) {
        const AxisPeak peak = axisPeak(std::max(n, 0), axis[0].coefficient, axis[1].coefficient);
        weightExponent += peak.exponent;
        for (const auto& [wall, count] :
             {std::pair{axis[0], peak.positive}, std::pair{axis[1], peak.negative}}) {
            if (count == 0 || !(std::fabs(wall.coefficient) > 1.0))
                continue;
            surfaces += std::string(surfaces.empty() ? "" : "、") + wall.name + " (反射率 " +
                        formatGeneral(wall.coefficient) + ") で " + std::to_string(count) + " 回";
        }
    }
    if (weightExponent > kLargestExponent)
        return surfaces + "反射した像の重み (約 10 の " +
               std::to_string(static_cast<long long>(weightExponent)) +
               " 乗) が倍精度の範囲 (約 10 の 308 乗) を超えました";

    for (std::size_t s = 0; s < scene.sources.size(); ++s) {
        const double levelDb = scene.sources[s].levelDb;
        if (!(levelDb / 20.0 + std::max(weightExponent, 0.0) <= kLargestExponent))
            return sourceName(s) + " のレベル " + formatGeneral(levelDb) +
                   " dB が大きすぎるため、値が倍精度の範囲を超えました";
    }
    // No single value is beyond range; their sum is. Walls that amplify are still the cause.
    if (!surfaces.empty())
        return surfaces + "反射した像の重みが大きく、像を足し合わせた応答の値が倍精度の範囲を超えました";
    return "像を足し合わせた応答の値が倍精度の範囲を超えました";
}

} // namespace kolmarin
