#include "model/errors.h"
#include "model/layout/dialog_steps.h"

#include "tests/user_error.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kolmarin;
using kolmarin::test::errorOf;

namespace {

constexpr auto Up = StepDirection::Up;
constexpr auto Down = StepDirection::Down;

} // namespace

TEST(DimensionStep, StepsByATenthInTheShortForm) {
    EXPECT_EQ(stepDimensionText("2.40", Down, '.'), "2.3");
    EXPECT_EQ(stepDimensionText("2.70", Up, '.'), "2.8");
    EXPECT_EQ(stepDimensionText("4.50", Up, '.'), "4.6");
    EXPECT_EQ(stepDimensionText("2.5e0", Up, '.'), "2.6");
    EXPECT_EQ(stepDimensionText(" 3 ", Down, '.'), "2.9");
    // No upper limit.
    EXPECT_EQ(stepDimensionText("1000", Up, '.'), "1000.1");
    EXPECT_EQ(stepDimensionText("2,40", Down, ','), "2,3");
}

TEST(DimensionStep, DownNeverReachesATenthOfAMetre) {
    EXPECT_EQ(stepDimensionText("0.2", Down, '.'), std::nullopt);
    EXPECT_EQ(stepDimensionText("0.20", Down, '.'), std::nullopt);
    EXPECT_EQ(stepDimensionText("0.15", Down, '.'), std::nullopt);
    EXPECT_EQ(stepDimensionText("0.25", Down, '.'), "0.15");
    EXPECT_EQ(stepDimensionText("0.21", Down, '.'), "0.11");
    EXPECT_EQ(stepDimensionText("-1", Down, '.'), std::nullopt);
    EXPECT_EQ(stepDimensionText("0.2", Up, '.'), "0.3");
}

TEST(DimensionStep, WalkingDownFromTheDefaultHeightStopsAtTwoTenthsWithCleanTexts) {
    // Each step re-reads the written text, so binary rounding never shows in the box.
    std::string text = "2.40";
    std::vector<std::string> seen;
    while (const auto next = stepDimensionText(text, Down, '.')) {
        text = *next;
        seen.push_back(text);
        ASSERT_LE(text.size(), 3u) << text;
        ASSERT_LT(seen.size(), 100u);
    }
    EXPECT_EQ(seen.size(), 22u);
    EXPECT_EQ(text, "0.2");
    for (int i = 0; i < 22; ++i)
        text = *stepDimensionText(text, Up, '.');
    EXPECT_EQ(text, "2.4");
}

TEST(CoefficientStep, StepsByAFiftiethAndStaysInsideZeroToOne) {
    EXPECT_EQ(stepCoefficientText("0.8", Up, '.'), "0.85");
    EXPECT_EQ(stepCoefficientText("0.85", Down, '.'), "0.8");
    EXPECT_EQ(stepCoefficientText("0.97", Up, '.'), "1");
    EXPECT_EQ(stepCoefficientText("1", Up, '.'), "1");
    EXPECT_EQ(stepCoefficientText("1.0", Up, '.'), "1");
    EXPECT_EQ(stepCoefficientText("0.95", Up, '.'), "1");
    EXPECT_EQ(stepCoefficientText("0.03", Down, '.'), "0");
    EXPECT_EQ(stepCoefficientText("0.05", Down, '.'), "0");
    EXPECT_EQ(stepCoefficientText("0", Down, '.'), "0");
    EXPECT_EQ(stepCoefficientText("0.1", Down, '.'), "0.05");
    EXPECT_EQ(stepCoefficientText("0,8", Up, ','), "0,85");
}

TEST(CoefficientStep, OutOfRangeValuesAreOnlyPulledInByTheClampingDirection) {
    // A coefficient typed outside 0..1 steps normally until a step would cross a bound.
    EXPECT_EQ(stepCoefficientText("1.5", Down, '.'), "1.45");
    EXPECT_EQ(stepCoefficientText("1.5", Up, '.'), "1");
    EXPECT_EQ(stepCoefficientText("-0.5", Up, '.'), "-0.45");
    EXPECT_EQ(stepCoefficientText("-0.5", Down, '.'), "0");
}

TEST(CoefficientStep, FullSweepDownAndUpGivesTwentyCleanSteps) {
    std::string text = "1";
    for (int i = 0; i < 20; ++i) {
        text = stepCoefficientText(text, Down, '.');
        ASSERT_LE(text.size(), 4u) << text;
    }
    EXPECT_EQ(text, "0");
    for (int i = 0; i < 20; ++i) {
        text = stepCoefficientText(text, Up, '.');
        ASSERT_LE(text.size(), 4u) << text;
    }
    EXPECT_EQ(text, "1");
}

TEST(DialogSteps, UnreadableTextsReportTheParserMessage) {
    EXPECT_EQ(errorOf([] { stepDimensionText("abc", Up, '.'); }), msg::notAFloat("abc"));
    EXPECT_EQ(errorOf([] { stepDimensionText("", Down, '.'); }), msg::notAFloat(""));
    EXPECT_EQ(errorOf([] { stepCoefficientText("2,70", Up, '.'); }), msg::notAFloat("2,70"));
    EXPECT_EQ(errorOf([] { stepCoefficientText("0.8", Up, ','); }), msg::notAFloat("0.8"));
}
