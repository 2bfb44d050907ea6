#include "model/errors.h"
#include "model/layout/plan_geometry.h"
#include "model/text/number_text.h"

#include "tests/user_error.h"

#include <gtest/gtest.h>

using namespace kolmarin;
using kolmarin::test::errorOf;

namespace {

std::string position(long double value) {
    return formatPosition(static_cast<double>(value));
}

const PlanRect kDefaultPlan{kPlanLeft, kPlanTop, 250, 417};

} // namespace

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(roundHalfEven(0.5), 0);
    EXPECT_EQ(roundHalfEven(1.5), 2);
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(-0.5), 0);
    EXPECT_EQ(roundHalfEven(-1.5), -2);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(2.4999999), 2);
    EXPECT_EQ(roundHalfEven(-2.5000001), -3);
    EXPECT_EQ(roundHalfEven(41.67), 42);
}

TEST(RoundHalfEven, RefusesWhatNoPixelCanHold) {
    EXPECT_EQ(errorOf([] { roundHalfEven(1e10); }), msg::kInvalidOperation);
    EXPECT_EQ(errorOf([] { roundHalfEven(-1e10); }), msg::kInvalidOperation);
    EXPECT_EQ(errorOf([] { roundHalfEven(std::numeric_limits<double>::infinity()); }),
              msg::kInvalidOperation);
    EXPECT_EQ(errorOf([] { roundHalfEven(std::numeric_limits<double>::quiet_NaN()); }),
              msg::kInvalidOperation);
}

TEST(PlanSize, KeepsTheRoomsProportionsInsideTheArea) {
    EXPECT_EQ(planRectFor(2.70, 4.50), kDefaultPlan); // 417 / 1.6667 = 250.2
    EXPECT_EQ(planRectFor(3.0, 3.0), (PlanRect{kPlanLeft, kPlanTop, 305, 305}));
    EXPECT_EQ(planRectFor(4.00, 3.00), (PlanRect{kPlanLeft, kPlanTop, 305, 229})); // 228.75
    EXPECT_EQ(planRectFor(305, 417), (PlanRect{kPlanLeft, kPlanTop, 305, 417}));   // exactly the area's ratio
    EXPECT_EQ(planRectFor(2.0, 20.0), (PlanRect{kPlanLeft, kPlanTop, 42, 417}));   // 41.7
    EXPECT_EQ(planRectFor(10.0, 1.0), (PlanRect{kPlanLeft, kPlanTop, 305, 30}));   // 30.5 goes to even 30
}

TEST(PlanSize, ASlenderRoomStillGetsOnePixel) {
    EXPECT_EQ(planRectFor(0.001, 10.0).width, 1);
    EXPECT_EQ(planRectFor(10.0, 0.001).height, 1);
}

TEST(PlanSize, TenthsOfThePlan) {
    EXPECT_EQ(planTenths(250), (std::array<int, 9>{25, 50, 75, 100, 125, 150, 175, 200, 225}));
    // 41.7, 83.4, 125.1, ...: each rounded on its own, 208.5 to the even 208.
    EXPECT_EQ(planTenths(417), (std::array<int, 9>{42, 83, 125, 167, 208, 250, 292, 334, 375}));
}

TEST(MarkerMapping, DefaultSceneCorners) {
    EXPECT_EQ(toMarkerCorner(kDefaultPlan, 2.70, 4.50, {0.45, 0.70}), (PixelPoint{731, 90}));
    EXPECT_EQ(toMarkerCorner(kDefaultPlan, 2.70, 4.50, {2.25, 0.70}), (PixelPoint{696 + 208 - 7, 90}));
    EXPECT_EQ(toMarkerCorner(kDefaultPlan, 2.70, 4.50, {1.36, 2.90}),
              (PixelPoint{696 + 126 - 7, 32 + 269 - 7}));
    // The walls put the reference point on the plan's edges.
    EXPECT_EQ(toMarkerCorner(kDefaultPlan, 2.70, 4.50, {0, 0}), (PixelPoint{689, 25}));
    EXPECT_EQ(toMarkerCorner(kDefaultPlan, 2.70, 4.50, {2.70, 4.50}),
              (PixelPoint{696 + 250 - 7, 32 + 417 - 7}));
    // Positions outside the room (negative ones stay) land outside the plan.
    EXPECT_EQ(toMarkerCorner(kDefaultPlan, 2.70, 4.50, {-0.27, 0}).left, 696 - 25 - 7);
}

TEST(MarkerMapping, RoundTripsToTheSamePixelAndRefusesFaults) {
    for (int left = 689; left <= 939; left += 7) {
        const PixelPoint corner{left, 25 + (left - 689)};
        const PlanPosition p = fromMarkerCorner(kDefaultPlan, 2.70, 4.50, corner);
        EXPECT_EQ(toMarkerCorner(kDefaultPlan, 2.70, 4.50, p), corner) << left;
    }
    const PlanPosition walls = fromMarkerCorner(kDefaultPlan, 2.70, 4.50, {689, 442});
    EXPECT_EQ(walls.x, 0.0);
    EXPECT_DOUBLE_EQ(walls.y, 4.50);
    EXPECT_EQ(errorOf([] { toMarkerCorner(kDefaultPlan, 0, 4.5, {1, 1}); }), msg::kZeroDivide);
    EXPECT_EQ(errorOf([] { toMarkerCorner(kDefaultPlan, 2.7, 4.5, {1e307, 1}); }), msg::kOverflow);
    EXPECT_EQ(errorOf([] { toMarkerCorner(kDefaultPlan, 2.7, 4.5, {-1e9, 1}); }), msg::kInvalidOperation);
}

TEST(SliderMapping, HeightsAndPositions) {
    EXPECT_EQ(toSliderPosition(0.50, 2.40), 79); // 20.83
    EXPECT_EQ(toSliderPosition(1.00, 2.40), 58); // 41.67
    EXPECT_EQ(toSliderPosition(0.60, 2.40), 75);
    EXPECT_EQ(toSliderPosition(0.51, 2.40), 79); // 21.25
    EXPECT_EQ(toSliderPosition(0.52, 2.40), 78); // 21.67
    EXPECT_EQ(toSliderPosition(2.40, 2.40), 0);
    EXPECT_EQ(toSliderPosition(0, 2.40), 100);
    EXPECT_EQ(toSliderPosition(0.3, 2.4), 88); // 12.5 goes to the even 12
    // Outside the room the slider stops at its nearer end.
    EXPECT_EQ(toSliderPosition(3.0, 2.40), 0);
    EXPECT_EQ(toSliderPosition(-1.0, 2.40), 100);
    EXPECT_EQ(toSliderPosition(1e6, 2.40), 0);
    EXPECT_EQ(errorOf([] { toSliderPosition(1e300, 1e-10); }), msg::kOverflow);
    EXPECT_EQ(errorOf([] { toSliderPosition(1.0, 0.0); }), msg::kZeroDivide);

    // The slider rule: the written heights of the default scene after start-up.
    EXPECT_EQ(formatPosition(fromSliderPosition(79, 2.40)), " 0.50");
    EXPECT_EQ(formatPosition(fromSliderPosition(58, 2.40)), " 1.01"); // 1.008
    EXPECT_EQ(formatPosition(fromSliderPosition(78, 2.40)), " 0.53"); // 0.528
    EXPECT_EQ(formatPosition(fromSliderPosition(50, 2.40)), " 1.20");
    EXPECT_EQ(fromSliderPosition(0, 2.40), 2.40);
    EXPECT_EQ(fromSliderPosition(100, 2.40), 0.0);
}

TEST(PullBack, OnlyCoordinatesBeyondTheirWallMove) {
    const Point3 beyond{3.0, 5.0, 3.0};
    const PulledBack sp1 = pullBackIntoRoom(PlacedObject::SP1, beyond, 2.70, 4.50, 2.40);
    EXPECT_EQ(sp1.x, 0.0);
    EXPECT_EQ(sp1.y, 0.0);
    EXPECT_EQ(sp1.z, 2.40);
    const PulledBack sp2 = pullBackIntoRoom(PlacedObject::SP2, beyond, 2.70, 4.50, 2.40);
    EXPECT_EQ(sp2.x, 2.70);
    EXPECT_EQ(sp2.y, 0.0);
    EXPECT_EQ(sp2.z, 2.40);
    const PulledBack listener = pullBackIntoRoom(PlacedObject::Listener, beyond, 2.70, 4.50, 2.40);
    EXPECT_EQ(listener.x, 1.35);
    EXPECT_EQ(listener.y, 4.50);
    EXPECT_EQ(listener.z, 2.40);

    // On the wall, inside, or beyond the zero walls: nothing changes.
    for (const Point3& p : {Point3{2.70, 4.50, 2.40}, Point3{1, 1, 1}, Point3{-1, -1, -1}}) {
        for (PlacedObject object : {PlacedObject::SP1, PlacedObject::SP2, PlacedObject::Listener}) {
            const PulledBack none = pullBackIntoRoom(object, p, 2.70, 4.50, 2.40);
            EXPECT_FALSE(none.x || none.y || none.z);
        }
    }
    // Shrinking the default room to 2.00 × 2.00 moves SP2's x and the listener's y only.
    EXPECT_EQ(pullBackIntoRoom(PlacedObject::SP2, {2.25, 0.70, 0.50}, 2, 2, 2.4).x, 2.0);
    EXPECT_EQ(pullBackIntoRoom(PlacedObject::Listener, {1.36, 2.90, 1.00}, 2, 2, 2.4).y, 2.0);
    EXPECT_FALSE(pullBackIntoRoom(PlacedObject::Listener, {1.36, 2.90, 1.00}, 2, 2, 2.4).x);
}

TEST(Drag, FollowsThePointerInsideThePlan) {
    const PixelPoint corner{731, 90};
    const PixelPoint grab{7, 7};
    EXPECT_EQ(dragMarker(kDefaultPlan, corner, {17, 2}, grab), (PixelPoint{741, 85}));
    EXPECT_EQ(dragMarker(kDefaultPlan, corner, {7, 7}, grab), corner);
    // The grab point is subtracted, not the marker's middle.
    EXPECT_EQ(dragMarker(kDefaultPlan, corner, {3, 3}, PixelPoint{0, 0}), (PixelPoint{734, 93}));
}

TEST(Drag, StopsAtEachWallAndHoldsTheOtherCoordinate) {
    const PixelPoint corner{731, 90};
    const PixelPoint grab{7, 7};
    // Past the left wall: the reference point on the plan's left edge, top unchanged
    // even though the pointer went down as well.
    EXPECT_EQ(dragMarker(kDefaultPlan, corner, {-100, 40}, grab), (PixelPoint{689, 90}));
    // Exactly on the left wall counts as past it.
    EXPECT_EQ(dragMarker(kDefaultPlan, corner, {7 - 42, 7}, grab), (PixelPoint{689, 90}));
    EXPECT_EQ(dragMarker(kDefaultPlan, corner, {7 - 41, 7}, grab), (PixelPoint{690, 90}));
    // Right wall: the corner at planLeft + Wpx - half.
    EXPECT_EQ(dragMarker(kDefaultPlan, corner, {400, -30}, grab), (PixelPoint{939, 90}));
    // Front and back walls keep the left.
    EXPECT_EQ(dragMarker(kDefaultPlan, corner, {20, -200}, grab), (PixelPoint{731, 25}));
    EXPECT_EQ(dragMarker(kDefaultPlan, corner, {20, 600}, grab), (PixelPoint{731, 442}));
    // A corner pointer past two walls: the side wall wins.
    EXPECT_EQ(dragMarker(kDefaultPlan, corner, {-100, -200}, grab), (PixelPoint{689, 90}));
}

TEST(Drag, ReadOutsAtTheWallsAreTheRoomsEdges) {
    const PlanPosition left = fromMarkerCorner(kDefaultPlan, 2.70, 4.50, {689, 90});
    EXPECT_EQ(formatPosition(left.x), " 0.00");
    EXPECT_EQ(formatPosition(left.y), " 0.70"); // 65 pixels of 417 over 4.50 m = 0.7014
    const PlanPosition right = fromMarkerCorner(kDefaultPlan, 2.70, 4.50, {939, 442});
    EXPECT_EQ(formatPosition(right.x), " 2.70");
    EXPECT_EQ(formatPosition(right.y), " 4.50");
}

TEST(Nudge, StepsOfATenthAndAHundredth) {
    EXPECT_EQ(nudgedCoordinate(NudgeKey::Left), Coordinate::X);
    EXPECT_EQ(nudgedCoordinate(NudgeKey::Right), Coordinate::X);
    EXPECT_EQ(nudgedCoordinate(NudgeKey::Up), Coordinate::Y);
    EXPECT_EQ(nudgedCoordinate(NudgeKey::Down), Coordinate::Y);
    EXPECT_EQ(nudgedCoordinate(NudgeKey::Lower), Coordinate::Z);
    EXPECT_EQ(nudgedCoordinate(NudgeKey::Raise), Coordinate::Z);

    EXPECT_EQ(position(nudge(0.50, NudgeKey::Raise, false, 2.40)), " 0.60");
    EXPECT_EQ(position(nudge(0.50, NudgeKey::Raise, true, 2.40)), " 0.51");
    EXPECT_EQ(position(nudge(0.51, NudgeKey::Raise, true, 2.40)), " 0.52");
    EXPECT_EQ(position(nudge(0.45, NudgeKey::Left, false, 2.70)), " 0.35");
    EXPECT_EQ(position(nudge(0.70, NudgeKey::Up, true, 4.50)), " 0.69");
    EXPECT_EQ(position(nudge(2.90, NudgeKey::Down, false, 4.50)), " 3.00");
    EXPECT_EQ(position(nudge(1.36, NudgeKey::Right, false, 2.70)), " 1.46");
    EXPECT_EQ(position(nudge(1.00, NudgeKey::Lower, true, 2.40)), " 0.99");
}

TEST(Nudge, WallsStopTheStepExactly) {
    EXPECT_EQ(nudge(0.05, NudgeKey::Left, false, 2.70), 0.0L);
    EXPECT_EQ(nudge(0.005, NudgeKey::Lower, true, 2.40), 0.0L);
    EXPECT_EQ(nudge(0.0, NudgeKey::Up, true, 4.50), 0.0L);
    EXPECT_EQ(nudge(2.65, NudgeKey::Right, false, 2.70), static_cast<long double>(2.70));
    EXPECT_EQ(nudge(4.50, NudgeKey::Down, true, 4.50), static_cast<long double>(4.50));
    EXPECT_EQ(nudge(2.35, NudgeKey::Raise, false, 2.40), static_cast<long double>(2.40));
    // A step landing on the wall itself is a plain step, not a clamp.
    EXPECT_EQ(position(nudge(2.60, NudgeKey::Right, false, 2.70)), " 2.70");
    EXPECT_EQ(position(nudge(0.10, NudgeKey::Left, false, 2.70)), " 0.00");
    // Outside the room the arrows towards the room still step from where the object stands.
    EXPECT_EQ(position(nudge(-0.50, NudgeKey::Right, false, 2.70)), "-0.40");
    EXPECT_EQ(position(nudge(3.50, NudgeKey::Left, false, 2.70)), " 3.40");
    EXPECT_EQ(nudge(-0.50, NudgeKey::Left, false, 2.70), 0.0L);
}

TEST(MarkerName, StaysOnThePlanClearOfTheWalls) {
    const PlanRect plan{696, 32, 250, 417};
    const struct {
        PixelPoint marker;
        PixelPoint name;
    } cases[]{
        {{800, 200}, {816, 196}}, // right of the marker, a little above
        {{930, 200}, {899, 196}}, // near the right wall: left of the marker
        {{800, 25}, {816, 33}},   // at the front wall: below its line
        {{800, 440}, {816, 433}}, // at the back wall: above its line
    };
    for (const auto& c : cases)
        EXPECT_EQ(markerNameCorner(plan, c.marker, 30, 15), c.name) << c.marker.left << "," << c.marker.top;
}
