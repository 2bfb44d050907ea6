#include "model/layout/frequency_axis_labels.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace kolmarin;

namespace {

const NumberFormat kPointFormat{",", ".", "-"};

std::vector<double> positions(const std::vector<AxisLabel>& labels) {
    std::vector<double> out;
    for (const auto& label : labels)
        out.push_back(label.value);
    return out;
}

std::vector<std::string> texts(const std::vector<AxisLabel>& labels) {
    std::vector<std::string> out;
    for (const auto& label : labels)
        out.push_back(label.text);
    return out;
}

} // namespace

TEST(AxisNumberFormat, GroupsThousandsAndKeepsAtMostThreeDecimals) {
    EXPECT_EQ(formatAxisNumber(20, kPointFormat), "20");
    EXPECT_EQ(formatAxisNumber(1000, kPointFormat), "1,000");
    EXPECT_EQ(formatAxisNumber(10000, kPointFormat), "10,000");
    EXPECT_EQ(formatAxisNumber(1234567.5, kPointFormat), "1,234,567.5");
    EXPECT_EQ(formatAxisNumber(999, kPointFormat), "999");
    EXPECT_EQ(formatAxisNumber(25.125, kPointFormat), "25.125");
    EXPECT_EQ(formatAxisNumber(25.1254, kPointFormat), "25.125");
    EXPECT_EQ(formatAxisNumber(20.0004, kPointFormat), "20");
    EXPECT_EQ(formatAxisNumber(0.5, kPointFormat), "0.5");
    EXPECT_EQ(formatAxisNumber(0, kPointFormat), "0");
    EXPECT_EQ(formatAxisNumber(-25, kPointFormat), "-25");
    EXPECT_EQ(formatAxisNumber(-1500.25, kPointFormat), "-1,500.25");
    EXPECT_EQ(formatAxisNumber(-0.0001, kPointFormat), "0");
}

TEST(AxisNumberFormat, UsesTheLocalesSeparators) {
    const NumberFormat german{".", ",", "-"};
    EXPECT_EQ(formatAxisNumber(1000, german), "1.000");
    EXPECT_EQ(formatAxisNumber(2.5, german), "2,5");
    const NumberFormat french{"\u202f", ",", "-"};
    EXPECT_EQ(formatAxisNumber(12000.75, french), "12\u202f000,75");
}

TEST(NextAxisLabel, AnswersTheLargerOfThePreviousAndTheTable) {
    double value = 25;
    bool stop = true;
    nextFrequencyAxisLabel(LabelAxis::Frequency, 0, value, stop);
    EXPECT_EQ(value, 25);
    EXPECT_FALSE(stop);
    nextFrequencyAxisLabel(LabelAxis::Frequency, 1, value, stop);
    EXPECT_EQ(value, 25);
    nextFrequencyAxisLabel(LabelAxis::Frequency, 2, value, stop);
    EXPECT_EQ(value, 30);
    nextFrequencyAxisLabel(LabelAxis::Frequency, 19, value, stop);
    EXPECT_EQ(value, 2000);
    // Beyond the table the answer repeats.
    nextFrequencyAxisLabel(LabelAxis::Frequency, 20, value, stop);
    EXPECT_EQ(value, 2000);

    // The level axis is left to the chart: nothing is touched, stop stays set.
    double level = -25;
    bool levelStop = true;
    nextFrequencyAxisLabel(LabelAxis::Level, 0, level, levelStop);
    EXPECT_EQ(level, -25);
    EXPECT_TRUE(levelStop);
}

TEST(AxisLabelText, OnlyTheNumberedEntriesKeepTheirText) {
    for (std::string text : {"10", "20", "70", "100", "500", "1,000", "10,000"}) {
        const std::string kept = text;
        frequencyAxisLabelText(LabelAxis::Frequency, text, kPointFormat);
        EXPECT_EQ(text, kept);
    }
    for (std::string text : {"80", "90", "600", "900", "2,000", "25", "1000", "20.5"}) {
        frequencyAxisLabelText(LabelAxis::Frequency, text, kPointFormat);
        EXPECT_EQ(text, "") << text;
    }
    // The comparison is on the formatted text: with a point as group separator 1000 reads
    // "1.000", and "1,000" is no longer a table text.
    const NumberFormat german{".", ",", "-"};
    std::string grouped = "1.000";
    frequencyAxisLabelText(LabelAxis::Frequency, grouped, german);
    EXPECT_EQ(grouped, "1.000");
    std::string foreign = "1,000";
    frequencyAxisLabelText(LabelAxis::Frequency, foreign, german);
    EXPECT_EQ(foreign, "");
    // Level-axis texts are never changed.
    std::string level = "-25";
    frequencyAxisLabelText(LabelAxis::Level, level, kPointFormat);
    EXPECT_EQ(level, "-25");
}

TEST(FrequencyAxisLabels, DefaultRange) {
    const auto labels = frequencyAxisLabels(20, 500, kPointFormat);
    EXPECT_EQ(positions(labels),
              (std::vector<double>{20, 30, 40, 50, 60, 70, 80, 90, 100, 200, 300, 400, 500}));
    EXPECT_EQ(texts(labels), (std::vector<std::string>{"20", "30", "40", "50", "60", "70", "", "", "100",
                                                       "200", "300", "400", "500"}));
}

TEST(FrequencyAxisLabels, FromTenHertz) {
    const auto labels = frequencyAxisLabels(10, 500, kPointFormat);
    ASSERT_EQ(labels.size(), 14u);
    EXPECT_EQ(labels.front().value, 10);
    EXPECT_EQ(labels.front().text, "10");
    EXPECT_EQ(labels[1].value, 20);
}

TEST(FrequencyAxisLabels, AMinimumOffTheTableGetsAnUnnumberedLabel) {
    const auto labels = frequencyAxisLabels(25, 500, kPointFormat);
    ASSERT_FALSE(labels.empty());
    EXPECT_EQ(labels[0].value, 25);
    EXPECT_EQ(labels[0].text, "");
    EXPECT_EQ(labels[1].value, 30);
    EXPECT_EQ(labels[1].text, "30");
    EXPECT_EQ(labels.size(), 13u);
}

TEST(FrequencyAxisLabels, WideRangeEndsAtTwoThousand) {
    const auto labels = frequencyAxisLabels(20, 3000, kPointFormat);
    EXPECT_EQ(positions(labels), (std::vector<double>{20, 30, 40, 50, 60, 70, 80, 90, 100, 200, 300, 400, 500,
                                                      600, 700, 800, 900, 1000, 2000}));
    EXPECT_EQ(labels[13].text, ""); // 600
    EXPECT_EQ(labels[16].text, ""); // 900
    EXPECT_EQ(labels[17].text, "1,000");
    EXPECT_EQ(labels[18].text, ""); // 2000
}

TEST(FrequencyAxisLabels, EdgesOfTheRange) {
    // A label within 1e-7 of the maximum still counts; one further off does not.
    EXPECT_EQ(positions(frequencyAxisLabels(20, 500 - 5e-8, kPointFormat)).back(), 500);
    EXPECT_EQ(positions(frequencyAxisLabels(20, 499.9, kPointFormat)).back(), 400);
    // Below the table's first entry the minimum gets no label of its own.
    EXPECT_TRUE(frequencyAxisLabels(1, 5, kPointFormat).empty());
    EXPECT_EQ(positions(frequencyAxisLabels(5, 45, kPointFormat)), (std::vector<double>{10, 20, 30, 40}));
    // A range above the table's last entry holds its minimum alone.
    EXPECT_EQ(positions(frequencyAxisLabels(2500, 9000, kPointFormat)), (std::vector<double>{2500}));
    // A narrow range between two entries shows its minimum only.
    EXPECT_EQ(positions(frequencyAxisLabels(41, 49, kPointFormat)), (std::vector<double>{41}));
    // A minimum that formats like a table value keeps its number.
    const auto nearTwenty = frequencyAxisLabels(20.0002, 500, kPointFormat);
    EXPECT_EQ(nearTwenty.front().text, "20");
}

TEST(CrowdedAxisLabels, NoTwoNumbersTouchAtAnyWidthAndNoneGoWhereThereIsRoom) {
    const auto digitWidth = [](const std::string& text) { return 7.0 * static_cast<double>(text.size()); };
    for (double length : {60.0, 120.0, 215.0, 300.0, 430.0, 900.0}) {
        std::vector<AxisLabel> labels = frequencyAxisLabels(20, 500, kPointFormat);
        const std::vector<AxisLabel> all = labels;
        dropCrowdedLabels(labels, 20, 500, length, 4, digitWidth);
        ASSERT_EQ(positions(labels), positions(all)); // every tick stays
        double lastRight = -1e9;
        for (const AxisLabel& label : labels) {
            if (label.text.empty())
                continue;
            const double centre = length * std::log(label.value / 20) / std::log(25.0);
            EXPECT_GE(centre - digitWidth(label.text) / 2, lastRight + 4) << length << " Hz " << label.value;
            lastRight = centre + digitWidth(label.text) / 2;
        }
        if (length >= 430) {
            EXPECT_EQ(texts(labels), texts(all)) << length;
        }
    }
    // The half-width chart of a squeezed plot: "300400500" becomes "300 500".
    std::vector<AxisLabel> half = frequencyAxisLabels(20, 500, kPointFormat);
    dropCrowdedLabels(half, 20, 500, 215, 4, digitWidth);
    EXPECT_EQ(texts(half), (std::vector<std::string>{"20", "30", "40", "", "60", "", "", "", "100", "200",
                                                     "300", "", "500"}));
}
