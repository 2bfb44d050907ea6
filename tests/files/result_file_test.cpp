// The calculation result file: the scene description from the texts, the 10-byte fields,
// and which rows are written.
#include "files/result_file.h"
#include "model/errors.h"
#include "test_support.h"
#include "tests/user_error.h"

#include <gtest/gtest.h>

namespace kolmarin {
namespace {

using test::errorOf;

// Curves whose every element tells its own index, so a row shows which element it read.
ResponseCurves indexedCurves() {
    ResponseCurves c;
    for (int j = 0; j < kCurvePoints; ++j) {
        c.sources[0][j] = j + 0.01;
        c.sources[1][j] = -j - 0.01;
        c.total[j] = 1000 + j;
    }
    return c;
}

const ElementRange kAllElements{0, kCurvePoints - 1};

QStringList rowsOf(const QByteArray& file) {
    return test::cp932Lines(file).mid(10);
}

SceneTexts withRange(const char* start, const char* end) {
    SceneTexts t = startupSceneTexts();
    t.startFrequency = start;
    t.endFrequency = end;
    return t;
}

TEST(ResultFile, WritesTheStartupSceneByteForByte) {
    // To renew after a deliberate change of the model:
    //   kolmarin2-cli response tests/files/data/startup_room.dtr -o tests/files/data/startup_result.dat
    const SceneTexts texts = startupSceneTexts();
    const Scene scene = readCalculationScene(texts, '.', nullptr);
    ResponseCurves curves;
    calculateResponse(scene, curves);
    const QByteArray file =
        resultFileBytes(texts, curves, storedElements(scene.startFrequency, scene.endFrequency));
    EXPECT_EQ(file, test::fixture("startup_result.dat"));

    const QStringList lines = test::cp932Lines(file);
    ASSERT_EQ(lines.size(), 10 + 961);
    EXPECT_EQ(lines[10], "      20.0      11.5      11.5      17.5");
    EXPECT_TRUE(lines.back().startsWith("     500.0"));
}

TEST(ResultFile, DescribesTheSceneWithItsTextsAsTheyStand) {
    SceneTexts t = startupSceneTexts();
    t.width = "３";
    t.reflCeiling = "0.95";
    t.reflFloor = "0.7";
    t.reflectionCount = "$1E";
    const QStringList lines = test::cp932Lines(resultFileBytes(t, ResponseCurves{}, ElementRange{}));
    const QStringList expected{
        "定在波周波数特性計算Kolmarin2 Ver0.85計算結果",
        "",
        "部屋の幅３m、奥行き4.50m、高さ2.40m",
        "反射率：前=0.85、後=0.85、右=0.8、左=0.8、上=0.95、下=0.7",
        "聴取位置：左から1.36m、前から2.90m、床から 1.01m",
        "Sp1音源位置：左から0.45m、前から0.70m、床から 0.50m",
        "Sp2音源位置：左から2.25m、前から0.70m、床から 0.50m",
        "反射回数$1E回",
        "",
        "周波数(Hz)   Sp1(dB)   Sp2(dB) Total(dB)",
    };
    EXPECT_EQ(lines, expected);
}

TEST(ResultFile, FormatsEachNumberInTenBytesWithOneDecimal) {
    EXPECT_EQ(resultField(20.0), "      20.0");
    EXPECT_EQ(resultField(500.0), "     500.0");
    EXPECT_EQ(resultField(-12.34), "     -12.3");
    EXPECT_EQ(resultField(0.0), "       0.0");
    EXPECT_EQ(resultField(-0.04), "       0.0"); // no sign on a value shown as zero
    EXPECT_EQ(resultField(-0.05), "      -0.1");
    EXPECT_EQ(resultField(12.96), "      13.0");
    EXPECT_EQ(resultField(12345678.9), "12345678.9");
    EXPECT_EQ(resultField(-123456789.0), "-123456789.0"); // wider, never cut

    ResponseCurves c;
    c.sources[0][40] = -12.34;
    c.sources[1][40] = 123456789.0;
    c.total[40] = 0.0;
    const QByteArray file = resultFileBytes(withRange("20", "20"), c, kAllElements);
    EXPECT_TRUE(file.endsWith("\r\n      20.0     -12.3123456789.0       0.0\r\n"));
}

TEST(ResultFile, WritesOneRowPerHalfHertzOfTheRange) {
    const ResponseCurves c = indexedCurves();
    const QStringList rows = rowsOf(resultFileBytes(withRange("20", "22"), c, kAllElements));
    const QStringList expected{
        "      20.0      40.0     -40.0    1040.0", "      20.5      41.0     -41.0    1041.0",
        "      21.0      42.0     -42.0    1042.0", "      21.5      43.0     -43.0    1043.0",
        "      22.0      44.0     -44.0    1044.0",
    };
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(rowsOf(resultFileBytes(withRange("20", "500"), c, kAllElements)).size(), 961);
    EXPECT_EQ(rowsOf(resultFileBytes(withRange("$14", " 500"), c, kAllElements)).size(), 961);
    EXPECT_TRUE(rowsOf(resultFileBytes(withRange("300", "200"), c, kAllElements)).isEmpty());
}

TEST(ResultFile, NeverReadsOutsideTheStoredLevels) {
    const ResponseCurves c = indexedCurves();
    const QStringList all = rowsOf(resultFileBytes(withRange("-100", "2000"), c, kAllElements));
    ASSERT_EQ(all.size(), kCurvePoints);
    EXPECT_EQ(all.front(), "       0.0       0.0       0.0    1000.0");
    EXPECT_TRUE(all.back().startsWith("     600.0    1200.0"));
    EXPECT_EQ(rowsOf(resultFileBytes(withRange("-2147483648", "2147483647"), c, kAllElements)).size(),
              kCurvePoints);
    EXPECT_TRUE(rowsOf(resultFileBytes(withRange("700", "800"), c, kAllElements)).isEmpty());
}

TEST(ResultFile, WritesOnlyRowsTheLastCalculationComputed) {
    const ResponseCurves c = indexedCurves();
    // The boxes hold 20..500 but the last calculation ran over 100..200 Hz: the other
    // elements belong to an earlier scene.
    const QStringList rows = rowsOf(resultFileBytes(withRange("20", "500"), c, storedElements(100, 200)));
    ASSERT_EQ(rows.size(), 201);
    EXPECT_TRUE(rows.front().startsWith("     100.0"));
    EXPECT_TRUE(rows.back().startsWith("     200.0"));
    // Before any calculation nothing is a result.
    EXPECT_TRUE(rowsOf(resultFileBytes(withRange("20", "500"), c, ElementRange{})).isEmpty());
}

TEST(ResultFile, RefusesABadRangeOrAnUnwritableTextBeforeWritingAnything) {
    const ResponseCurves c;
    EXPECT_EQ(errorOf([&] { resultFileBytes(withRange("2O", "500"), c, kAllElements); }),
              msg::notAnInteger("2O"));
    EXPECT_EQ(errorOf([&] { resultFileBytes(withRange("20", "500 "), c, kAllElements); }),
              msg::notAnInteger("500 "));
    SceneTexts t = startupSceneTexts();
    t.sources[1].y = "0.70¥";
    EXPECT_NE(errorOf([&] { resultFileBytes(t, c, kAllElements); }).find("'0.70¥'"), std::string::npos);
}

TEST(ResultFile, NamesSubwoofersSeatAndSourcesOnlyWhenTheSetupHasThem) {
    const ResponseCurves c = indexedCurves();
    BassSetup setup;
    setup.texts = startupSceneTexts();
    const QByteArray plain = resultFileBytes(setup.texts, c, kAllElements);
    EXPECT_EQ(resultFileBytes(setup, curveSubject(setup), c, kAllElements), plain);

    setup.texts.sources.push_back({"0.30", "0.40", "0.50"});
    setup.subwoofers.push_back({1.5, 0.25, false});
    const QStringList lines = test::cp932Lines(resultFileBytes(setup, curveSubject(setup), c, kAllElements));
    EXPECT_EQ(
        lines.mid(7, 4),
        (QStringList{"Sw1音源位置：左から0.30m、前から0.40m、床から0.50m、レベル+1.5dB、遅延0.25ms、極性正",
                     "反射回数30回", "座席：座席1 (全1席、座席1が聴取位置)", "Totalの音源：SP1+SP2+SW1"}));
    // The rows are the same rows.
    EXPECT_EQ(lines.mid(13), test::cp932Lines(plain).mid(10));
}

} // namespace
} // namespace kolmarin
