// The setup file: a scene with more loudspeakers, subwoofers, seats and a crossover comes
// back whole, in either decimal form, and a damaged file is refused whole with the line it
// trips on.
#include "files/setup_file.h"
#include "model/acoustics/subwoofer_optimiser.h"
#include "tests/user_error.h"

#include <gtest/gtest.h>

namespace kolmarin {
namespace {

using test::errorOf;

BassSetup twoSubwoofersThreeSeats(char separator) {
    BassSetup s;
    s.texts = startupSceneTexts(separator);
    const std::string mark(1, separator);
    s.texts.sources.push_back({" 0" + mark + "30", " 0" + mark + "30", " 0" + mark + "30"});
    s.texts.sources.push_back({" 2" + mark + "40", " 4" + mark + "20", " 0" + mark + "30"});
    s.subwoofers = {{-3.5, 12.25, true}, {0.1, 0.0, false}};
    s.texts.seats.push_back({" 0" + mark + "86", " 2" + mark + "90", " 1" + mark + "00"});
    s.texts.seats.push_back({" 1" + mark + "86", " 3" + mark + "40", " 1" + mark + "10"});
    s.crossover = 80;
    return s;
}

TEST(SetupFile, GivesBackEverySourceSeatAndTheCrossover) {
    const BassSetup point = twoSubwoofersThreeSeats('.');
    EXPECT_EQ(parseSetupFile(setupFileBytes(point)), point);
    // Written in a comma locale, it has points, and reads back in either.
    const QByteArray fromComma = setupFileBytes(twoSubwoofersThreeSeats(','), ',');
    EXPECT_EQ(fromComma, setupFileBytes(point));
    EXPECT_EQ(parseSetupFile(fromComma, ','), twoSubwoofersThreeSeats(','));
    // As an editor may save it: a byte order mark and CR LF line ends.
    EXPECT_EQ(parseSetupFile("\xEF\xBB\xBF" + setupFileBytes(point).replace("\n", "\r\n")), point);
    EXPECT_EQ(roomFileLosses(point), "サブウーファー 2 台、聴取位置のほかの座席 2 席、クロスオーバー");
    // The subwoofers' EQ, when there is one, goes with them; a filter out of range is refused
    // at its line.
    BassSetup withEq = point;
    withEq.subwooferEq = {{42.0, -6.5, 4.3}, {71.5, 2.0, 0.75}};
    const QByteArray bytes = setupFileBytes(withEq);
    EXPECT_TRUE(bytes.contains("\neq = 2\neq1.fc_hz = 42\n"));
    EXPECT_EQ(parseSetupFile(bytes), withEq);
    QByteArray tooSharp = bytes;
    tooSharp.replace("eq2.q = 0.75", "eq2.q = 12");
    try {
        parseSetupFile(tooSharp);
        ADD_FAILURE() << "a Q of 12 was taken";
    } catch (const UserError& e) {
        EXPECT_NE(std::string(e.what()).find("eq2 の Q は 0.5 から 10.0 までです"), std::string::npos)
            << e.what();
    }
}

TEST(SetupFile, RefusesADamagedFileWhole) {
    const QByteArray good = setupFileBytes(twoSubwoofersThreeSeats('.'));
    const struct {
        QByteArray from, to, expected;
    } damages[] = {
        {"sw2.polarity = +\n", "", "sw2.polarity がありません"},
        {"subwoofers = 2", "subwoofers = 1", "知らない名前 sw2."},
        {"sw1.level_db = -3.5", "sw1.level_db = -35", "sw1.level_db は -20 から 10 まで"},
        {"seat3.y =  3.40", "seat3.y = x3.40", "seat3.y: 'x3.40' は浮動小数点数ではありません"},
        {"width = 2.70\n", "width = 2.70\nwidth = 2.70\n", "3 行目: width が二度あります"},
        {"crossover_hz = 80", "crossover_hz = 200", "crossover_hz は 40 から 160 まで"},
        {"Kolmarin2 setup 1", "Kolmarin2 setup 2", "1 行目"},
        {"sw2.x =  2.40", "sw2.x = 2.71", "sw2 が部屋の外にあります"},
        {"seat3.z =  1.10", "seat3.z = -0.01", "seat3 が部屋の外にあります"},
    };
    for (const auto& d : damages) {
        ASSERT_TRUE(good.contains(d.from)) << d.from.toStdString();
        const std::string error = errorOf([&] { parseSetupFile(QByteArray(good).replace(d.from, d.to)); });
        EXPECT_TRUE(error.starts_with("セットアップファイルとして読み込めません。")) << error;
        EXPECT_NE(error.find(d.expected.toStdString()), std::string::npos) << error;
    }
}

TEST(SetupFile, TakesWhatEditorsLeaveInAFileAndCountsItsLinesSo) {
    const BassSetup point = twoSubwoofersThreeSeats('.');
    const QByteArray good = setupFileBytes(point);
    for (const QByteArray& edited : {QByteArray(good).replace('\n', '\r'), good + "\x1A",
                                     QByteArray(good).replace("\nwidth", "\n  width")})
        EXPECT_EQ(parseSetupFile(edited), point) << edited.left(60).toStdString();
    const QByteArray twice = QByteArray(good).replace("width = 2.70\n", "width = 2.70\nwidth = 2.70\n");
    EXPECT_NE(
        errorOf([&] { parseSetupFile(QByteArray(twice).replace('\n', '\r')); }).find("3 行目: width が二度"),
        std::string::npos);
}

// Four subwoofers and sixteen seats besides the listener are the most a setup holds.
TEST(SetupFile, TakesTheLargestSetupWholeAndRefusesOneMoreAtItsLine) {
    BassSetup largest;
    largest.texts = startupSceneTexts();
    for (int i = 1; i <= kMostSubwoofers; ++i) {
        largest.texts.sources.push_back({"0.30", std::to_string(i) + ".00", "0.30"});
        largest.subwoofers.push_back({-2.5 * i, 1.5 * i, i % 2 == 0});
    }
    for (int i = 1; i <= kMostExtraSeats; ++i)
        largest.texts.seats.push_back({"0." + std::to_string(10 + 5 * i), "3.00", "1.10"});
    ASSERT_EQ(largest.texts.seats.size(), 17u);
    const QByteArray bytes = setupFileBytes(largest);
    EXPECT_EQ(parseSetupFile(bytes), largest);
    EXPECT_EQ(setupFileBytes(parseSetupFile(bytes)), bytes);
    const struct {
        QByteArray count, more, expected;
    } oneMore[]{
        {"seats = 17", "seats = 18\nseat18.x = 1\nseat18.y = 1\nseat18.z = 1", "seats は 1 から 17 までです"},
        {"subwoofers = 4",
         "subwoofers = 5\nsw5.x = 1\nsw5.y = 1\nsw5.z = 0\n"
         "sw5.level_db = 0\nsw5.delay_ms = 0\nsw5.polarity = +",
         "subwoofers は 0 から 4 までです"},
    };
    for (const auto& c : oneMore) {
        const qsizetype at = bytes.indexOf(c.count + '\n');
        ASSERT_GE(at, 0) << c.count.toStdString();
        const std::string line = std::to_string(bytes.first(at).count('\n') + 1) + " 行目: ";
        const std::string error =
            errorOf([&] { parseSetupFile(QByteArray(bytes).replace(c.count, c.more)); });
        EXPECT_NE(error.find(line + c.expected.toStdString()), std::string::npos) << error;
    }
}

// A centre and surrounds after SP1 and SP2, the centre and SP2 large.
BassSetup withSurroundSound() {
    BassSetup s = twoSubwoofersThreeSeats('.');
    s = withLoudspeaker(s, {LoudspeakerRole::SurroundRight}, {"2.40", "3.60", "1.10"});
    s = withLoudspeaker(s, {LoudspeakerRole::Centre, true}, {"1.35", "0.40", "0.60"});
    s = withLoudspeaker(s, {LoudspeakerRole::SurroundLeft}, {"0.30", "3.60", "1.10"});
    s.loudspeakers[1].large = true;
    return s;
}

TEST(SetupFile, GivesBackMoreLoudspeakersAndTheirSizes) {
    const BassSetup setup = withSurroundSound();
    const QByteArray bytes = setupFileBytes(setup);
    EXPECT_TRUE(bytes.contains("sp2.z =  0.50\nsp2.size = large\nloudspeakers = c sl sr\nc.x = 1.35\n"
                               "c.y = 0.40\nc.z = 0.60\nc.size = large\nsl.x = 0.30\n"))
        << bytes.toStdString();
    EXPECT_FALSE(bytes.contains("sp1.size"));
    EXPECT_EQ(parseSetupFile(bytes), setup);
    EXPECT_EQ(roomFileLosses(setup),
              "センターなどのスピーカー 3 台、ラージのスピーカー、サブウーファー 2 台、"
              "聴取位置のほかの座席 2 席、クロスオーバー");
    BassSetup centreOnly = twoSubwoofersThreeSeats('.');
    centreOnly = withLoudspeaker(centreOnly, {LoudspeakerRole::Centre}, {"1.35", "0.40", "0.60"});
    EXPECT_EQ(roomFileLosses(centreOnly).rfind("センター、", 0), 0u);
}

TEST(SetupFile, RefusesLoudspeakersItCannotPlaceNamingTheLine) {
    const QByteArray good = setupFileBytes(withSurroundSound());
    const struct {
        QByteArray from, to, expected;
        bool atItsLine; // the message names the line of `to`
    } damages[] = {
        {"loudspeakers = c sl sr", "loudspeakers = c sl sr sx", "c、sl、sr、sbl、sbr です: sx", true},
        {"loudspeakers = c sl sr", "loudspeakers = c sl sp1", "c、sl、sr、sbl、sbr です: sp1", true},
        {"loudspeakers = c sl sr", "loudspeakers = c sl sl", "c sl sr sbl sbr の順に一度ずつです", true},
        {"loudspeakers = c sl sr", "loudspeakers = c sr sl", "c sl sr sbl sbr の順に一度ずつです", true},
        {"loudspeakers = c sl sr", "loudspeakers = ", "loudspeakers にスピーカーがありません", true},
        {"loudspeakers = c sl sr", "loudspeakers = c sl", "知らない名前 sr.", false},
        {"loudspeakers = c sl sr", "loudspeakers = c sl sr sbl", "sbl.x がありません", false},
        {"c.size = large", "c.size = big", "c.size は large か small です", true},
        {"c.size = large", "sbr.size = large", "知らない名前 sbr.size", true},
        {"sl.x = 0.30", "sl.x = 2.75", "sl が部屋の外にあります", true},
    };
    for (const auto& d : damages) {
        ASSERT_TRUE(good.contains(d.from)) << d.from.toStdString();
        const QByteArray damaged = QByteArray(good).replace(d.from, d.to);
        const std::string error = errorOf([&] { parseSetupFile(damaged); });
        EXPECT_TRUE(error.starts_with("セットアップファイルとして読み込めません。")) << error;
        EXPECT_NE(error.find(d.expected.toStdString()), std::string::npos) << error;
        const std::string line = std::to_string(good.first(good.indexOf(d.from)).count('\n') + 1) + " 行目: ";
        EXPECT_EQ(error.find(line) != std::string::npos, d.atItsLine) << error;
    }
}

} // namespace
} // namespace kolmarin
