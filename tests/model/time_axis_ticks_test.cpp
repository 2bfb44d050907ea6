// The waterfall's time axis is ticked at round times, however the slices fall.
#include "model/layout/time_axis_ticks.h"

#include <gtest/gtest.h>

using namespace kolmarin;

TEST(TimeAxisTicks, FallOnRoundTimesWithinTheRange) {
    struct Case {
        double first, last;
        int most;
        std::vector<std::string> labels;
    };
    for (const Case& c : std::vector<Case>{
             {0, 300, 7, {"0 ms", "50 ms", "100 ms", "150 ms", "200 ms", "250 ms", "300 ms"}},
             {0, 300, 6, {"0 ms", "100 ms", "200 ms", "300 ms"}},
             {12, 87, 6, {"20 ms", "40 ms", "60 ms", "80 ms"}},
             {0, 1999.9, 5, {"0 ms", "500 ms", "1000 ms", "1500 ms"}},
             {0, 0.4, 5, {"0.0 ms", "0.1 ms", "0.2 ms", "0.3 ms", "0.4 ms"}},
             {100, 100, 6, {"100 ms"}},
         }) {
        std::vector<std::string> labels;
        for (const TimeTick& tick : timeAxisTicks(c.first, c.last, c.most)) {
            EXPECT_GE(tick.ms, c.first - 1e-9);
            EXPECT_LE(tick.ms, c.last + 1e-9);
            labels.push_back(tick.label);
        }
        EXPECT_EQ(labels, c.labels) << c.first << "-" << c.last;
    }
}
