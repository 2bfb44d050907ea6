// Where the printed chart and the printed window picture go on the page, and the scene
// lines under the chart.
#include "model/layout/print_geometry.h"

#include <gtest/gtest.h>

namespace kolmarin {
namespace {

constexpr int kChartW = 553;
constexpr int kChartH = 417;

TEST(ChartPlacement, LandscapeExampleLeavesSeventeenPercentAboveAndBelow) {
    // 100 * (4760 - 0.6 * 6814 * 417 / 553) / 4760 = 35.2..., rounded 35, halved 17.
    const int band = chartVerticalMarginPercent(6814, 4760, kChartW, kChartH, 600, 600);
    EXPECT_EQ(band, 17);
    const PagePlace place = chartPageRect(6814, 4760, kChartSideMarginPercent, band);
    EXPECT_EQ(place, (PagePlace{1022, 809, 5792, 3951}));
    EXPECT_EQ(place.width(), 4770);  // 70 % of the width
    EXPECT_EQ(place.height(), 3142); // 66 % of the height
}

TEST(ChartPlacement, ChartKeepsItsPhysicalSizeOnNonSquareDots) {
    // The same sheet at 600 x 300 dpi: half as many dots down, the same share of the page.
    EXPECT_EQ(chartVerticalMarginPercent(6814, 2380, kChartW, kChartH, 600, 300), 17);
    // And at 300 x 600 dpi: half as many dots across.
    EXPECT_EQ(chartVerticalMarginPercent(3407, 4760, kChartW, kChartH, 300, 600), 17);
}

TEST(ChartPlacement, PageTooLowForTheChartGetsNoMarginRatherThanANegativeOne) {
    EXPECT_EQ(chartVerticalMarginPercent(6814, 2000, kChartW, kChartH, 600, 600), 0);
    EXPECT_EQ(chartVerticalMarginPercent(6814, 0, kChartW, kChartH, 600, 600), 0);
}

TEST(ChartPlacement, MarginDotsRoundHalvesToEven) {
    EXPECT_EQ(chartPageRect(10, 100, 15, 0).left, 2);   // 1.5 dots
    EXPECT_EQ(chartPageRect(30, 100, 15, 0).left, 4);   // 4.5 dots
    EXPECT_EQ(chartPageRect(30, 100, 15, 0).right, 26); // the right margin is as wide
    EXPECT_EQ(chartPageRect(100, 50, 15, 17).top, 8);   // 8.5 dots
}

TEST(ChartCanvas, WiderPlaceKeepsTheScreenHeightAndGrowsTheWidth) {
    EXPECT_EQ(chartCanvasSize(4770, 3142, 600, 600, kChartW, kChartH), (CanvasSize{633, 417}));
    // Non-square dots: the place's physical shape counts, not its dot counts.
    EXPECT_EQ(chartCanvasSize(4770, 1571, 600, 300, kChartW, kChartH), (CanvasSize{633, 417}));
}

TEST(ChartCanvas, HigherPlaceKeepsTheScreenWidthAndGrowsTheHeight) {
    EXPECT_EQ(chartCanvasSize(1000, 1000, 600, 600, kChartW, kChartH), (CanvasSize{553, 553}));
    EXPECT_EQ(chartCanvasSize(553, 417, 96, 96, kChartW, kChartH), (CanvasSize{553, 417}));
}

TEST(ScenePage, TextsPrintAsLargeAsOnTheRoomFilesPage) {
    // 90 % of the landscape sheet's width stands for 553 pixels spread over 70 % of it.
    const PagePlace place = chartPageRect(6814, 4760, kScenePageMarginPercent, kScenePageMarginPercent);
    const CanvasSize canvas = scenePageCanvas(place.width(), place.height(), 600, 600, 6814, kChartW);
    EXPECT_EQ(canvas.width, 711);
    EXPECT_NEAR(static_cast<double>(canvas.height) / canvas.width,
                static_cast<double>(place.height()) / place.width(), 0.002);
    // Non-square dots: the physical shape counts.
    EXPECT_EQ(scenePageCanvas(place.width(), place.height() / 2, 600, 300, 6814, kChartW), canvas);
}

TEST(WindowPicture, PrintsAtItsScreenSizeCentredOnThePage) {
    // 600 dpi printer, 96 dpi screen: 6.25 dots per pixel.
    const PagePlace place = centredPicture(1016, 546, 600, 96, 7016, 4961);
    EXPECT_EQ(place.width(), 6350);
    EXPECT_EQ(place.height(), 3412); // 3412.5 cut to whole dots
    EXPECT_EQ(place.left, 333);      // (7016 - 6350) / 2
    EXPECT_EQ(place.top, 774);       // (4961 - 3412) / 2 = 774.5, cut
}

TEST(WindowPicture, LargerThanThePageHangsOverBothSides) {
    // 1200 dpi: 12.5 dots per pixel; the picture is wider and higher than the page.
    const PagePlace place = centredPicture(800, 400, 1200, 96, 9000, 4001);
    EXPECT_EQ(place.width(), 10000);
    EXPECT_EQ(place.left, -500);
    EXPECT_EQ(place.right, 9500);
    EXPECT_EQ(place.top, -499); // (4001 - 5000) / 2 cuts toward zero
}

TEST(GraphHeader, StartUpSceneAsTheWindowShowsIt) {
    SceneTexts texts;
    // Heights are rewritten in the five-character form when the window first shows.
    texts.sources[0].z = " 0.50";
    texts.sources[1].z = " 0.50";
    texts.seats[0].z = " 1.01";
    const auto lines = graphHeaderLines(texts);
    EXPECT_EQ(lines[0], "    部屋 幅：2.70m 奥行：4.50m 高さ：2.40m");
    EXPECT_EQ(lines[1], "SP1 左から0.45m  前から0.70m  床から 0.50m");
    EXPECT_EQ(lines[2], "SP2 左から2.25m  前から0.70m  床から 0.50m");
    EXPECT_EQ(lines[3], "聴取者 左から1.36m  前から2.90m  床から 1.01m");
    EXPECT_EQ(lines[4], "反射率  前0.85  後0.85  右0.8  左0.8  上0.9  下0.9    反射回数 30");
}

TEST(GraphHeader, EveryValueComesFromItsOwnText) {
    SceneTexts t;
    t.width = "W";
    t.depth = "D";
    t.height = "H";
    t.reflFront = "f";
    t.reflBack = "b";
    t.reflRight = "r";
    t.reflLeft = "l";
    t.reflCeiling = "c";
    t.reflFloor = "g";
    t.reflectionCount = "n";
    t.sources[0] = {"a1", "a2", "a3"};
    t.sources[1] = {"b1", "b2", "b3"};
    t.seats[0] = {"c1", "c2", "c3"};
    const auto lines = graphHeaderLines(t);
    EXPECT_EQ(lines[0], "    部屋 幅：Wm 奥行：Dm 高さ：Hm");
    EXPECT_EQ(lines[1], "SP1 左からa1m  前からa2m  床からa3m");
    EXPECT_EQ(lines[2], "SP2 左からb1m  前からb2m  床からb3m");
    EXPECT_EQ(lines[3], "聴取者 左からc1m  前からc2m  床からc3m");
    EXPECT_EQ(lines[4], "反射率  前f  後b  右r  左l  上c  下g    反射回数 n");
}

} // namespace
} // namespace kolmarin
