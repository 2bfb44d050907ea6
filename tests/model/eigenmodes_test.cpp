#include "model/acoustics/eigenmodes.h"
#include "model/errors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <tuple>

using namespace kolmarin;

namespace {

std::string failureOf(double w, double d, double h) {
    try {
        computeModeTable(w, d, h);
    } catch (const UserError& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(ModeTable, DefaultRoom) {
    const ModeTable t = computeModeTable(2.70, 4.50, 2.40);
    ASSERT_EQ(t.rows.size(), 42u);
    EXPECT_EQ(t.rows[0], modeTableHeader());
    EXPECT_EQ(t.rows[0][4], "  周波数");
    EXPECT_EQ(t.rows[1], (ModeRow{"  1", "  0", "  1", "  0", "    38.2"}));
    EXPECT_EQ(t.rows[2], (ModeRow{"  2", "  1", "  0", "  0", "    63.7"}));
    EXPECT_EQ(t.rows[3], (ModeRow{"  3", "  0", "  0", "  1", "    71.7"}));
    EXPECT_EQ(t.rows[4], (ModeRow{"  4", "  1", "  1", "  0", "    74.3"}));
    EXPECT_EQ(t.rows[5], (ModeRow{"  5", "  0", "  2", "  0", "    76.4"}));
    EXPECT_EQ(t.rows[41], (ModeRow{" 41", "  2", "  4", "  0", "   199.0"}));
    // Equal frequency texts keep their enumeration order: (0, 5, 0) before (3, 0, 0).
    int first191 = 0;
    for (int i = 1; i <= 41; ++i)
        if (t.rows[i][4] == "   191.1" && first191 == 0)
            first191 = i;
    ASSERT_NE(first191, 0);
    EXPECT_EQ(t.rows[first191][2], "  5");
    EXPECT_EQ(t.rows[first191 + 1][1], "  3");
    // Same table every time; negative sizes count by their magnitude.
    EXPECT_EQ(computeModeTable(2.70, 4.50, 2.40).rows, t.rows);
    EXPECT_EQ(computeModeTable(-2.70, 4.50, -2.40).rows, t.rows);
}

TEST(ModeTable, EveryModeUpTo200HzOfALargeRoom) {
    // Fixed index limits would drop (13, 0, 0) at 186.3 Hz in a room 12 m wide.
    const ModeTable t = computeModeTable(12.0, 4.5, 6.0);
    std::set<std::tuple<int, int, int>> listed;
    for (std::size_t i = 1; i < t.rows.size(); ++i)
        listed.emplace(std::stoi(t.rows[i][1]), std::stoi(t.rows[i][2]), std::stoi(t.rows[i][3]));
    EXPECT_TRUE(listed.count({13, 0, 0}));
    EXPECT_TRUE(listed.count({0, 0, 6}));
    // Every listed mode is at most 200 Hz and every mode at most 200 Hz is listed.
    std::size_t expected = 0;
    for (int x = 0; x <= 20; ++x)
        for (int y = 0; y <= 20; ++y)
            for (int z = 0; z <= 20; ++z) {
                const double f =
                    172.0 * std::sqrt(std::pow(x / 12.0, 2) + std::pow(y / 4.5, 2) + std::pow(z / 6.0, 2));
                if ((x || y || z) && f <= 200.0) {
                    ++expected;
                    EXPECT_TRUE(listed.count({x, y, z})) << x << ' ' << y << ' ' << z;
                }
            }
    EXPECT_EQ(listed.size(), expected);
    // Numbers run 1..N after the sort, in ascending frequency text.
    for (std::size_t i = 1; i < t.rows.size(); ++i) {
        EXPECT_EQ(std::stoi(t.rows[i][0]), static_cast<int>(i));
        if (i > 1) {
            EXPECT_LE(t.rows[i - 1][4], t.rows[i][4]);
        }
    }
}

TEST(ModeTable, EdgesOfTheRange) {
    EXPECT_EQ(computeModeTable(0.85, 0.85, 0.85).rows.size(), 1u); // 172 / 0.85 > 200
    // An axial mode exactly at 200 Hz is listed: 172 * 1 / 0.86 = 200.
    const ModeTable exact = computeModeTable(0.86, 0.5, 0.5);
    ASSERT_EQ(exact.rows.size(), 2u);
    EXPECT_EQ(exact.rows[1][4], "   200.0");
}

TEST(ModeTable, Refusals) {
    EXPECT_EQ(failureOf(0.0, 4.5, 2.4), msg::kInvalidOperation);
    EXPECT_EQ(failureOf(2.7, 4.5, 0.0), msg::kInvalidOperation);
    const std::string tooLarge = failureOf(300.0, 300.0, 300.0);
    EXPECT_NE(tooLarge, "");
    EXPECT_NE(tooLarge.find("100000"), std::string::npos);
    EXPECT_NE(failureOf(1e300, 1.0, 1.0), "");
    EXPECT_NO_THROW(computeModeTable(40.0, 40.0, 10.0));
}
