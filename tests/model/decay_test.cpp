// The waterfall's front slice is the chart's curve, and decay times are what a decaying
// response takes to fall 60 dB.
#include "model/acoustics/decay.h"
#include "model/acoustics/response.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace kolmarin;

namespace {

Scene sceneWith(const char* walls = nullptr) {
    SceneTexts texts;
    if (walls)
        texts.reflRight = texts.reflLeft = texts.reflFront = texts.reflBack = texts.reflFloor =
            texts.reflCeiling = walls;
    return readCalculationScene(texts, '.', nullptr);
}

} // namespace

TEST(Waterfall, AWindowOverTheWholeResponseGivesTheChartsCurves) {
    // Under either delay model a slice that sees the whole response, with no rise, is the
    // chart's curve: each model reads its levels from its own bins.
    struct Case {
        DelayModel delays;
        double tolerance; // dB; the continuous chart may leave out images too faint to show
    };
    for (const Case& c : {Case{DelayModel::Sample, 1e-9}, Case{DelayModel::Continuous, 2e-3}}) {
        Scene scene = sceneWith();
        scene.delays = c.delays;
        ResponseCurves curves;
        ImpulseResponses impulses;
        calculateResponse(scene, curves, impulses);
        EXPECT_EQ(impulses.delays, c.delays);
        WaterfallSettings whole;
        whole.band = {20, 500};
        whole.lastMs = 100;
        whole.slices = 2;
        whole.windowMs = kLongestWindowMs;
        whole.riseMs = 0;
        for (const auto& [curve, expected] : {std::pair{ImpulseCurve::Sp1, &curves.sources[0]},
                                              std::pair{ImpulseCurve::Sp2, &curves.sources[1]},
                                              std::pair{ImpulseCurve::Total, &curves.total}}) {
            const Waterfall w = computeWaterfall(impulseResponseAt(scene, curve), whole, c.delays);
            ASSERT_EQ(w.columns(), 961);
            for (int column = 0; column < w.columns(); ++column)
                ASSERT_NEAR(w.levels[0][static_cast<std::size_t>(column)],
                            (*expected)[static_cast<std::size_t>(40 + column)], c.tolerance)
                    << static_cast<int>(c.delays) << " " << column;
            // 100 ms later the early sound is gone from the window: less level overall.
            double front = 0, later = 0;
            for (int column = 0; column < w.columns(); ++column)
                front += w.levels[0][static_cast<std::size_t>(column)],
                    later += w.levels[1][static_cast<std::size_t>(column)];
            EXPECT_LT(later, front);
        }
        EXPECT_DOUBLE_EQ(
            computeWaterfall(impulseResponseAt(scene, ImpulseCurve::Total), {}, c.delays).startMs.back(),
            1229 * 1000.0 / 4096);
    }
}

TEST(DecayTime, RecoversTheDecayOfASyntheticMode) {
    struct Case {
        double t60, hz;
        bool resolved;
    };
    // A third of an octave at 31 Hz is 7.2 Hz wide: its filter rings about as long as a
    // 0.3 s decay, which it therefore leaves unknown.
    for (const Case c : {Case{0.8, 31, true}, Case{1.5, 31, true}, Case{0.5, 52, true}, Case{1.0, 52, true},
                         Case{0.3, 118, true}, Case{2.0, 190, true}, Case{0.3, 31, false}}) {
        std::vector<double> h(kTransformLength, 0.0);
        for (int i = 0; i < kLastDelaySample; ++i) {
            const double t = i / kSampleRate;
            h[static_cast<std::size_t>(i)] =
                std::pow(10.0, -3.0 * t / c.t60) * std::sin(2 * std::numbers::pi * c.hz * t + 0.7);
        }
        const auto measured = thirdOctaveDecayTime(h, c.hz);
        ASSERT_EQ(measured.has_value(), c.resolved) << c.t60 << " s at " << c.hz << " Hz";
        if (measured) {
            EXPECT_NEAR(*measured, c.t60, 0.02 * c.t60) << c.t60 << " s at " << c.hz << " Hz";
        }
    }
}

TEST(DecayTime, AbsorbingWallsShortenTheRoomsRinging) {
    Scene scene = sceneWith("0.95");
    scene.reflectionCount = 60;
    const auto live = impulseResponseAt(scene, ImpulseCurve::Total);
    scene = sceneWith("0.8");
    scene.reflectionCount = 60;
    const auto damped = impulseResponseAt(scene, ImpulseCurve::Total);
    for (const double centre : {50.0, 100.0, 160.0}) {
        const auto a = thirdOctaveDecayTime(live, centre), b = thirdOctaveDecayTime(damped, centre);
        ASSERT_TRUE(a && b) << centre;
        EXPECT_LT(*b, *a) << centre;
    }
    EXPECT_FALSE(thirdOctaveDecayTime(std::vector<double>(kTransformLength, 0.0), 50).has_value());
}

TEST(Spectrogram, EachRowHearsTheResponseAroundItsTime) {
    // One click at 100 ms: the rows nearest to it hear it loudest, those equally far
    // before and after alike, and a row whose window misses it hears nothing.
    std::vector<double> h(kTransformLength, 0.0);
    h[410] = 1.0; // 100.1 ms
    WaterfallSettings s;
    s.band = {50, 60};
    s.lastMs = 200;
    s.slices = 21;
    s.windowMs = 50;
    const Waterfall w = computeSpectrogram(h, s, DelayModel::Sample);
    for (int c = 0; c < w.columns(); c += 5) {
        const auto level = [&](int row) {
            return w.levels[static_cast<std::size_t>(row)][static_cast<std::size_t>(c)];
        };
        EXPECT_GT(level(10), level(9));
        EXPECT_GT(level(9), level(8));
        EXPECT_NEAR(level(9), level(11), 0.5);
        EXPECT_EQ(level(0), kSilence);
    }
}

TEST(DecayTime, IsTheTailsDecayWhateverTheEarlySound) {
    // The first 15 ms sound 10 dB above a slow tail and hold most of the energy, so the
    // backward integral falls several dB at once. The fit from -5 dB down sees the tail's
    // slope; a fit from 0 dB would take that fall in and give 7 % less.
    const double t60 = 0.6, hz = 118, earlyMs = 15;
    std::vector<double> h(kTransformLength, 0.0);
    for (int i = 0; i < kLastDelaySample; ++i) {
        const double t = i / kSampleRate, gain = t * 1000 < earlyMs ? std::sqrt(10.0) : 1.0;
        h[static_cast<std::size_t>(i)] =
            gain * std::pow(10.0, -3.0 * t / t60) * std::sin(2 * std::numbers::pi * hz * t + 0.7);
    }
    const auto measured = thirdOctaveDecayTime(h, hz);
    ASSERT_TRUE(measured.has_value());
    EXPECT_NEAR(*measured, t60, 0.02 * t60);
}
