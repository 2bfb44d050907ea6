// The subwoofers' shared EQ and the target their seats are held to: the peaking biquad
// answers as the textbook's magnitude formula says and peaks at its gain, the limits name
// the filter that breaks them, and the house curve and a user's own curve give their
// levels between their points.
#include "model/acoustics/peaking_eq.h"
#include "model/acoustics/target_curve.h"
#include "model/errors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace kolmarin;

namespace {

// |H(e^jw)|² of a biquad in the cookbook's form in φ = 4 sin²(ω/2), which keeps its
// precision where the poles crowd z = 1.
double textbookPowerGain(const Biquad& f, double hz) {
    const double s = std::sin(std::numbers::pi * hz / kEqSampleRate);
    const double phi = 4.0 * s * s;
    const double num = (f.b0 + f.b1 + f.b2) * (f.b0 + f.b1 + f.b2) -
                       (f.b0 * f.b1 + 4.0 * f.b0 * f.b2 + f.b1 * f.b2) * phi + f.b0 * f.b2 * phi * phi;
    const double den = (1.0 + f.a1 + f.a2) * (1.0 + f.a1 + f.a2) - (f.a1 + 4.0 * f.a2 + f.a1 * f.a2) * phi +
                       f.a2 * phi * phi;
    return num / den;
}

TEST(PeakingEq, AnswersAsTheTextbookFormulaAndPeaksAtItsGain) {
    const PeakingFilter filters[]{
        {42.0, -6.5, 4.3}, {30.0, 3.0, 0.5}, {110.0, -15.0, 10.0}, {25.0, 0.0, 2.0}};
    for (const PeakingFilter& f : filters) {
        SCOPED_TRACE(f.frequencyHz);
        EXPECT_NEAR(eqGainDb({f}, f.frequencyHz), f.gainDb, 1e-9);
        EXPECT_NEAR(eqGainDb({f}, 0.0), 0.0, 1e-9);
        for (double hz : {10.0, 20.0, 35.5, 60.0, 80.0, 120.0, 500.0})
            EXPECT_NEAR(eqGainDb({f}, hz), 10.0 * std::log10(textbookPowerGain(peakingBiquad(f), hz)), 1e-9)
                << hz;
    }
    // Filters in a chain add their gains.
    EXPECT_NEAR(eqGainDb({filters[0], filters[1]}, 50.0),
                eqGainDb({filters[0]}, 50.0) + eqGainDb({filters[1]}, 50.0), 1e-9);
    EXPECT_EQ(eqGainDb({}, 50.0), 0.0);
}

TEST(PeakingEq, LimitsNameTheFilterThatBreaksThem) {
    const EqLimits limits; // +3 / -15 dB, Q 0.5-10, 20-120 Hz
    const PeakingFilter fine{40.0, -6.0, 4.0};
    EXPECT_EQ(eqProblem({fine, {119.0, 3.0, 0.5}}, limits), "");
    const struct {
        PeakingFilter broken;
        const char* message;
    } cases[]{
        {{19.0, -3.0, 1.0}, "フィルター 2 の周波数は 20 から 120 Hz までです"},
        {{40.0, 3.5, 1.0}, "フィルター 2 のゲインは -15.0 から +3.0 dB までです"},
        {{40.0, -15.5, 1.0}, "フィルター 2 のゲインは -15.0 から +3.0 dB までです"},
        {{40.0, -3.0, 0.4}, "フィルター 2 の Q は 0.5 から 10.0 までです"},
        {{40.0, -3.0, NAN}, "フィルター 2 の Q は 0.5 から 10.0 までです"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(eqProblem({fine, c.broken}, limits), c.message);
    EXPECT_EQ(eqProblem(std::vector<PeakingFilter>(7, fine), limits), "EQ のフィルターは 6 個までです");
}

TEST(TargetCurve, HouseAndOwnCurvesRunStraightOnALogFrequencyAxis) {
    const TargetCurve house = parseTargetText("house");
    EXPECT_EQ(targetDb(house, 15.0), 6.0);
    EXPECT_EQ(targetDb(house, 20.0), 6.0);
    EXPECT_NEAR(targetDb(house, std::sqrt(20.0 * 60.0)), 3.0, 1e-12);
    EXPECT_NEAR(targetDb(house, 30.0), 6.0 * std::log(2.0) / std::log(3.0), 1e-12); // 60 Hz is one octave up
    EXPECT_EQ(targetDb(house, 60.0), 0.0);
    EXPECT_EQ(targetDb(house, 200.0), 0.0);
    const TargetCurve steep = parseTargetText("house:8@80");
    EXPECT_NEAR(targetDb(steep, 40.0), 4.0, 1e-12);
    EXPECT_EQ(targetDb(parseTargetText("flat"), 20.0), 0.0);

    TargetCurve own;
    own.kind = TargetCurve::Kind::Own;
    own.points = {{20.0, 4.0}, {80.0, 0.0}, {160.0, -2.0}};
    EXPECT_EQ(targetDb(own, 10.0), 4.0);
    EXPECT_NEAR(targetDb(own, 40.0), 2.0, 1e-12);
    EXPECT_NEAR(targetDb(own, std::sqrt(80.0 * 160.0)), -1.0, 1e-12);
    EXPECT_EQ(targetDb(own, 400.0), -2.0);

    for (const char* bad : {"", "House", "house:", "house:6", "house:6@", "house:-1@60", "house:6@20",
                            "house:6@60x", "house:6,5@60"})
        EXPECT_THROW(parseTargetText(bad), UserError) << bad;
}

} // namespace
