#pragma once
// Labels of the response chart's logarithmic frequency axis. The chart asks the main
// window for label positions one index at a time and for the text of each label; the
// answers come from two fixed tables, so the decades read 10, 20, ..., 100, 200, ...
// with numbers only where they do not crowd each other.

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace kolmarin {

enum class LabelAxis { Frequency, Level };

// Label positions in Hz, asked for by index 0..19.
inline constexpr std::array<double, 20> kFrequencyLabelPositions{
    10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 200, 300, 400, 500, 600, 700, 800, 900, 1000, 2000};
// The labels whose number is shown; the others keep their tick and grid line only.
inline constexpr std::array<double, 14> kFrequencyLabelNumbers{10,  20,  30,  40,  50,  60,   70,
                                                               100, 200, 300, 400, 500, 1000, 10000};

// The chart keeps asking for labels while the answer stays this close to the axis range,
// and at most this many times.
inline constexpr double kLabelRangeTolerance = 1e-7;
inline constexpr int kMaxLabelRequests = 2001;

// The separators of the user's locale, in UTF-8.
struct NumberFormat {
    std::string groupSeparator = ",";
    std::string decimalSeparator = ".";
    std::string minusSign = "-";
};

// The axis number format "#,##0.###": thousands grouped, at most three decimals, no
// trailing zeros.
std::string formatAxisNumber(double value, const NumberFormat& format);

// Position of label `index`: `value` arrives holding the previous answer (the axis
// minimum for index 0) and `stop` true for index 0. The frequency axis answers the larger
// of `value` and the table entry, and clears `stop`; the level axis is left to the chart.
void nextFrequencyAxisLabel(LabelAxis axis, int index, double& value, bool& stop);

// Text of one label: `text` arrives as the chart's own text for the label value. On the
// frequency axis it stays only if it reads like one of the numbered table entries.
void frequencyAxisLabelText(LabelAxis axis, std::string& text, const NumberFormat& format);

struct AxisLabel {
    double value = 0;
    std::string text; // empty: tick and grid line without a number
};

// Every label of a frequency axis showing [min, max], in ascending order, as the chart
// collects them through the two calls above.
std::vector<AxisLabel> frequencyAxisLabels(double min, double max, const NumberFormat& format);

// Leaves out the numbers that would run into each other on an axis `length` pixels long
// showing [min, max] logarithmically: each number stands centred on its tick, and one whose
// left edge comes less than `gap` pixels after the right edge of the last number kept
// loses its text (its tick and grid line stay). Going from low to high keeps the decade
// numbers 10, 100, 1000 wherever they had room before. `textWidth` measures a text in
// pixels.
void dropCrowdedLabels(std::vector<AxisLabel>& labels, double min, double max, double length, double gap,
                       const std::function<double(const std::string&)>& textWidth);

} // namespace kolmarin
