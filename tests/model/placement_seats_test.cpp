// The placement search with several seats: the group moves as one and is ranked by the
// bass objective over every seat, the centre line holds, and the loudspeaker layouts keep
// the angle limits.
#include "model/acoustics/bass_setup.h"
#include "model/acoustics/placement_search.h"
#include "model/acoustics/placement_seats.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace kolmarin;

namespace {

// The start-up room resized, with the seats after the listener at (x, y) offsets from it.
Scene roomWithSeats(const char* width, const char* depth, std::vector<Point3> offsets, int reflections = 1,
                    void (*edit)(SceneTexts&) = nullptr) {
    SceneTexts texts;
    texts.width = width;
    texts.depth = depth;
    texts.reflectionCount = std::to_string(reflections);
    if (edit)
        edit(texts);
    Scene scene = readCalculationScene(texts, '.', nullptr);
    for (const Point3& o : offsets)
        scene.seats.push_back({scene.seats[0].x + o.x, scene.seats[0].y + o.y, scene.seats[0].z});
    return scene;
}

double meanX(const std::vector<Point3>& seats) {
    double sum = 0;
    for (const Point3& s : seats)
        sum += s.x;
    return sum / static_cast<double>(seats.size());
}

SearchOptions optionsFor(Layout layout, int top, bool centreLine = false) {
    SearchOptions options;
    options.layout = layout;
    options.top = top;
    options.objective = Objective::Point;
    options.constraints.centreLine = centreLine;
    return options;
}

} // namespace

TEST(PlacementSeats, TheObjectiveIsTheBassObjectiveOfEverySeatsTotal) {
    const Scene scene = roomWithSeats("2.70", "4.50", {{-0.6, 0, 0}, {0.5, 0.7, 0}}, 3);
    const Band band{30, 90};
    std::vector<std::vector<double>> levels;
    for (const Curve& total : seatTotals(scene, 0, false, {2 * band.low, 2 * band.high}))
        levels.emplace_back(total.begin() + 2 * band.low, total.begin() + 2 * band.high + 1);
    const BassFigures expected =
        bassFigures(levels, std::vector<double>(levels[0].size(), 0.0), OptimiserGoal{}, std::nullopt);
    const auto figures = allSeatsFigures(scene, band);
    ASSERT_TRUE(figures);
    EXPECT_NEAR(figures->score, expected.score, 1e-9);
    EXPECT_NEAR(figures->score, figures->variation + figures->targetDeviation, 1e-12);
    EXPECT_GT(figures->variation, 0.0);
}

TEST(PlacementSeats, TheSeatsMoveAsOneGroupWithinTheWalls) {
    // Seat 3 sits 0.8 m right of the listener: the listener can come no nearer the right
    // wall than clearance + 0.8 m.
    const Scene scene = roomWithSeats("2.70", "4.50", {{-0.5, 0.3, 0}, {0.8, 0, 0}});
    const SearchResult result = searchPlacements(scene, optionsFor(Layout::Seats, 4));
    EXPECT_TRUE(result.allSeats);
    ASSERT_EQ(result.best.size(), 4u);
    for (const Placement& p : result.best) {
        EXPECT_TRUE(keepsConstraints(scene, p, Layout::Seats, {}));
        const Scene moved = withPlacement(scene, p);
        for (std::size_t i = 0; i < scene.seats.size(); ++i) {
            EXPECT_NEAR(moved.seats[i].x - moved.seats[0].x, scene.seats[i].x - scene.seats[0].x, 1e-9);
            EXPECT_NEAR(moved.seats[i].y - moved.seats[0].y, scene.seats[i].y - scene.seats[0].y, 1e-9);
            EXPECT_GE(moved.seats[i].x, 0.30 - 1e-9);
            EXPECT_LE(moved.seats[i].x, 2.40 + 1e-9);
        }
        const auto figures = allSeatsFigures(moved, SearchOptions{}.band);
        ASSERT_TRUE(figures);
        EXPECT_DOUBLE_EQ(p.seatScore, figures->score);
        EXPECT_DOUBLE_EQ(p.spread, figures->seat1Spread);
    }
    EXPECT_LE(result.best[0].seatScore, result.best[1].seatScore);
    const struct {
        double listenerX;
        bool keeps;
    } cases[]{{1.60, true}, {1.61, false}, {0.80, true}, {0.79, false}};
    for (const auto& c : cases) {
        Placement p = placementOf(scene);
        p.listener.x = c.listenerX;
        EXPECT_EQ(keepsConstraints(scene, p, Layout::Seats, {}), c.keeps) << c.listenerX;
    }
}

TEST(PlacementSeats, TheCentreLineHoldsTheSeatsMiddleAndThePair) {
    const Scene one = roomWithSeats("2.70", "4.50", {});
    const Scene three = roomWithSeats("2.70", "4.50", {{0.5, 0, 0}, {0.9, 0.4, 0}});
    const struct {
        const Scene& scene;
        Layout layout;
    } cases[]{
        {one, Layout::Seats}, {three, Layout::Seats}, {three, Layout::Stereo}, {three, Layout::Speakers}};
    for (const auto& c : cases) {
        const SearchResult result = searchPlacements(c.scene, optionsFor(c.layout, 3, true));
        ASSERT_FALSE(result.best.empty());
        PlacementConstraints centred;
        centred.centreLine = true;
        for (const Placement& p : result.best) {
            EXPECT_TRUE(keepsConstraints(c.scene, p, c.layout, centred));
            const Scene moved = withPlacement(c.scene, p);
            if (c.layout != Layout::Speakers) {
                EXPECT_NEAR(meanX(moved.seats), 1.35, kCentreLineTolerance);
            }
            if (c.layout != Layout::Seats) {
                EXPECT_NEAR(p.sp1.x + p.sp2.x, 2.70, 1e-9);
            }
        }
    }
    // Off the line by more than the rounding, a placement breaks the option only.
    Placement off = placementOf(three);
    off.listener.x = centredListenerX(three) + 0.02;
    PlacementConstraints centred;
    centred.centreLine = true;
    EXPECT_TRUE(keepsConstraints(three, off, Layout::Seats, {}));
    EXPECT_FALSE(keepsConstraints(three, off, Layout::Seats, centred));
    off.listener.x -= 0.02;
    EXPECT_TRUE(keepsConstraints(three, off, Layout::Seats, centred));
}

TEST(PlacementSeats, TheSpeakersLayoutKeepsTheAngleLimits) {
    const Scene scene = roomWithSeats("2.70", "4.50", {}, 2);
    SearchOptions options = optionsFor(Layout::Speakers, 5);
    const SearchResult result = searchPlacements(scene, options);
    ASSERT_FALSE(result.best.empty());
    for (const Placement& p : result.best) {
        EXPECT_GE(p.angle, 50.0 - 1e-9);
        EXPECT_LE(p.angle, 70.0 + 1e-9);
    }
    // 2.2 m apart 1.36 m in front of the listener subtend 78 degrees: too wide for the pair,
    // nothing to the seats, which leave the loudspeakers alone.
    const Placement wide{{0.25, 1.54, 0.5}, {2.45, 1.54, 0.5}, scene.seats[0]};
    EXPECT_GT(stereoAngle(wide), 70.0);
    PlacementConstraints loose;
    loose.wallClearance = 0.2;
    EXPECT_FALSE(keepsConstraints(scene, wide, Layout::Speakers, loose));
    EXPECT_TRUE(keepsConstraints(scene, wide, Layout::Seats, loose));
}

TEST(PlacementSeats, RankOneIsTheBestSeatObjectiveOfTheWholeLattice) {
    // Few enough places (41 x 31 for the listener) for the exhaustive search to be quick.
    const Scene scene = roomWithSeats("1.20", "1.50", {{0.2, 0.1, 0}}, 1, [](SceneTexts& t) {
        t.sources[0] = {"0.30", "0.30", "0.50"};
        t.sources[1] = {"0.90", "0.30", "0.50"};
        t.seats[0] = {"0.50", "1.00", "1.00"};
    });
    for (bool centreLine : {false, true}) {
        const SearchOptions options = optionsFor(Layout::Seats, 1, centreLine);
        double best = std::numeric_limits<double>::infinity();
        for (int x = 0; x <= 120; ++x)
            for (int y = 0; y <= 150; ++y) {
                Placement p = placementOf(scene);
                p.listener.x = x / 100.0;
                p.listener.y = y / 100.0;
                if (keepsConstraints(scene, p, Layout::Seats, options.constraints))
                    if (const auto figures = allSeatsFigures(withPlacement(scene, p), options.band))
                        best = std::min(best, figures->score);
            }
        const SearchResult result = searchPlacements(scene, options);
        ASSERT_EQ(result.best.size(), 1u);
        EXPECT_NEAR(result.best[0].seatScore, best, 1e-12) << centreLine;
    }
}
