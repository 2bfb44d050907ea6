// The mode list file: title, the dimension texts as they stand, and the ModeTable in
// 14-byte fields.
#include "files/mode_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace kolmarin {
namespace {

TEST(ModeFile, WritesTheStartupRoomByteForByte) {
    const QByteArray file = modeFileBytes(startupSceneTexts(), computeModeTable(2.70, 4.50, 2.40));
    EXPECT_EQ(file, test::fixture("startup_modes.dat"));

    const QStringList lines = test::cp932Lines(file);
    ASSERT_EQ(lines.size(), 45);
    EXPECT_EQ(lines[0], "定在波周波数特性計算Kolmarin2 Ver0.71計算結果");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2], "部屋の幅2.70m、奥行き4.50m、高さ2.40m");
    EXPECT_EQ(lines[4], "             1             0             1             0          38.2");
    EXPECT_TRUE(lines.back().endsWith("199.0"));
}

TEST(ModeFile, AlignsEveryCellInFourteenBytes) {
    const QByteArray file = modeFileBytes(startupSceneTexts(), computeModeTable(2.70, 4.50, 2.40));
    const QList<QByteArray> lines = file.split('\n');
    for (qsizetype i = 3; i + 1 < lines.size(); ++i)
        EXPECT_EQ(lines[i].size(), 71) << i; // 70 bytes and the CR
    // Decay times, when asked for, are a sixth cell of each row.
    ModeTable withDecay = computeModeTable(2.70, 4.50, 2.40);
    withDecay.decay.assign(withDecay.rows.size(), "0.47");
    const QList<QByteArray> wider = modeFileBytes(startupSceneTexts(), withDecay).split('\n');
    for (qsizetype i = 3; i + 1 < wider.size(); ++i)
        EXPECT_EQ(wider[i], lines[i].chopped(1) + "          0.47\r") << i;
    // The header row counts each Japanese character as two bytes.
    EXPECT_EQ(lines[3], QByteArray(12, ' ') + "No" + QByteArray(4, ' ') + test::cp932("モード(幅)") +
                            QByteArray(2, ' ') + test::cp932("モード(奥行)") + QByteArray(2, ' ') +
                            test::cp932("モード(高さ)") + QByteArray(8, ' ') + test::cp932("周波数") + "\r");
}

TEST(ModeFile, WritesAHeaderOnlyTableAsFourLines) {
    const QByteArray file = modeFileBytes(startupSceneTexts(), computeModeTable(0.5, 0.5, 0.5));
    EXPECT_EQ(test::cp932Lines(file).size(), 4);
    EXPECT_TRUE(file.endsWith("\r\n"));
}

TEST(ModeFile, CopiesTheDimensionTextsUnformatted) {
    SceneTexts t = startupSceneTexts();
    t.width = "3";
    t.height = " 2.4e0";
    EXPECT_EQ(test::cp932Lines(modeFileBytes(t, ModeTable{{modeTableHeader()}}))[2],
              "部屋の幅3m、奥行き4.50m、高さ 2.4e0m");
}

TEST(ModeFile, WritesALongCellWhole) {
    ModeTable table{{modeTableHeader(), ModeRow{"123456", "1234567890123456", "0", "0", "   100.0"}}};
    const QStringList lines = test::cp932Lines(modeFileBytes(startupSceneTexts(), table));
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[4], QString(8, u' ') + "123456" + "1234567890123456" + QString(13, u' ') + "0" +
                            QString(13, u' ') + "0" + QString(6, u' ') + "   100.0");
}

} // namespace
} // namespace kolmarin
