#include "model/layout/dialog_steps.h"

#include "model/text/number_text.h"

namespace kolmarin {

std::optional<double> stepDimension(double value, StepDirection direction) {
    if (direction == StepDirection::Up)
        return value + kDimensionStep;
    const double lowered = value - kDimensionStep;
    if (lowered > kDimensionStep)
        return lowered;
    return std::nullopt;
}

double stepCoefficient(double value, StepDirection direction) {
    if (direction == StepDirection::Up) {
        const double raised = value + kCoefficientStep;
        return raised > 1.0 ? 1.0 : raised;
    }
    const double lowered = value - kCoefficientStep;
    return lowered >= 0.0 ? lowered : 0.0;
}

std::optional<std::string> stepDimensionText(std::string_view text, StepDirection direction,
                                             char decimalSeparator) {
    const std::optional<double> stepped = stepDimension(parseDecimal(text, decimalSeparator), direction);
    if (!stepped)
        return std::nullopt;
    return formatGeneral(*stepped, decimalSeparator);
}

std::string stepCoefficientText(std::string_view text, StepDirection direction, char decimalSeparator) {
    return formatGeneral(stepCoefficient(parseDecimal(text, decimalSeparator), direction), decimalSeparator);
}

} // namespace kolmarin
