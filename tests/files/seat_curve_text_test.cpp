// Each source's curve at each seat as a measurement text: one file per source and seat,
// each level the one the chart shows for that source at that seat, with a phase.
#include "files/curve_text.h"
#include "files/seat_curve_text.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kolmarin {
namespace {

TEST(SeatCurveText, GivesEverySourceAtEverySeatAsTheChartShowsIt) {
    SceneTexts texts = startupSceneTexts();
    texts.reflectionCount = "6";
    texts.sources.push_back({"0.30", "0.30", "0.30"});
    texts.seats.push_back({"0.86", "3.40", "1.00"});
    const Scene scene = readCalculationScene(texts, '.', nullptr);
    const std::vector<SeatCurveFile> files = sourceCurveTexts(scene, 0);
    ASSERT_EQ(files.size(), 6u);
    EXPECT_EQ(files[5].name, "SW1_seat2.txt");
    ResponseCurves curves;
    calculateResponse(scene, curves, 1);
    const std::vector<CurvePoint> points = parseCurveText(files[5].text, files[5].name);
    ASSERT_EQ(points.size(), 961u); // 20 to 500 Hz every 0.5 Hz
    for (std::size_t i = 0; i < points.size(); i += 97) {
        EXPECT_EQ(points[i].frequency, 20 + 0.5 * static_cast<double>(i));
        EXPECT_NEAR(points[i].level, curves.sources[2][40 + i], 0.0005);
        EXPECT_FALSE(std::isnan(points[i].phase));
    }
}

} // namespace
} // namespace kolmarin
