// The spread, the response maps and the placement search: the spread is the chart's own
// calculation, maps and searches repeat themselves exactly, and a stop keeps what is done.
#include "model/acoustics/placement_search.h"
#include "model/acoustics/response.h"
#include "model/acoustics/response_map.h"
#include "model/acoustics/spread.h"
#include "model/layout/colour_scale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace kolmarin;

namespace {

Scene sceneWith(int reflections, void (*edit)(SceneTexts&) = nullptr) {
    SceneTexts texts;
    texts.reflectionCount = std::to_string(reflections);
    if (edit)
        edit(texts);
    return readCalculationScene(texts, '.', nullptr);
}

bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

TEST(Spread, IsTheStandardDeviationOfTheChartsTotalToTheLastBit) {
    const Band bands[] = {{20, 200}, {10, 500}, {33, 34}};
    const Scene scenes[] = {sceneWith(30), sceneWith(0), sceneWith(7, [](SceneTexts& t) {
                                // SP1 cancelled by its own image: the levels come from the
                                // straightforward loop's fallback.
                                t.width = "0.5";
                                t.reflLeft = "-1";
                                t.reflRight = "0";
                                t.sp1.x = "0";
                                t.sp2.x = "0.25";
                                t.listener.x = "0.4";
                            })};
    for (const Scene& scene : scenes)
        for (const Band band : bands) {
            ResponseCurves curves;
            std::optional<double> expected;
            try {
                calculateResponse(sceneForBand(scene, band), curves);
                expected = totalSpread(curves, band);
                // Worked out again over every element of the band, both ends included.
                double sum = 0, squares = 0;
                const int count = 2 * (band.high - band.low) + 1;
                for (int j = 2 * band.low; j <= 2 * band.high; ++j)
                    sum += curves.total[static_cast<std::size_t>(j)];
                for (int j = 2 * band.low; j <= 2 * band.high; ++j)
                    squares += std::pow(curves.total[static_cast<std::size_t>(j)] - sum / count, 2);
                EXPECT_NEAR(*expected, std::sqrt(squares / count), 1e-12);
            } catch (const UserError&) {
            }
            const auto spread = spreadOf(scene, band);
            ASSERT_EQ(spread.has_value(), expected.has_value()) << band.low;
            if (spread) {
                EXPECT_TRUE(sameBits(*spread, *expected)) << *spread << " " << *expected;
            }
        }
    const double levels[] = {1, 2, 3, 4};
    EXPECT_DOUBLE_EQ(populationStandardDeviation(levels, 4), std::sqrt(1.25));
}

TEST(Spread, TheCallersOwnCalculationMatchesThePoolsInEveryCurve) {
    // 141^3 images per loudspeaker make ten bands: their sum in the caller must keep the
    // pool's order.
    for (const Scene& scene : {sceneWith(70), sceneWith(30, [](SceneTexts& t) { t.reflFloor = "-0.7"; })}) {
        ResponseCurves pool, caller;
        calculateResponse(scene, pool);
        calculateResponseInCaller(scene, caller);
        for (int j = 0; j < kCurvePoints; ++j) {
            EXPECT_TRUE(sameBits(pool.sp1[j], caller.sp1[j])) << j;
            EXPECT_TRUE(sameBits(pool.sp2[j], caller.sp2[j])) << j;
            EXPECT_TRUE(sameBits(pool.total[j], caller.total[j])) << j;
        }
    }
}

TEST(Spread, IsUnknownWhereTheCalculationFails) {
    const Scene onListener = sceneWith(3, [](SceneTexts& t) { t.sp1 = t.listener; });
    EXPECT_FALSE(spreadOf(onListener, {}).has_value());
    EXPECT_TRUE(isValidBand({10, 500}));
    EXPECT_FALSE(isValidBand({9, 200}));
    EXPECT_FALSE(isValidBand({200, 200}));
    EXPECT_FALSE(isValidBand({20, 501}));
}

TEST(ResponseMap, CoversThePlanRowByRowAndRepeatsItself) {
    const MapGrid grid = mapGrid(2.70, 4.50, 0.05);
    EXPECT_EQ(grid.columns, 54);
    EXPECT_EQ(grid.rows, 90);
    EXPECT_DOUBLE_EQ(grid.x(0), 0.025);
    EXPECT_DOUBLE_EQ(grid.y(89), 4.475);

    const Scene scene = sceneWith(2);
    std::vector<int> passes;
    long long lastDone = 0;
    MapCallbacks callbacks;
    callbacks.passDone = [&](const ResponseMap& map, int pass) {
        passes.push_back(pass);
        // The coarse pass has exactly every 4th point of every 4th row.
        for (int row = 0; pass == 0 && row < map.grid.rows; ++row)
            for (int column = 0; column < map.grid.columns; ++column) {
                EXPECT_EQ(map.computed[static_cast<std::size_t>(row * map.grid.columns + column)],
                          row % 4 == 0 && column % 4 == 0);
            }
    };
    callbacks.progress = [&](MapProgress p) { lastDone = std::max(lastDone, p.done); };
    const ResponseMap map = computeResponseMap(scene, MapMarker::Speakers, {}, 0.25, callbacks);
    EXPECT_EQ(passes, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(lastDone, map.grid.points());
    EXPECT_EQ(map.passes, 3);
    // Row-major: the point of row 3, column 5 holds the pair with SP1 there.
    const auto spread = spreadOf(withMarkerAt(scene, MapMarker::Speakers, 1.375, 0.875), {});
    ASSERT_TRUE(spread.has_value());
    EXPECT_TRUE(sameBits(map.spread[3 * 10 + 5], *spread));

    const ResponseMap again = computeResponseMap(scene, MapMarker::Speakers, {}, 0.25);
    for (std::size_t i = 0; i < map.spread.size(); ++i)
        EXPECT_TRUE(sameBits(map.spread[i], again.spread[i]) ||
                    (std::isnan(map.spread[i]) && std::isnan(again.spread[i])));
}

TEST(ResponseMap, MarksAPointOnTheLoudspeakerUnknownAndStopsWhenAsked) {
    // The cell centre (0.625, 0.875) at the listener's height is SP1's place: that point
    // alone is unknown.
    const Scene scene = sceneWith(1, [](SceneTexts& t) { t.sp1 = {"0.625", "0.875", "1.00"}; });
    const ResponseMap map = computeResponseMap(scene, MapMarker::Listener, {}, 0.25);
    int unknown = 0;
    for (double s : map.spread)
        unknown += std::isnan(s);
    EXPECT_EQ(unknown, 1);
    EXPECT_TRUE(std::isnan(map.spread[3 * 10 + 2]));

    std::stop_source stop;
    MapCallbacks callbacks;
    callbacks.progress = [&](MapProgress) { stop.request_stop(); };
    const ResponseMap stopped =
        computeResponseMap(sceneWith(30), MapMarker::Listener, {}, 0.05, callbacks, stop.get_token());
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_EQ(stopped.passes, 0);
    for (std::size_t i = 0; i < stopped.spread.size(); ++i)
        if (stopped.computed[i]) {
            const int row = static_cast<int>(i) / stopped.grid.columns,
                      column = static_cast<int>(i) % stopped.grid.columns;
            EXPECT_TRUE(sameBits(stopped.spread[i],
                                 *spreadOf(withMarkerAt(sceneWith(30), MapMarker::Listener,
                                                        stopped.grid.x(column), stopped.grid.y(row)),
                                           {})));
        }
    long long done = 0;
    for (auto c : stopped.computed)
        done += c;
    EXPECT_GT(done, 0);
    EXPECT_LT(done, 200);
}

namespace {

SearchOptions searchOptions(Layout layout, int top = 10) {
    SearchOptions options;
    options.layout = layout;
    options.top = top;
    return options;
}

bool onHundredths(double v) {
    return std::fabs(v * 100 - std::round(v * 100)) < 1e-9;
}

} // namespace

TEST(PlacementSearch, FindsDistinctPlacementsNoWorseThanItsCoarseGridWithinTheConstraints) {
    const Scene scene = sceneWith(3);
    for (Layout layout : {Layout::Stereo, Layout::Listener, Layout::Speakers}) {
        const SearchOptions options = searchOptions(layout, 5);
        const SearchResult result = searchPlacements(scene, options);
        ASSERT_EQ(result.best.size(), 5u);
        ASSERT_TRUE(result.coarseBest && result.currentSpread);
        EXPECT_LE(result.best[0].spread, result.coarseBest->spread);
        for (std::size_t i = 0; i < result.best.size(); ++i) {
            const Placement& p = result.best[i];
            EXPECT_TRUE(keepsConstraints(scene, p, layout, options.constraints));
            for (double v : {p.sp1.x, p.sp1.y, p.sp2.x, p.sp2.y, p.listener.x, p.listener.y})
                EXPECT_TRUE(onHundredths(v)) << v;
            // The spread reported is the one at the rounded positions.
            EXPECT_TRUE(sameBits(p.spread, *spreadOf(withPlacement(scene, p), options.band)));
            EXPECT_GE(p.robust, p.spread);
            if (i > 0) {
                EXPECT_LE(result.best[i - 1].spread, p.spread);
            }
            for (std::size_t k = 0; k < i; ++k) {
                const Placement& q = result.best[k];
                EXPECT_GE(std::max({std::fabs(p.sp1.x - q.sp1.x), std::fabs(p.sp1.y - q.sp1.y),
                                    std::fabs(p.listener.x - q.listener.x),
                                    std::fabs(p.listener.y - q.listener.y)}),
                          kDistinctPlacement - 1e-9);
            }
        }
        if (layout == Layout::Stereo) {
            EXPECT_DOUBLE_EQ(result.best[0].sp1.x + result.best[0].sp2.x, 2.70);
            EXPECT_DOUBLE_EQ(result.best[0].listener.x, 1.35);
        }
    }
}

TEST(PlacementSearch, RepeatsItselfAndAStopKeepsTheBestSoFar) {
    const Scene scene = sceneWith(2);
    const SearchResult first = searchPlacements(scene, searchOptions(Layout::Listener));
    const SearchResult second = searchPlacements(scene, searchOptions(Layout::Listener));
    ASSERT_EQ(first.best.size(), second.best.size());
    for (std::size_t i = 0; i < first.best.size(); ++i) {
        EXPECT_TRUE(sameBits(first.best[i].spread, second.best[i].spread));
        EXPECT_TRUE(sameBits(first.best[i].robust, second.best[i].robust));
        EXPECT_EQ(first.best[i].listener.x, second.best[i].listener.x);
        EXPECT_EQ(first.best[i].listener.y, second.best[i].listener.y);
    }

    std::stop_source stop;
    std::vector<SearchProgress> reports;
    const SearchResult stopped = searchPlacements(
        sceneWith(30), searchOptions(Layout::Stereo),
        [&](SearchProgress p) {
            reports.push_back(p);
            stop.request_stop();
        },
        stop.get_token());
    EXPECT_TRUE(stopped.cancelled);
    ASSERT_FALSE(stopped.best.empty());
    EXPECT_TRUE(keepsConstraints(sceneWith(30), stopped.best[0], Layout::Stereo, {}));
    ASSERT_GE(reports.size(), 1u);
    EXPECT_GT(reports.front().fraction, 0.0);
    EXPECT_GT(reports.front().secondsLeft, 0.0);
}

TEST(PlacementSearch, ConstraintsHoldToTheCentimetre) {
    const Scene room = sceneWith(0);
    // Stereo at 60 degrees: s = 0.5, yl - ys = 0.5 / tan 30 = 0.866.
    const Placement good{{0.85, 1.00, 0.5}, {1.85, 1.00, 0.5}, {1.35, 1.87, 1.0}, 0, 0};
    EXPECT_TRUE(keepsConstraints(room, good, Layout::Stereo, {}));
    const auto breaks = [&](void (*edit)(Placement&), Layout layout) {
        Placement p = good;
        edit(p);
        return !keepsConstraints(room, p, layout, {});
    };
    EXPECT_TRUE(breaks([](Placement& p) { p.sp1.x = 0.29; }, Layout::Speakers));
    EXPECT_FALSE(breaks([](Placement& p) { p.sp1.x = 0.30; }, Layout::Speakers));
    // Markers that stay where they are need no clearance.
    EXPECT_FALSE(breaks([](Placement& p) { p.sp1.x = 0.10; }, Layout::Listener));
    EXPECT_TRUE(breaks([](Placement& p) { p.listener.y = 4.21; }, Layout::Listener));
    EXPECT_TRUE(breaks([](Placement& p) { p.listener.y = 1.49; }, Layout::Listener));
    EXPECT_FALSE(breaks([](Placement& p) { p.listener.y = 1.50; }, Layout::Listener));
    // At 2.15 the pair is 47.0 degrees wide, at 1.67 73.5, at 2.07 50.1.
    EXPECT_TRUE(breaks([](Placement& p) { p.listener.y = 2.15; }, Layout::Stereo));
    EXPECT_TRUE(breaks([](Placement& p) { p.listener.y = 1.67; }, Layout::Stereo));
    EXPECT_FALSE(breaks([](Placement& p) { p.listener.y = 2.07; }, Layout::Stereo));
}

TEST(ColourScale, RunsFromDarkToLightThroughTheKeyColours) {
    EXPECT_EQ(scaleColour(0.0), (Rgb{68, 1, 84}));
    EXPECT_EQ(scaleColour(1.0), (Rgb{253, 231, 37}));
    EXPECT_EQ(scaleColour(std::nan("")), scaleColour(-1.0));
    EXPECT_EQ(scaleColour(1.0 / 16), (Rgb{69, 26, 105}));
    int lastLight = -1;
    for (int i = 0; i <= 64; ++i) {
        const Rgb c = scaleColour(i / 64.0);
        const int light = 2 * c.r + 7 * c.g + c.b;
        EXPECT_GT(light, lastLight) << i;
        lastLight = light;
    }
    EXPECT_DOUBLE_EQ(scalePosition(3.0, 2.0, 6.0), 0.25);
    EXPECT_DOUBLE_EQ(scalePosition(9.0, 2.0, 6.0), 1.0);
    EXPECT_DOUBLE_EQ(scalePosition(4.0, 4.0, 4.0), 0.5);
}
