#include "model/layout/frequency_axis_labels.h"

#include <charconv>
#include <cmath>

namespace kolmarin {

std::string formatAxisNumber(double value, const NumberFormat& format) {
    char buffer[512];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::fixed, 3);
    if (ec != std::errc())
        return {};
    std::string digits(buffer, end);
    // Up to three decimals, only as many as needed.
    std::string decimals;
    if (const auto point = digits.find('.'); point != std::string::npos) {
        decimals = digits.substr(point + 1);
        digits.erase(point);
        while (!decimals.empty() && decimals.back() == '0')
            decimals.pop_back();
    }
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += format.groupSeparator;
        text += digits[i];
    }
    if (!decimals.empty())
        text += format.decimalSeparator + decimals;
    // A value that rounds to zero is written without a sign.
    if (value < 0 && (digits != "0" || !decimals.empty()))
        text.insert(0, format.minusSign);
    return text;
}

void nextFrequencyAxisLabel(LabelAxis axis, int index, double& value, bool& stop) {
    if (axis != LabelAxis::Frequency)
        return;
    if (index >= 0 && index < static_cast<int>(kFrequencyLabelPositions.size())) {
        const double position = kFrequencyLabelPositions[static_cast<std::size_t>(index)];
        if (position > value)
            value = position;
    }
    stop = false;
}

void frequencyAxisLabelText(LabelAxis axis, std::string& text, const NumberFormat& format) {
    if (axis != LabelAxis::Frequency)
        return;
    for (double number : kFrequencyLabelNumbers)
        if (formatAxisNumber(number, format) == text)
            return;
    text.clear();
}

std::vector<AxisLabel> frequencyAxisLabels(double min, double max, const NumberFormat& format) {
    std::vector<AxisLabel> labels;
    double value = min;
    bool stop = true;
    for (int index = 0; index < kMaxLabelRequests; ++index) {
        nextFrequencyAxisLabel(LabelAxis::Frequency, index, value, stop);
        if (stop || value < min - kLabelRangeTolerance || value > max + kLabelRangeTolerance)
            break;
        if (!labels.empty() && labels.back().value == value)
            continue;
        AxisLabel label{value, formatAxisNumber(value, format)};
        frequencyAxisLabelText(LabelAxis::Frequency, label.text, format);
        labels.push_back(std::move(label));
    }
    return labels;
}

void dropCrowdedLabels(std::vector<AxisLabel>& labels, double min, double max, double length, double gap,
                       const std::function<double(const std::string&)>& textWidth) {
    if (!(min > 0) || !(max > min) || !(length > 0))
        return;
    // A tick's pixel on a logarithmic axis: its share of the decades the axis spans.
    const double decades = std::log(max / min);
    double lastRight = -HUGE_VAL;
    for (AxisLabel& label : labels) {
        if (label.text.empty())
            continue;
        const double centre = length * std::log(label.value / min) / decades;
        const double half = textWidth(label.text) / 2;
        if (centre - half < lastRight + gap)
            label.text.clear();
        else
            lastRight = centre + half;
    }
}

} // namespace kolmarin
