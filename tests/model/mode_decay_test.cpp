// Each mode rings as long as the walls its waves meet let it: a room with hard end walls
// and absorbing other surfaces must tell the modes along its length from those across it.
#include "model/acoustics/mode_decay.h"
#include "model/text/number_text.h"

#include <gtest/gtest.h>

using namespace kolmarin;

namespace {

// 4.2 x 5.8 x 2.45 m; front and back walls as given, every other surface 0.3.
Scene roomWithEnds(const char* ends, const char* others = "0.3") {
    SceneTexts texts;
    texts.width = "4.2", texts.depth = "5.8", texts.height = "2.45";
    texts.reflRight = texts.reflLeft = texts.reflFloor = texts.reflCeiling = others;
    texts.reflFront = texts.reflBack = ends;
    texts.sources = {{"0.3", "0.3", "0.5"}, {"3.9", "0.3", "0.5"}};
    texts.seats = {{"2.1", "4.0", "1.2"}};
    return readCalculationScene(texts, '.', nullptr);
}

} // namespace

TEST(ModeDecay, ModesAlongTheHardWallsRingLongerThanModesAcrossThem) {
    const Scene scene = roomWithEnds("0.95");
    const ModeTable table = computeModeTable(scene.width, scene.depth, scene.height);
    const std::vector<std::string> column = modeDecayColumn(table, scene, '.');
    ASSERT_EQ(column.size(), table.rows.size());
    EXPECT_EQ(column[0], "T60(秒)");
    int along = 0, across = 0;
    for (std::size_t r = 1; r < table.rows.size(); ++r) {
        const int nx = parseWhole(table.rows[r][1]), ny = parseWhole(table.rows[r][2]),
                  nz = parseWhole(table.rows[r][3]);
        const double t60 = parseDecimal(column[r]);
        // A round trip of 2 x 5.8 m takes 33.7 ms and keeps 0.95^2, 0.89 dB less: 26.4 dB/s.
        if (nx == 0 && nz == 0) {
            EXPECT_EQ(column[r], "2.27") << r;
            ++along;
        } else if (ny == 0) {
            EXPECT_LT(t60, 0.15) << r;
            ++across;
        } else {
            EXPECT_LT(t60, 2.27) << r;
        }
    }
    EXPECT_EQ(along, 6); // 29.7 Hz apart up to 178 Hz
    EXPECT_GT(across, 10);
}

TEST(ModeDecay, WallsThatKeepAllOrNothing) {
    struct Case {
        const char *ends, *others;
        int nx, ny, nz;
        std::optional<double> t60;
    };
    for (const Case c : {Case{"1", "1", 1, 2, 1, std::nullopt}, Case{"-1", "0.3", 0, 3, 0, std::nullopt},
                         Case{"0", "0.3", 1, 0, 1, 0.0353}, Case{"0", "0.3", 1, 1, 0, 0.0},
                         Case{"-0.95", "0.3", 0, 1, 0, 2.2706}, Case{"0.95", "0.3", 0, 0, 0, std::nullopt}}) {
        const std::optional<double> t60 = modeDecayTime(roomWithEnds(c.ends, c.others), c.nx, c.ny, c.nz);
        ASSERT_EQ(t60.has_value(), c.t60.has_value()) << c.ends << " " << c.nx << c.ny << c.nz;
        if (t60) {
            EXPECT_NEAR(*t60, *c.t60, 1e-3) << c.ends << " " << c.nx << c.ny << c.nz;
        }
    }
}
