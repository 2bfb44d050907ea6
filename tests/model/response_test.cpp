// The response calculation against hand-checked values of the default room, its
// corrections of the conditions, and its failures.
#include "model/acoustics/response.h"
#include "model/acoustics/scene.h"
#include "model/errors.h"
#include "tests/user_error.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <complex>
#include <map>
#include <numbers>
#include <vector>

using namespace kolmarin;
using kolmarin::test::errorOf;

namespace {

Scene sceneFrom(SceneTexts texts) {
    return readCalculationScene(texts, '.', nullptr);
}

std::string failureOf(const Scene& scene, ResponseCurves& curves) {
    try {
        calculateResponse(scene, curves);
    } catch (const UserError& e) {
        return e.what();
    }
    return "";
}

double at(const std::array<double, kCurvePoints>& curve, double hz) {
    return curve[static_cast<int>(hz * 2)];
}

} // namespace

TEST(Response, DirectSoundOnlyIsFlat) {
    SceneTexts texts;
    texts.reflectionCount = "0";
    ResponseCurves curves;
    calculateResponse(sceneFrom(texts), curves);
    for (int j = 40; j <= 1000; ++j) {
        EXPECT_NEAR(curves.sources[0][j], -7.72, 0.005) << j;
        EXPECT_NEAR(curves.sources[1][j], -7.70, 0.005) << j;
        EXPECT_NEAR(curves.total[j], -1.69, 0.005) << j;
    }
    // Both direct sounds arrive on sample 29, so Total is the plain sum 1/r1 + 1/r2.
    const double r1 = std::sqrt(0.91 * 0.91 + 2.2 * 2.2 + 0.5 * 0.5);
    const double r2 = std::sqrt(0.89 * 0.89 + 2.2 * 2.2 + 0.5 * 0.5);
    EXPECT_NEAR(curves.total[100], 20 * std::log10(1 / r1 + 1 / r2), 1e-9);
}

TEST(Response, DefaultRoomWithThirtyReflections) {
    ResponseCurves curves;
    calculateResponse(sceneFrom(SceneTexts{}), curves);
    const std::map<double, std::array<double, 3>> expected{{20, {11.53, 11.50, 17.53}},
                                                           {30, {8.98, 9.02, 15.02}},
                                                           {80, {2.36, 2.59, 8.50}},
                                                           {500, {2.92, 3.23, 9.08}}};
    for (const auto& [hz, levels] : expected) {
        EXPECT_NEAR(at(curves.sources[0], hz), levels[0], 0.01) << hz;
        EXPECT_NEAR(at(curves.sources[1], hz), levels[1], 0.01) << hz;
        EXPECT_NEAR(at(curves.total, hz), levels[2], 0.01) << hz;
    }
    // Only elements 40..1000 (20..500 Hz) are written.
    EXPECT_EQ(curves.sources[0][39], 0.0);
    EXPECT_EQ(curves.total[1001], 0.0);
    EXPECT_NE(curves.sources[1][40], 0.0);
}

TEST(Response, ConditionsAreCorrectedAndReported) {
    SceneTexts texts;
    texts.reflectionCount = "250";
    texts.startFrequency = "5";
    texts.endFrequency = "800";
    std::map<Condition, std::string> written;
    const Scene scene =
        readCalculationScene(texts, '.', [&](Condition c, const std::string& t) { written[c] = t; });
    EXPECT_EQ(scene.reflectionCount, 200);
    EXPECT_EQ(scene.startFrequency, 10);
    EXPECT_EQ(scene.endFrequency, 500);
    EXPECT_EQ(written, (std::map<Condition, std::string>{{Condition::ReflectionCount, "200"},
                                                         {Condition::StartFrequency, "10"},
                                                         {Condition::EndFrequency, "500"}}));

    // A correction already made stays reported when a later text fails.
    texts.startFrequency = "abc";
    written.clear();
    EXPECT_THROW(readCalculationScene(texts, '.', [&](Condition c, const std::string& t) { written[c] = t; }),
                 UserError);
    EXPECT_EQ(written.size(), 1u);
    EXPECT_EQ(written[Condition::ReflectionCount], "200");
}

TEST(Response, ReadsTextsInCalculationOrder) {
    SceneTexts texts;
    texts.width = "w?";
    texts.depth = "d?";
    try {
        sceneFrom(texts);
        FAIL();
    } catch (const UserError& e) {
        EXPECT_STREQ(e.what(), "'d?' は浮動小数点数ではありません"); // depth is read first
    }
    // Positions are read listener first, then SP1 and SP2.
    texts = SceneTexts{};
    texts.sources[0].x = "s1";
    texts.seats[0].z = "l3";
    try {
        sceneFrom(texts);
        FAIL();
    } catch (const UserError& e) {
        EXPECT_STREQ(e.what(), "'l3' は浮動小数点数ではありません");
    }
}

TEST(SceneTexts, StartupTextsFollowTheDecimalSeparator) {
    EXPECT_EQ(startupTexts('.'), SceneTexts{});
    const SceneTexts comma = startupTexts(',');
    EXPECT_EQ(comma.width, "2,70");
    EXPECT_EQ(comma.seats[0].y, "2,90");
    EXPECT_EQ(comma.reflectionCount, "30");
    EXPECT_NO_THROW(readCalculationScene(comma, ',', nullptr));
}

TEST(RoomSize, ZeroAndNegativeDimensionsAreRefused) {
    EXPECT_EQ(errorOf([] { checkRoomSize(0, 4.5, 2.4); }), "部屋の幅は 0 より大きい値にしてください");
    EXPECT_EQ(errorOf([] { checkRoomSize(0, 0, 2.4); }), "部屋の幅は 0 より大きい値にしてください");
    EXPECT_EQ(errorOf([] { checkRoomSize(-2.7, 4.5, 2.4); }), "部屋の幅は 0 より大きい値にしてください");
    EXPECT_EQ(errorOf([] { checkRoomSize(2.7, 0, 2.4); }), "部屋の奥行きは 0 より大きい値にしてください");
    EXPECT_EQ(errorOf([] { checkRoomSize(2.7, -1, 2.4); }), "部屋の奥行きは 0 より大きい値にしてください");
    EXPECT_EQ(errorOf([] { checkRoomSize(2.7, 4.5, 0); }), "部屋の高さは 0 より大きい値にしてください");
    EXPECT_EQ(errorOf([] { checkRoomSize(2.7, 4.5, 2.4); }), "");
    EXPECT_EQ(errorOf([] { checkRoomSize(0.01, 1e6, 1e-3); }), "");
}

TEST(Response, StartAboveEndStoresNothing) {
    SceneTexts texts;
    texts.startFrequency = "300";
    texts.endFrequency = "200";
    texts.reflectionCount = "2";
    ResponseCurves curves;
    curves.sources[0].fill(42.0);
    calculateResponse(sceneFrom(texts), curves);
    for (double v : curves.sources[0])
        ASSERT_EQ(v, 42.0);
}

TEST(Response, RangeWritesOnlyItsOwnElements) {
    SceneTexts texts;
    texts.reflectionCount = "3";
    texts.startFrequency = "10";
    texts.endFrequency = "11";
    ResponseCurves curves;
    curves.total.fill(99.0);
    calculateResponse(sceneFrom(texts), curves);
    EXPECT_EQ(curves.total[19], 99.0);
    EXPECT_NE(curves.total[20], 99.0);
    EXPECT_NE(curves.total[22], 99.0);
    EXPECT_EQ(curves.total[23], 99.0);
}

TEST(Response, AbsorbingWallsLeaveTheDirectSound) {
    SceneTexts texts;
    for (std::string* c : {&texts.reflRight, &texts.reflLeft, &texts.reflFront, &texts.reflBack,
                           &texts.reflFloor, &texts.reflCeiling})
        *c = "0";
    ResponseCurves withWalls, direct;
    calculateResponse(sceneFrom(texts), withWalls);
    texts.reflectionCount = "0";
    calculateResponse(sceneFrom(texts), direct);
    EXPECT_EQ(withWalls.sources[0], direct.sources[0]);
    EXPECT_EQ(withWalls.total, direct.total);
}

TEST(Response, FaultsAreRaisedBeforeAnythingIsStored) {
    ResponseCurves curves;
    curves.sources[0].fill(7.0);

    SceneTexts onListener;
    onListener.sources[1] = onListener.seats[0];
    EXPECT_EQ(failureOf(sceneFrom(onListener), curves), msg::kZeroDivide);

    SceneTexts silentWalls = onListener;
    for (std::string* c : {&silentWalls.reflRight, &silentWalls.reflLeft, &silentWalls.reflFront,
                           &silentWalls.reflBack, &silentWalls.reflFloor, &silentWalls.reflCeiling})
        *c = "0";
    silentWalls.reflectionCount = "0";
    EXPECT_EQ(failureOf(sceneFrom(silentWalls), curves), msg::kZeroDivide);

    SceneTexts noImages;
    noImages.reflectionCount = "-1";
    EXPECT_EQ(failureOf(sceneFrom(noImages), curves), msg::kZeroDivide);
    noImages.startFrequency = "400";
    noImages.endFrequency = "300";
    EXPECT_EQ(failureOf(sceneFrom(noImages), curves), "");

    SceneTexts loud;
    loud.reflRight = "1e200";
    loud.reflLeft = "1e200";
    loud.reflectionCount = "4";
    EXPECT_EQ(failureOf(sceneFrom(loud), curves), msg::kOverflow);

    for (double v : curves.sources[0])
        ASSERT_EQ(v, 7.0);
}

TEST(Response, StoredElementsStayInsideTheCurves) {
    EXPECT_EQ(storedElements(20, 500).first, 40);
    EXPECT_EQ(storedElements(20, 500).last, 1000);
    EXPECT_EQ(storedElements(-5, 700).first, 0);
    EXPECT_EQ(storedElements(-5, 700).last, 1200);
    EXPECT_GT(storedElements(700, 800).first, storedElements(700, 800).last);
    EXPECT_GT(storedElements(300, 200).first, storedElements(300, 200).last);
    EXPECT_EQ(storedElements(-2147483647 - 1, 2147483647).last, 1200);
}

// Every wall with its own coefficient, against the images worked out from the walls
// themselves: a source mirrored in the plane x = 0 (left), x = W (right), y = 0 (front),
// y = D (back), z = 0 (floor) or z = H (ceiling) takes that wall's coefficient. With one
// reflection per axis, each image is a product of at most one mirror on each axis.
TEST(Response, EachWallsCoefficientBelongsToThatWall) {
    SceneTexts texts;
    texts.reflRight = "0.3", texts.reflLeft = "0.9", texts.reflFront = "0.2";
    texts.reflBack = "0.7", texts.reflFloor = "0.5", texts.reflCeiling = "0.95";
    texts.reflectionCount = "1";
    texts.startFrequency = "10";
    const Scene s = sceneFrom(texts);
    ResponseCurves curves;
    calculateResponse(s, curves);

    struct Mirror {
        double coordinate, factor;
    };
    const auto mirrors = [](double p, double length, double low, double high) {
        return std::array<Mirror, 3>{{{p, 1.0}, {-p, low}, {2 * length - p, high}}};
    };
    const auto spectrum = [&](const Point3& source) {
        std::vector<double> h(kTransformLength, 0.0);
        for (const Mirror& x : mirrors(source.x, s.width, s.reflLeft, s.reflRight))
            for (const Mirror& y : mirrors(source.y, s.depth, s.reflFront, s.reflBack))
                for (const Mirror& z : mirrors(source.z, s.height, s.reflFloor, s.reflCeiling)) {
                    const double r = std::hypot(x.coordinate - s.seats[0].x, y.coordinate - s.seats[0].y,
                                                z.coordinate - s.seats[0].z);
                    h[static_cast<std::size_t>(std::nearbyint(r * kSamplesPerMetre))] +=
                        x.factor * y.factor * z.factor / r;
                }
        std::vector<std::complex<double>> bins(kCurvePoints);
        for (int n = 0; n < kTransformLength; ++n)
            if (h[static_cast<std::size_t>(n)] != 0)
                for (int j = 20; j <= 1000; ++j)
                    bins[static_cast<std::size_t>(j)] +=
                        std::polar(h[static_cast<std::size_t>(n)],
                                   -2 * std::numbers::pi * n * (j + 1) / kTransformLength);
        return bins;
    };
    const auto one = spectrum(s.sources[0].position), two = spectrum(s.sources[1].position);
    for (int j = 20; j <= 1000; ++j) {
        const auto k = static_cast<std::size_t>(j);
        EXPECT_NEAR(curves.sources[0][k], 20 * std::log10(std::abs(one[k])), 1e-9) << j;
        EXPECT_NEAR(curves.sources[1][k], 20 * std::log10(std::abs(two[k])), 1e-9) << j;
        EXPECT_NEAR(curves.total[k], 20 * std::log10(std::abs(one[k] + two[k])), 1e-9) << j;
    }
}

// Three sources, plain or two of them shaped, heard at two seats: each source's curve and
// the Total against the straightforward sum, the reference loop for that source alone at
// that seat turned into bins one by one and shaped by its level, delay and polarity.
TEST(Response, SourcesAndSeatsAddAsTheirShapedSpectra) {
    SceneTexts texts;
    texts.reflectionCount = "5";
    texts.endFrequency = "150";
    for (const bool shaped : {false, true})
        for (int seat = 0; seat < 2; ++seat) {
            Scene s = sceneFrom(texts);
            s.sources.push_back({{1.9, 3.7, 0.3}});
            if (shaped) {
                s.sources[1].levelDb = 4.5;
                s.sources[2] = {{1.9, 3.7, 0.3}, -6.0, 2.75, true};
            }
            s.seats.push_back({0.8, 3.3, 1.2});
            ResponseCurves curves;
            calculateResponse(s, curves, seat);
            ASSERT_EQ(curves.sources.size(), 3u);
            std::vector<std::complex<double>> total(kCurvePoints);
            for (std::size_t i = 0; i < s.sources.size(); ++i) {
                Scene alone = s;
                alone.sources = {s.sources[i]};
                alone.seats = {s.seats[static_cast<std::size_t>(seat)]};
                ImpulseResponses h;
                accumulateImpulseResponsesReference(alone, h);
                const Source& source = s.sources[i];
                const double gain = std::pow(10.0, source.levelDb / 20) * (source.reversed ? -1 : 1);
                for (int j = 40; j <= 300; ++j) {
                    const double hz = (j + 1) * 0.5;
                    std::complex<double> bin =
                        gain * std::polar(1.0, -2 * std::numbers::pi * hz * source.delayMs / 1000);
                    std::complex<double> sum;
                    for (int n = 0; n < kTransformLength; ++n)
                        if (const double v = h.sources[0][static_cast<std::size_t>(n)]; v != 0)
                            sum +=
                                v * std::polar(1.0, -2 * std::numbers::pi * n * (j + 1) / kTransformLength);
                    bin *= sum;
                    total[static_cast<std::size_t>(j)] += bin;
                    EXPECT_NEAR(curves.sources[i][static_cast<std::size_t>(j)],
                                20 * std::log10(std::abs(bin)), 1e-6)
                        << "source " << i << " seat " << seat << " element " << j;
                }
            }
            for (int j = 40; j <= 300; ++j)
                EXPECT_NEAR(curves.total[static_cast<std::size_t>(j)],
                            20 * std::log10(std::abs(total[static_cast<std::size_t>(j)])), 1e-6)
                    << "seat " << seat << " element " << j;
        }
}
