#pragma once
// The colour scale of the response maps: perceptually uniform from dark blue-violet
// (low, flat) through teal and green to yellow (high), so equal steps of the spread look
// like equal steps of colour, also to readers with a red-green deficiency and in grey.

#include <cstdint>

namespace kolmarin {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

// The colour of t in [0, 1] (clamped; NaN gives the colour of 0): linear between nine
// evenly spaced key colours.
Rgb scaleColour(double t);

// t for `value` on a scale from `low` to `high` (0.5 when they are equal).
double scalePosition(double value, double low, double high);

} // namespace kolmarin
