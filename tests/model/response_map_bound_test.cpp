// The map's bound on points: the step that fits is the smallest whole centimetre that
// keeps the grid within it, in rooms up to kilometres and beyond.
#include "model/acoustics/response_map.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace kolmarin;

TEST(ResponseMapBound, TheFittingStepIsTheFinestWholeCentimetreWithinTheBound) {
    for (const auto& [width, depth] :
         {std::pair{2.7, 4.5}, {25.0, 25.0}, {1000.0, 1000.0}, {3000.0, 2400.0}, {1e4, 3.0}}) {
        const double step = fittingMapStep(width, depth, kDefaultMapStep);
        EXPECT_LE(mapGrid(width, depth, step).points(), kMostMapPoints) << width;
        if (step > kDefaultMapStep) {
            EXPECT_GT(mapGrid(width, depth, std::round(step * 100 - 1) / 100).points(), kMostMapPoints)
                << width;
        }
    }
    EXPECT_EQ(fittingMapStep(2.7, 4.5, kDefaultMapStep), kDefaultMapStep);
}
