// The continuous delay model against a direct sum over the images, and against the physics
// of an axial mode between two walls.
#include "model/acoustics/crossover.h"
#include "model/acoustics/decay.h"
#include "model/acoustics/response.h"
#include "model/acoustics/scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <functional>
#include <numbers>
#include <vector>

using namespace kolmarin;

namespace {

using Spectrum = std::vector<std::complex<double>>;

Scene continuousScene(SceneTexts texts) {
    texts.delays = DelayModel::Continuous;
    return readCalculationScene(texts, '.', nullptr);
}

// Image i of a source at p on an axis [0, length] seen from a seat at l: its coordinate
// difference, and its reflections on the axis's far wall (x = length) and near wall.
struct AxisImage {
    double difference;
    int far, near;
};
AxisImage axisImage(int i, double length, double p, double l) {
    const double mirrored = (i % 2 == 0) ? p : -p;
    return {mirrored + 2.0 * length * std::floor((i + 1) / 2.0) - l, (std::abs(i) + (i > 0)) / 2,
            (std::abs(i) + (i < 0)) / 2};
}

// Sum over every image of w e^(-j 2 pi f r / c) / r at f = j/2 Hz, j = 0..last, with the
// source's level, delay, polarity and crossover branch.
Spectrum directSum(const Scene& s, const Source& source, const Point3& seat, int last) {
    Spectrum sum(static_cast<std::size_t>(last + 1));
    const int n = s.reflectionCount;
    for (int a = -n; a <= n; ++a)
        for (int b = -n; b <= n; ++b)
            for (int c = -n; c <= n; ++c) {
                // x from the left wall, y from the front wall, z from the floor.
                const AxisImage x = axisImage(a, s.width, source.position.x, seat.x);
                const AxisImage y = axisImage(b, s.depth, source.position.y, seat.y);
                const AxisImage z = axisImage(c, s.height, source.position.z, seat.z);
                const double w = std::pow(s.reflRight, x.far) * std::pow(s.reflLeft, x.near) *
                                 std::pow(s.reflBack, y.far) * std::pow(s.reflFront, y.near) *
                                 std::pow(s.reflCeiling, z.far) * std::pow(s.reflFloor, z.near);
                const double r = std::hypot(x.difference, y.difference, z.difference);
                const std::complex<double> step = std::polar(1.0, -std::numbers::pi * r / 344.0);
                std::complex<double> phasor = w / r;
                for (int j = 0; j <= last; ++j, phasor *= step)
                    sum[static_cast<std::size_t>(j)] += phasor;
            }
    const double gain = std::pow(10.0, source.levelDb / 20) * (source.reversed ? -1 : 1);
    for (int j = 0; j <= last; ++j) {
        const Complex branch = crossoverResponse(source.branch, j * 0.5, source.crossoverHz);
        sum[static_cast<std::size_t>(j)] *= gain *
                                            std::polar(1.0, -std::numbers::pi * j * source.delayMs / 1000) *
                                            std::complex<double>(branch.re, branch.im);
    }
    return sum;
}

// Every level within 40 dB of its curve's largest agrees with the direct sum to 0.01 dB,
// and so does the Total that the spreads of maps and searches take alone.
void expectDirectSum(const Scene& s, const char* name) {
    ResponseCurves curves, totalOnly;
    calculateResponse(s, curves);
    calculateTotalInCaller(s, totalOnly);
    const int first = 2 * s.startFrequency, last = 2 * s.endFrequency;
    Spectrum total(static_cast<std::size_t>(last + 1));
    for (std::size_t i = 0; i <= s.sources.size(); ++i) {
        Spectrum sum = total;
        if (i < s.sources.size()) {
            sum = directSum(s, s.sources[i], s.seats[0], last);
            for (int j = 0; j <= last; ++j)
                total[static_cast<std::size_t>(j)] += sum[static_cast<std::size_t>(j)];
        }
        const Curve& levels = i < s.sources.size() ? curves.sources[i] : curves.total;
        double largest = -1e300;
        for (int j = first; j <= last; ++j)
            largest = std::max(largest, 20 * std::log10(std::abs(sum[static_cast<std::size_t>(j)])));
        for (int j = first; j <= last; ++j) {
            const double expected = 20 * std::log10(std::abs(sum[static_cast<std::size_t>(j)]));
            if (expected >= largest - 40) {
                ASSERT_NEAR(levels[static_cast<std::size_t>(j)], expected, 0.01)
                    << name << ", curve " << i << ", " << j / 2.0 << " Hz";
                if (i == s.sources.size()) {
                    ASSERT_NEAR(totalOnly.total[static_cast<std::size_t>(j)], expected, 0.01)
                        << name << ", Total alone, " << j / 2.0 << " Hz";
                }
            }
        }
    }
}

} // namespace

TEST(ContinuousDelays, AgreeWithTheDirectSumOverTheImages) {
    const struct {
        const char* name;
        std::function<void(SceneTexts&)> change;
    } rooms[]{
        {"unequal walls",
         [](SceneTexts& t) {
             t.reflectionCount = "4";
             t.reflRight = "0.6";
             t.reflFloor = "0.75";
         }},
        // Paths up to 1.5 km: images later than the 2 s the transform spans keep their delay.
        {"long room",
         [](SceneTexts& t) {
             t.depth = "250";
             t.reflectionCount = "3";
             t.reflFront = t.reflBack = "0.95";
         }},
        // Strong absorption: the late images are too weak to show and are left out.
        {"absorbent room",
         [](SceneTexts& t) {
             t.reflectionCount = "25";
             t.endFrequency = "200";
             t.reflRight = t.reflLeft = t.reflFront = t.reflBack = t.reflFloor = t.reflCeiling = "0.35";
         }},
    };
    for (const auto& room : rooms) {
        SceneTexts t;
        room.change(t);
        expectDirectSum(continuousScene(t), room.name);
    }
    {
        SceneTexts t;
        t.reflectionCount = "3";
        Scene s = continuousScene(t);
        s.sources.push_back({{1.9, 3.7, 0.3}, -6.0, 2.75, true});
        s.sources[1].levelDb = 4.5;
        for (std::size_t i = 0; i < s.sources.size(); ++i) {
            s.sources[i].branch = i < 2 ? CrossoverBranch::HighPass : CrossoverBranch::LowPass;
            s.sources[i].crossoverHz = 90;
        }
        expectDirectSum(s, "subwoofer and crossover");
    }
}

// Hard end walls, every other surface absorbing: only the axial images remain, and the
// sound loses r1 r2 of its amplitude per round trip 2L/c, so 60 dB take
// 3 (2L/c) / -log10(r1 r2). Each image also spreads as 1/r, r = c t; taking that away
// (weighting the response by t) leaves the walls' loss alone.
TEST(ContinuousDelays, AnAxialModeDecaysAsItsWallsAbsorb) {
    SceneTexts t;
    t.reflectionCount = "100";
    t.reflFront = "0.9";
    t.reflBack = "0.92";
    for (std::string* wall : {&t.reflRight, &t.reflLeft, &t.reflFloor, &t.reflCeiling})
        *wall = "0";
    const Scene s = continuousScene(t);
    std::vector<double> impulse = impulseResponseAt(s, ImpulseCurve::Sp1);
    for (std::size_t n = 0; n < impulse.size(); ++n)
        impulse[n] *= static_cast<double>(n) / kSampleRate;
    // The second axial mode, c / L = 76.4 Hz; its neighbours lie outside its third octave.
    const double expected = 3 * (2 * s.depth / 344) / -std::log10(0.9 * 0.92);
    const std::optional<double> t60 = thirdOctaveDecayTime(impulse, 344 / s.depth);
    ASSERT_TRUE(t60.has_value());
    EXPECT_NEAR(*t60, expected, 0.03 * expected);
}
