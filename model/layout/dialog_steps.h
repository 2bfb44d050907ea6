#pragma once
// The arrow-key steps of the settings dialog's room and coefficient boxes. A dimension
// steps by 0.1 m and never goes down to 0.1 m or less; a coefficient steps by 0.05 and
// stays inside 0..1. The stepped value is written in the general number form, so the
// text is re-read at every step and rounding never accumulates.

#include <optional>
#include <string>
#include <string_view>

namespace kolmarin {

enum class StepDirection { Up, Down };

inline constexpr double kDimensionStep = 0.1;
inline constexpr double kCoefficientStep = 0.05;

// The stepped dimension, or nothing when a Down step would reach 0.1 m or less.
std::optional<double> stepDimension(double value, StepDirection direction);
// The stepped coefficient, held to 0..1.
double stepCoefficient(double value, StepDirection direction);

// The same on box texts: parse with `decimalSeparator` (throws UserError with the
// parser's message), step, and give the text to write back; nothing when the box keeps
// its text.
std::optional<std::string> stepDimensionText(std::string_view text, StepDirection direction,
                                             char decimalSeparator);
std::string stepCoefficientText(std::string_view text, StepDirection direction, char decimalSeparator);

} // namespace kolmarin
