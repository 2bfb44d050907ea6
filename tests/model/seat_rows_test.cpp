#include "model/layout/seat_rows.h"

#include "tests/user_error.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace kolmarin;
using kolmarin::test::errorOf;

namespace {

const Point3 kListener{1.36, 2.90, 1.00};

} // namespace

TEST(SeatRows, PlacesTheCountAtTheSpacingBesideTheListener) {
    struct Case {
        SeatPattern pattern;
        int count;
        double spacing;
        double nearest; // the least distance between any two of the seats and the listener
        double deepest; // the greatest distance from the listener along the depth
    };
    for (const Case& c :
         {Case{SeatPattern::Row, 2, 0.6, 0.6, 0.0}, Case{SeatPattern::Row, 3, 0.5, 0.5, 0.0},
          Case{SeatPattern::Grid, 5, 0.7, 0.7, 0.7}, Case{SeatPattern::Grid, 8, 0.4, 0.4, 0.4}}) {
        const std::vector<Point3> seats = arrangeSeats(c.pattern, kListener, c.count, c.spacing, 2.70, 4.50);
        ASSERT_EQ(static_cast<int>(seats.size()), c.count);
        std::vector<Point3> all = seats;
        all.push_back(kListener);
        double nearest = 1e9, deepest = 0;
        for (std::size_t i = 0; i < all.size(); ++i) {
            EXPECT_EQ(all[i].z, kListener.z);
            deepest = std::max(deepest, std::abs(all[i].y - kListener.y));
            for (std::size_t j = 0; j < i; ++j)
                nearest = std::min(nearest, std::hypot(all[i].x - all[j].x, all[i].y - all[j].y));
        }
        EXPECT_NEAR(nearest, c.spacing, 1e-9) << c.count;
        EXPECT_NEAR(deepest, c.deepest, 1e-9) << c.count;
    }
}

TEST(SeatRows, RefusesWhatDoesNotFit) {
    // A 2.70 m wide room holds a row of four seats 0.6 m apart around x = 1.36, not six.
    EXPECT_NO_THROW(arrangeSeats(SeatPattern::Row, kListener, 3, 0.6, 2.70, 4.50));
    EXPECT_NE(
        errorOf([] { arrangeSeats(SeatPattern::Row, kListener, 5, 0.6, 2.70, 4.50); }).find("収まりません"),
        std::string::npos);
    EXPECT_NE(errorOf([] { arrangeSeats(SeatPattern::Grid, kListener, 17, 0.1, 2.70, 4.50); }), "");
    EXPECT_NE(errorOf([] { arrangeSeats(SeatPattern::Grid, {1.36, 0.3, 1.0}, 8, 0.5, 2.70, 4.50); }), "");
}
