#include "model/layout/colour_scale.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace kolmarin {

namespace {

// Key colours at t = 0, 1/8, ..., 1 of a blue-violet-to-yellow scale whose lightness
// rises evenly.
constexpr Rgb kKeys[] = {{68, 1, 84},    {70, 50, 126}, {59, 82, 139},  {44, 114, 142}, {33, 145, 140},
                         {40, 174, 128}, {94, 201, 98}, {173, 220, 48}, {253, 231, 37}};
constexpr int kSegments = static_cast<int>(std::size(kKeys)) - 1;

} // namespace

Rgb scaleColour(double t) {
    if (!(t > 0.0))
        return kKeys[0];
    if (t >= 1.0)
        return kKeys[kSegments];
    const double position = t * kSegments;
    const int k = std::min(static_cast<int>(position), kSegments - 1);
    const double f = position - k;
    const auto mix = [f](std::uint8_t a, std::uint8_t b) {
        return static_cast<std::uint8_t>(std::lround(a + (b - a) * f));
    };
    return {mix(kKeys[k].r, kKeys[k + 1].r), mix(kKeys[k].g, kKeys[k + 1].g),
            mix(kKeys[k].b, kKeys[k + 1].b)};
}

double scalePosition(double value, double low, double high) {
    if (!(high > low))
        return 0.5;
    return std::clamp((value - low) / (high - low), 0.0, 1.0);
}

} // namespace kolmarin
