// The spread, the response maps and the placement search: the spread is the chart's own
// calculation, maps and searches repeat themselves exactly, and a stop keeps what is done.
#include "model/acoustics/placement_search.h"
#include "model/acoustics/represented_path.h"
#include "model/acoustics/response.h"
#include "model/acoustics/response_map.h"
#include "model/acoustics/spread.h"
#include "model/layout/colour_scale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <numbers>
#include <thread>
#include <tuple>

#include <sys/resource.h>

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
                                t.sources[0].x = "0";
                                t.sources[1].x = "0.25";
                                t.seats[0].x = "0.4";
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
            EXPECT_TRUE(sameBits(pool.sources[0][j], caller.sources[0][j])) << j;
            EXPECT_TRUE(sameBits(pool.sources[1][j], caller.sources[1][j])) << j;
            EXPECT_TRUE(sameBits(pool.total[j], caller.total[j])) << j;
        }
    }
}

TEST(Spread, IsUnknownWhereTheCalculationFails) {
    const Scene onListener = sceneWith(3, [](SceneTexts& t) { t.sources[0] = t.seats[0]; });
    EXPECT_FALSE(spreadOf(onListener, {}).has_value());
    EXPECT_TRUE(isValidBand({10, 500}));
    EXPECT_FALSE(isValidBand({9, 200}));
    EXPECT_FALSE(isValidBand({200, 200}));
    EXPECT_FALSE(isValidBand({20, 501}));
}

TEST(Spread, IsUnknownWhereTheListenerIsBeyondWhatTheResponseFollows) {
    // Beyond about 672 m every whole-sample arrival lands on the response's last sample: a
    // flat 0 dB. The continuous model puts each arrival at its own path, however long.
    struct Case {
        DelayModel delays;
        double x;
        bool known;
    };
    for (const Case& c : {Case{DelayModel::Sample, 600.0, true}, Case{DelayModel::Sample, 700.0, false},
                          Case{DelayModel::Continuous, 700.0, true}}) {
        Scene scene = sceneWith(0, [](SceneTexts& t) { t.width = t.depth = "2000"; });
        scene.delays = c.delays;
        scene.seats[0].x = c.x;
        const std::optional<double> spread = spreadOf(scene, {});
        EXPECT_EQ(spread.has_value(), c.known) << c.x;
        // Not the single click's flat response.
        if (spread) {
            EXPECT_GT(*spread, 0.1) << c.x;
        }
    }
    Scene room = sceneWith(0, [](SceneTexts& t) { t.width = t.depth = "2000"; });
    EXPECT_TRUE(roomBeyondRepresentedPath(room));
    room.delays = DelayModel::Continuous;
    EXPECT_FALSE(roomBeyondRepresentedPath(room));
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
    const Scene scene = sceneWith(1, [](SceneTexts& t) { t.sources[0] = {"0.625", "0.875", "1.00"}; });
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
    for (Layout layout : {Layout::Stereo, Layout::Seats, Layout::Speakers}) {
        SearchOptions options = searchOptions(layout, 5);
        options.objective = Objective::Point;
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
    const SearchResult first = searchPlacements(scene, searchOptions(Layout::Seats));
    const SearchResult second = searchPlacements(scene, searchOptions(Layout::Seats));
    ASSERT_EQ(first.best.size(), second.best.size());
    for (std::size_t i = 0; i < first.best.size(); ++i) {
        EXPECT_TRUE(sameBits(first.best[i].spread, second.best[i].spread));
        EXPECT_TRUE(sameBits(first.best[i].robust, second.best[i].robust));
        EXPECT_EQ(first.best[i].listener.x, second.best[i].listener.x);
        EXPECT_EQ(first.best[i].listener.y, second.best[i].listener.y);
    }

    // Stopped at the first report after a few dozen calculations, so some placements are
    // whole however slowly this build runs.
    std::stop_source stop;
    std::vector<SearchProgress> reports;
    const SearchResult stopped = searchPlacements(
        sceneWith(30), searchOptions(Layout::Stereo),
        [&](SearchProgress p) {
            reports.push_back(p);
            if (p.fraction > 0.02)
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
    const auto breaks = [&](void (*edit)(Placement&), Layout layout, PlacementConstraints c = {}) {
        Placement p = good;
        edit(p);
        return !keepsConstraints(room, p, layout, c);
    };
    PlacementConstraints anyAngle; // SP1 at the wall subtends 80 degrees with SP2
    anyAngle.widestAngle = 180;
    EXPECT_TRUE(breaks([](Placement& p) { p.sp1.x = 0.29; }, Layout::Speakers, anyAngle));
    EXPECT_FALSE(breaks([](Placement& p) { p.sp1.x = 0.30; }, Layout::Speakers, anyAngle));
    // Markers that stay where they are need no clearance.
    EXPECT_FALSE(breaks([](Placement& p) { p.sp1.x = 0.10; }, Layout::Seats));
    EXPECT_TRUE(breaks([](Placement& p) { p.listener.y = 4.21; }, Layout::Seats));
    EXPECT_TRUE(breaks([](Placement& p) { p.listener.y = 1.49; }, Layout::Seats));
    EXPECT_FALSE(breaks([](Placement& p) { p.listener.y = 1.50; }, Layout::Seats));
    // At 2.15 the pair is 47.0 degrees wide, at 1.67 73.5, at 2.07 50.1.
    EXPECT_TRUE(breaks([](Placement& p) { p.listener.y = 2.15; }, Layout::Stereo));
    EXPECT_TRUE(breaks([](Placement& p) { p.listener.y = 1.67; }, Layout::Stereo));
    EXPECT_FALSE(breaks([](Placement& p) { p.listener.y = 2.07; }, Layout::Stereo));
}

TEST(PlacementSearch, EachConstraintRulesOutItsBreachesToTheCentimetre) {
    const Scene room = sceneWith(0);
    const Placement good{{0.85, 1.00, 0.5}, {1.85, 1.00, 0.5}, {1.35, 1.87, 1.0}};
    EXPECT_DOUBLE_EQ(listeningDistance(good), 0.87);
    EXPECT_NEAR(stereoAngle(good), 2 * std::atan(0.5 / 0.87) * 180 / std::numbers::pi, 1e-12);
    PlacementConstraints near, back; // listening distance at most 1 m; loudspeakers 0.5 m from the front
    near.distanceFarthest = 1.0;
    back.frontNearest = 0.5;
    back.narrowestAngle = 40; // the pair 1.37 m in front of the listener subtends 40.1 degrees
    const struct {
        void (*edit)(Placement&);
        Layout layout;
        PlacementConstraints constraints;
        bool keeps;
    } cases[] = {
        {[](Placement& p) { p.sp2 = p.sp1; }, Layout::Speakers, {}, false}, // on one point
        {[](Placement& p) { std::swap(p.sp1.x, p.sp2.x); }, Layout::Speakers, {}, false},
        {[](Placement& p) { p.sp1.x = 0.86; }, Layout::Speakers, {}, false}, // 0.99 m apart
        {[](Placement&) {}, Layout::Speakers, {}, true},                     // 1.00 m apart
        {[](Placement& p) { p.sp1.y = p.sp2.y = 0.49; }, Layout::Speakers, back, false},
        {[](Placement& p) { p.sp1.y = p.sp2.y = 0.50; }, Layout::Speakers, back, true},
        // Half the depth is the default farthest from the front wall.
        {[](Placement& p) { p.sp1.y = p.sp2.y = 2.26, p.listener.y = 3.2; }, Layout::Speakers, {}, false},
        {[](Placement& p) { p.sp1.y = p.sp2.y = 2.25, p.listener.y = 3.2; }, Layout::Speakers, {}, true},
        {[](Placement& p) { p.listener.y = 2.01; }, Layout::Seats, near, false},
        {[](Placement& p) { p.listener.y = 2.00; }, Layout::Seats, near, true},
        // The loudspeakers a layout leaves where they stand need not keep their limits.
        {[](Placement& p) { p.sp2 = p.sp1; }, Layout::Seats, {}, true},
    };
    for (const auto& c : cases) {
        Placement p = good;
        c.edit(p);
        EXPECT_EQ(keepsConstraints(room, p, c.layout, c.constraints), c.keeps)
            << p.sp1.x << " " << p.sp1.y << " " << p.sp2.x << " " << p.listener.y;
    }
}

namespace {

// The best figure of the objective over every feasible point of the layout's 1 cm
// lattice, each spread computed once, with the placement's figure beside it.
struct Exhaustive {
    const Scene& scene;
    const SearchOptions& options;
    std::map<std::array<double, 6>, double> spreads;

    double spread(const Placement& p) {
        const std::array<double, 6> key{p.sp1.x, p.sp1.y, p.sp2.x, p.sp2.y, p.listener.x, p.listener.y};
        auto found = spreads.find(key);
        if (found == spreads.end())
            found = spreads.emplace(key, spreadOf(withPlacement(scene, p), options.band).value_or(NAN)).first;
        return found->second;
    }

    double figure(const Placement& p) {
        if (options.objective == Objective::Point)
            return spread(p);
        double sum = 0;
        for (int dx = -10; dx <= 10; dx += 10)
            for (int dy = -10; dy <= 10; dy += 10) {
                Placement q = p;
                q.listener.x = std::round(p.listener.x * 100 + dx) / 100;
                q.listener.y = std::round(p.listener.y * 100 + dy) / 100;
                sum += spread(q);
            }
        return sum / 9;
    }

    double best() {
        const int w = static_cast<int>(std::lround(scene.width * 100));
        const int d = static_cast<int>(std::lround(scene.depth * 100));
        const bool stereo = options.layout == Layout::Stereo;
        double lowest = INFINITY;
        // SP1 stands on the left half, the loudspeakers on the front half.
        for (int a = 0; a <= (stereo ? w / 2 : w); ++a)
            for (int b = 0; b <= (stereo ? d / 2 : d); ++b)
                for (int c = 0; c <= (stereo ? d : 0); ++c) {
                    Placement p{scene.sources[0].position, scene.sources[1].position, scene.seats[0]};
                    if (stereo) {
                        p.sp1 = {a / 100.0, b / 100.0, p.sp1.z};
                        p.sp2 = {(w - a) / 100.0, b / 100.0, p.sp2.z};
                        p.listener = {std::round(w / 2.0) / 100, c / 100.0, p.listener.z};
                    } else {
                        p.listener = {a / 100.0, b / 100.0, p.listener.z};
                    }
                    if (keepsConstraints(scene, p, options.layout, options.constraints))
                        lowest = std::min(lowest, figure(p));
                }
        return lowest;
    }
};

} // namespace

TEST(PlacementSearch, RankOneIsTheBestOfItsObjectiveOnTheCentimetreLattice) {
    SearchOptions stereo = searchOptions(Layout::Stereo, 1);
    stereo.objective = Objective::Point;
    stereo.constraints.frontFarthest = 0.5;
    stereo.constraints.narrowestAngle = 55;
    stereo.constraints.widestAngle = 65;
    const SearchOptions listener = searchOptions(Layout::Seats, 1);
    const struct {
        Scene scene;
        SearchOptions options;
    } cases[] = {{sceneWith(1,
                            [](SceneTexts& t) {
                                t.width = "2.00";
                                t.depth = "2.60";
                            }),
                  stereo},
                 {sceneWith(1,
                            [](SceneTexts& t) {
                                t.width = "1.40";
                                t.depth = "1.80";
                                t.sources[0] = {"0.40", "0.40", "0.50"};
                                t.sources[1] = {"1.00", "0.40", "0.50"};
                            }),
                  listener},
                 // The smooth model's valleys are wide, and the walk must reach their floor.
                 {sceneWith(1,
                            [](SceneTexts& t) {
                                t.width = "1.40";
                                t.depth = "1.80";
                                t.sources[0] = {"0.40", "0.40", "0.50"};
                                t.sources[1] = {"1.00", "0.40", "0.50"};
                                t.delays = DelayModel::Continuous;
                            }),
                  listener}};
    for (const auto& c : cases) {
        Exhaustive exhaustive{c.scene, c.options, {}};
        const double best = exhaustive.best();
        const SearchResult result = searchPlacements(c.scene, c.options);
        ASSERT_EQ(result.best.size(), 1u);
        const Placement& first = result.best[0];
        const double figure = c.options.objective == Objective::Point ? first.spread : first.area;
        EXPECT_NEAR(figure, exhaustive.figure(first), 1e-12);
        EXPECT_LE(figure, best + 0.01);
        // More rows never change the first.
        SearchOptions more = c.options;
        more.top = 7;
        const Placement again = searchPlacements(c.scene, more).best.at(0);
        EXPECT_EQ(std::tie(again.sp1.x, again.sp1.y, again.listener.x, again.listener.y),
                  std::tie(first.sp1.x, first.sp1.y, first.listener.x, first.listener.y));
    }
}

TEST(PlacementSearch, AHugeRoomStopsWithinHalfASecondAndKeepsItsMemoryBounded) {
    const Scene huge = sceneWith(30, [](SceneTexts& t) { t.width = t.depth = "1000"; });
    const auto peakKilobytes = [] {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        return usage.ru_maxrss;
    };
    [[maybe_unused]] const long before = peakKilobytes();
    std::stop_source stop;
    std::chrono::steady_clock::time_point asked;
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        asked = std::chrono::steady_clock::now();
        stop.request_stop();
    });
    const SearchResult result = searchPlacements(huge, {}, {}, stop.get_token());
    const auto returned = std::chrono::steady_clock::now();
    stopper.join();
    EXPECT_TRUE(result.cancelled);
    EXPECT_LT(returned - asked, std::chrono::milliseconds(500));
#ifndef __SANITIZE_ADDRESS__ // its allocator holds freed blocks back: the resident set says nothing
    EXPECT_LT(peakKilobytes() - before, 100 * 1024);
#endif
}

TEST(ResponseMap, TheAreaFigureIsTheMeanOfTheNineSpreadsAroundEachPoint) {
    const Scene scene = sceneWith(1, [](SceneTexts& t) {
        t.width = t.depth = "0.80";
        t.sources[0] = {"0.20", "0.10", "0.50"};
        t.sources[1] = {"0.60", "0.10", "0.50"};
    });
    // 0.10 m is two steps of 0.05 (spreads shared with the grid) and 2.5 of 0.04.
    for (double step : {0.05, 0.04}) {
        const ResponseMap map =
            computeResponseMap(scene, MapMarker::Listener, {}, step, {}, {}, MapFigure::Area);
        const MapGrid& g = map.grid;
        const int row = g.rows / 2, column = g.columns / 3;
        double sum = 0;
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                sum += *spreadOf(
                    withMarkerAt(scene, MapMarker::Listener, g.x(column) + dx * 0.1, g.y(row) + dy * 0.1),
                    {});
        EXPECT_NEAR(map.spread[static_cast<std::size_t>(row * g.columns + column)], sum / 9, 1e-9) << step;
        // A listening area that leaves the room has no figure.
        EXPECT_TRUE(std::isnan(map.spread[0]));
        EXPECT_FALSE(std::isnan(map.spread[static_cast<std::size_t>(3 * g.columns + 3)]));
    }
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
