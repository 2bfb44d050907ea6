// The whole scene under a printed chart: every subwoofer, the crossover and every seat
// with its figures, in lines that fit.
#include "model/layout/scene_lines.h"

#include <gtest/gtest.h>

namespace kolmarin {
namespace {

// Six units per character, counting UTF-8 code points.
double codePointWidth(const std::string& text) {
    double width = 0;
    for (unsigned char c : text)
        width += (c & 0xC0) != 0x80 ? 6 : 0;
    return width;
}

BassSetup fourSubwoofersThreeSeats() {
    BassSetup setup;
    for (int i = 0; i < 4; ++i) {
        setup.texts.sources.push_back({"0.30", " 0.40", "0.3" + std::to_string(i)});
        setup.subwoofers.push_back({2.0 - i, 1.5 * i, i == 3});
    }
    setup.texts.seats.push_back({"1.00", "3.10", "1.00"});
    setup.texts.seats.push_back({"1.80", "3.10", "1.00"});
    setup.crossover = 80;
    return setup;
}

TEST(SceneLines, NameEverySubwooferTheCrossoverAndEverySeatInLinesThatFit) {
    const SeatSummary summary{{{4.0, 5.25, 6.5}, {80.0, 81.0, 82.0}, 3.21, 81.0}, {20, 120}, true};
    const SceneGroups groups = sceneGroups(fourSubwoofersThreeSeats(), summary);
    for (double width : {300.0, 700.0, 2000.0}) {
        const std::vector<std::string> lines = wrapSceneGroups(groups, width, codePointWidth);
        std::string all;
        for (const std::string& line : lines) {
            EXPECT_LE(codePointWidth(line), width) << line;
            all += line + "\n";
        }
        for (const char* wanted :
             {"部屋 幅：2.70m", "SP1 左から0.45m", "SW1 左0.30 前0.40 床0.30 m", "SW4", "レベル +2.0 dB",
              "レベル -1.0 dB", "遅延 4.50 ms", "極性 逆", "クロスオーバー 80 Hz",
              "座席 3 左1.80 前3.10 床1.00 m", "ばらつき 6.50 dB", "座席間のばらつき 3.21 dB",
              "(20–120 Hz、SW のみ)", "反射回数 30"})
            EXPECT_NE(all.find(wanted), std::string::npos) << width << ": " << wanted << "\n" << all;
    }
    EXPECT_GT(wrapSceneGroups(groups, 300, codePointWidth).size(),
              wrapSceneGroups(groups, 2000, codePointWidth).size());
    // Each group starts its own line, however wide the page.
    EXPECT_EQ(wrapSceneGroups(groups, 1e6, codePointWidth).size(), groups.size());
}

TEST(SceneLines, AWordWiderThanTheLineStandsAloneAndNothingIsLost) {
    const std::vector<std::string> lines = packPieces({"a", "bbbbbbbbbb", "c", "d"}, " ", 30, codePointWidth);
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "bbbbbbbbbb", "c d"}));
}

} // namespace
} // namespace kolmarin
