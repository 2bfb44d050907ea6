// kolmarin2-cli with subwoofers and seats: without them every figure is the chart's own,
// a setup file gives what its room file and options give, and the optimiser's best
// configuration, written out, has the figures its row promised.
#include "files/setup_file.h"
#include "model/acoustics/spread.h"
#include "test_support.h"

#include <QProcess>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace kolmarin {
namespace {

QByteArray cli(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(KOLMARIN_CLI_PATH), arguments);
    process.waitForFinished(-1);
    EXPECT_EQ(process.exitCode(), 0) << arguments.join(' ').toStdString()
                                     << process.readAllStandardError().toStdString();
    return process.readAllStandardOutput();
}

const QStringList kSeatsAndSubwoofer{"--seat", "0.86,2.90,1.0",        "--seat",      "1.86,3.40,1.0",
                                     "--sub",  "0.3,0.3,0.3,-3,2.5,-", "--crossover", "80"};

TEST(SeatsCli, WithoutSubwoofersTheListenersSpreadIsTheChartsOwn) {
    const QString room = test::fixturePath("startup_room.dtr");
    const QList<QByteArray> rows = cli({"seats", room, "--band", "20-200", "--csv"}).split('\n');
    ASSERT_GE(rows.size(), 3);
    EXPECT_EQ(rows[0], "seat,x_m,y_m,z_m,spread_db,mean_db");
    char expected[64];
    std::snprintf(expected, sizeof expected, ",%.6f,",
                  *spreadOf(readCalculationScene(startupSceneTexts(), '.', nullptr), {20, 200}));
    EXPECT_TRUE(rows[1].startsWith("1,1.36,2.90,1.01")) << rows[1].toStdString();
    EXPECT_TRUE(rows[1].contains(expected)) << rows[1].toStdString() << " " << expected;
    EXPECT_TRUE(rows[2].startsWith("all,,,,0.000000,")) << rows[2].toStdString();
    EXPECT_EQ(cli({"response", room, "--seat", "1", "--csv"}), cli({"response", room, "--csv"}));
}

TEST(SeatsCli, ASetupFileGivesWhatItsRoomFileAndOptionsGive) {
    QTemporaryDir dir;
    const QString room = test::fixturePath("startup_room.dtr"), setup = dir.filePath("a.k2s");
    cli(QStringList{"setup", room} + kSeatsAndSubwoofer + QStringList{"-o", setup});
    for (const QStringList& command :
         {QStringList{"seats", "--csv", "--subs-only"}, QStringList{"response", "--seat", "3", "--csv"}})
        EXPECT_EQ(cli(command + QStringList{setup}), cli(command + QStringList{room} + kSeatsAndSubwoofer))
            << command.join(' ').toStdString();
}

TEST(SeatsCli, HeadersSayWhichSeatAndWhichSourcesTheyHold) {
    const QStringList setup =
        QStringList{"response", test::fixturePath("startup_room.dtr")} + kSeatsAndSubwoofer;
    const QByteArray text = cli(setup + QStringList{"--seat", "1", "--subs-only", "--text"});
    EXPECT_FALSE(text.contains("Total at the listener"));
    EXPECT_TRUE(text.startsWith("* Kolmarin2: Total of SW1 (subwoofers only) at seat 1 (the listener) of 3, "
                                "crossover 80 Hz, simulated\n"))
        << text.left(120).toStdString();
    const QStringList header = test::cp932Lines(cli(setup + QStringList{"--seat", "2"})).mid(0, 14);
    EXPECT_TRUE(header[4].startsWith("座席 2 の位置：左から 0.86m")) << header[4].toStdString();
    EXPECT_EQ(header[7],
              "Sw1音源位置：左から 0.30m、前から 0.30m、床から 0.30m、レベル-3.0dB、遅延2.50ms、極性逆");
    EXPECT_EQ(header.mid(9, 3),
              (QStringList{"クロスオーバー：80Hz (Sp1、Sp2は高域、Swは低域)",
                           "座席：座席2 (全3席、座席1が聴取位置)", "Totalの音源：SP1+SP2+SW1"}));
}

TEST(SeatsCli, TheBestConfigurationWrittenOutHasItsRowsFigures) {
    QTemporaryDir dir;
    const QString candidates = dir.filePath("candidates.txt"), best = dir.filePath("best.k2s");
    const QString settings = dir.filePath("best.csv");
    test::writeBytes(candidates, "0.3 0.3 0.3\n2.4 2.25 0.3\n\n1.35 4.2 0.3\n");
    const QList<QByteArray> rows =
        cli(QStringList{"subs", test::fixturePath("startup_room.dtr"), "--count", "2", "--candidates",
                        candidates, "--top", "2", "--csv", "--eq", "2", "-o", best, "--export", settings} +
            kSeatsAndSubwoofer)
            .split('\n');
    ASSERT_EQ(rows.size(), 4); // header, two rows, and the end of the last line
    EXPECT_TRUE(rows[0].startsWith("rank,variation_db,seat1_spread_db,mean_db,sw1_x,sw1_y,sw1_z,sw1_level_db,"
                                   "sw1_delay_ms,sw1_polarity,sw2_x"));
    // The best setup's own calculation, its EQ included, gives the row's figures.
    const QList<QByteArray> first = rows[1].split(',');
    const QList<QByteArray> all = cli({"seats", best, "--csv"}).trimmed().split('\n').last().split(',');
    ASSERT_EQ(all.size(), 6);
    EXPECT_NEAR(all[4].toDouble(), first[1].toDouble(), 0.01); // the variation
    EXPECT_NEAR(all[5].toDouble(), first[3].toDouble(), 0.01); // the mean level

    // The settings exported for a processor, read back, are the best setup's.
    const BassSetup bestSetup = readSetupFile(best, '.');
    const std::vector<SubwooferSignal>& written = bestSetup.subwoofers;
    const QList<QByteArray> lines = test::readBytes(settings).trimmed().split('\n');
    ASSERT_FALSE(bestSetup.subwooferEq.empty());
    ASSERT_EQ(lines.size(), 1 + written.size() + bestSetup.subwooferEq.size());
    for (std::size_t i = 0; i < bestSetup.subwooferEq.size(); ++i) {
        const QList<QByteArray> f = lines[static_cast<qsizetype>(1 + written.size() + i)].split(',');
        const PeakingFilter& e = bestSetup.subwooferEq[i];
        EXPECT_EQ(f[0], "filter");
        EXPECT_NEAR(f[6].toDouble(), e.frequencyHz, 1e-9);
        EXPECT_NEAR(f[7].toDouble(), e.gainDb, 1e-9);
        EXPECT_NEAR(f[8].toDouble(), e.q, 1e-9);
    }
    for (std::size_t i = 0; i < written.size(); ++i) {
        const QList<QByteArray> f = lines[static_cast<qsizetype>(i) + 1].split(',');
        ASSERT_EQ(f.size(), 9);
        EXPECT_EQ(f[0], "subwoofer");
        EXPECT_NEAR(f[2].toDouble(), written[i].levelDb, 0.005);
        EXPECT_NEAR(f[3].toDouble(), written[i].delayMs, 0.0005);
        EXPECT_NEAR(f[4].toDouble(), written[i].delayMs * 0.344, 0.00005);
        EXPECT_EQ(f[5], written[i].reversed ? "-" : "+");
    }
}

// A setup file is read wherever a room file is, its subwoofers and crossover playing: one
// without them gives the room file's output, one with them another.
TEST(SeatsCli, DecayMapPlaceAndModesTakeASetupFile) {
    QTemporaryDir dir;
    const QString room = dir.filePath("quick.dtr"), plain = dir.filePath("plain.k2s"),
                  setup = dir.filePath("quick.k2s"), best = dir.filePath("best.k2s");
    QByteArray bytes = test::fixture("startup_room.dtr");
    bytes.replace("\r\n30\r\n20\r\n500\r\n", "\r\n2\r\n20\r\n500\r\n");
    test::writeBytes(room, bytes);
    cli({"setup", room, "-o", plain});
    cli(QStringList{"setup", room} + kSeatsAndSubwoofer + QStringList{"-o", setup});
    // A mode's decay is the walls' alone: the sources change nothing in the mode list.
    const struct {
        QStringList command;
        bool sourcesMatter;
    } commands[]{{{"decay", "--csv", "--band", "30-40"}, true},
                 {{"modes", "--decay"}, false},
                 {{"map", "--csv", "--step", "0.5"}, true},
                 {{"place", "--layout", "listener", "--top", "2"}, true}};
    for (const auto& [command, sourcesMatter] : commands) {
        const QByteArray fromRoom = cli(command + QStringList{room});
        EXPECT_EQ(cli(command + QStringList{plain}), fromRoom) << command.join(' ').toStdString();
        EXPECT_EQ(cli(command + QStringList{setup}) != fromRoom, sourcesMatter)
            << command.join(' ').toStdString();
    }
    EXPECT_EQ(cli({"decay", setup, "--seat", "1"}), cli({"decay", setup}));
    EXPECT_NE(cli({"decay", setup, "--seat", "3"}), cli({"decay", setup}));
    // The best placement of a setup is written as a setup, its subwoofer and crossover kept.
    cli({"place", setup, "--layout", "listener", "--top", "1", "-o", best});
    const BassSetup written = readSetupFile(best);
    EXPECT_EQ(written.subwoofers.size(), 1u);
    EXPECT_EQ(written.crossover, 80);
}

// The seats move as one group, their middle on the centre line, ranked by the objective
// over them all; the best placement written out moves every seat.
TEST(SeatsCli, PlaceMovesTheSeatsTogetherOnTheCentreLine) {
    QTemporaryDir dir;
    const QString room = dir.filePath("quick.dtr"), setup = dir.filePath("seats.k2s"),
                  best = dir.filePath("best.k2s");
    QByteArray bytes = test::fixture("startup_room.dtr");
    bytes.replace("\r\n30\r\n20\r\n500\r\n", "\r\n2\r\n20\r\n500\r\n");
    test::writeBytes(room, bytes);
    // The listener at 1.36, 2.90; the seats 0.50 m left and 0.70 m right of it.
    cli({"setup", room, "--seat", "0.86,2.90,1.0", "--seat", "2.06,3.40,1.0", "-o", setup});
    const QStringList place{"place", setup, "--layout", "seats", "--centre-line", "--top", "3"};
    const QList<QByteArray> lines = cli(place + QStringList{"--csv", "-o", best}).trimmed().split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "rank,sp1_x,sp1_y,sp2_x,sp2_y,listener_x,listener_y,seats_db,variation_db,target_db,"
                        "spread_db,angle_deg,distance_m");
    double previous = 0;
    for (qsizetype row = 1; row < lines.size(); ++row) {
        const QList<QByteArray> cells = lines[row].split(',');
        ASSERT_EQ(cells.size(), 13);
        EXPECT_EQ(cells.mid(1, 4), (QList<QByteArray>{"0.45", "0.70", "2.25", "0.70"}));
        const double x = cells[5].toDouble();
        EXPECT_NEAR((x + (x - 0.50) + (x + 0.70)) / 3, 1.35, 0.01) << lines[row].toStdString();
        EXPECT_NEAR(cells[7].toDouble(), cells[8].toDouble() + cells[9].toDouble(), 2e-6);
        EXPECT_GE(cells[7].toDouble(), previous);
        previous = cells[7].toDouble();
    }
    const QList<QByteArray> first = lines[1].split(',');
    const BassSetup written = readSetupFile(best);
    ASSERT_EQ(written.texts.seats.size(), 3u);
    const double x = first[5].toDouble(), y = first[6].toDouble();
    const double expected[][2]{{x, y}, {x - 0.50, y}, {x + 0.70, y + 0.50}};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(std::stod(written.texts.seats[i].x), expected[i][0], 1e-9) << i;
        EXPECT_NEAR(std::stod(written.texts.seats[i].y), expected[i][1], 1e-9) << i;
    }
    EXPECT_TRUE(cli(place).startsWith("順位は全座席の評価 = 座席間のばらつき + 目標カーブ"));
}

// --speaker places a centre or surround (or moves one a file has) and sizes any main
// loudspeaker; a malformed one is a usage error, one the setup cannot take a failure.
TEST(SeatsCli, SpeakerPlacesAndSizesMainLoudspeakersAndRefusesWhatItCannot) {
    QTemporaryDir dir;
    const QString room = test::fixturePath("startup_room.dtr"), setup = dir.filePath("a.k2s"),
                  resized = dir.filePath("b.k2s");
    const QStringList speakers{"--speaker", "sl:0.3,3.6,1.1", "--speaker", "C:1.35,0.4,0.6:large",
                               "--speaker", "sp2:large"};
    cli(QStringList{"setup", room} + speakers + kSeatsAndSubwoofer + QStringList{"-o", setup});
    const BassSetup written = readSetupFile(setup);
    EXPECT_EQ(sourceLabels(written), (std::vector<std::string>{"SP1", "SP2", "C", "SL", "SW1"}));
    EXPECT_EQ(written.loudspeakers[1].large, true);
    EXPECT_EQ(written.loudspeakers[2].large, true);
    EXPECT_EQ(written.loudspeakers[3].large, false);
    EXPECT_EQ(cli({"seats", setup, "--csv"}),
              cli(QStringList{"seats", room, "--csv"} + speakers + kSeatsAndSubwoofer));
    EXPECT_TRUE(cli({"response", setup, "--seat", "1", "--text"})
                    .startsWith("* Kolmarin2: Total of SP1+SP2+C+SL+SW1 at seat 1"));
    cli({"setup", setup, "--speaker", "c:small", "-o", resized});
    EXPECT_FALSE(readSetupFile(resized).loudspeakers[2].large);

    const struct {
        QStringList arguments;
        int exitCode;
        const char* expected;
    } refused[]{
        {{"--speaker", "c"}, 2, "--speaker は"},
        {{"--speaker", "x:1,1,1"}, 2, "--speaker は"},
        {{"--speaker", "sp1:1,1,1"}, 2, "--speaker は"},
        {{"--speaker", "c:1,1,1:huge"}, 2, "--speaker は"},
        {{"--speaker", "c:1,1"}, 2, "--speaker は"},
        {{"--speaker", "sl:1,1,1", "--speaker", "sl:large"}, 2, "--speaker sl が二度あります"},
        {{"--speaker", "c:large"}, 1, "センター がファイルにありません"},
        {{"--speaker", "sbr:9,1,1"}, 1, "SBR (9.00, 1.00, 1.00 m) が部屋"},
    };
    for (const auto& r : refused) {
        QProcess process;
        process.start(QStringLiteral(KOLMARIN_CLI_PATH), QStringList{"seats", room} + r.arguments);
        process.waitForFinished(-1);
        const std::string name = r.arguments.join(' ').toStdString();
        EXPECT_EQ(process.exitCode(), r.exitCode) << name;
        EXPECT_TRUE(process.readAllStandardOutput().isEmpty()) << name;
        const QByteArray error = process.readAllStandardError();
        EXPECT_TRUE(error.contains(r.expected)) << name << ": " << error.toStdString();
    }
}

// The room, result and mode files keep CP932 with CR LF; every other output is UTF-8 with LF.
TEST(SeatsCli, OnlyTheRoomResultAndModeFilesAreCp932WithCrLf) {
    QTemporaryDir dir;
    const QString room = test::fixturePath("startup_room.dtr"), setup = dir.filePath("a.k2s");
    cli(QStringList{"setup", room} + kSeatsAndSubwoofer + QStringList{"-o", setup});
    const struct {
        QStringList arguments;
        bool cp932;
    } cases[]{{{"room"}, true},
              {{"response", room}, true},
              {{"response", setup, "--seat", "2"}, true},
              {{"modes", setup}, true},
              {{"response", room, "--csv"}, false},
              {{"response", room, "--text"}, false},
              {{"seats", setup}, false},
              {{"decay", setup}, false},
              {{"setup", room}, false}};
    for (const auto& c : cases) {
        const QByteArray out = cli(c.arguments);
        const std::string name = c.arguments.join(' ').toStdString();
        EXPECT_EQ(out.count("\r\n"), c.cp932 ? out.count('\n') : 0) << name;
        QStringDecoder utf8(QStringDecoder::Utf8);
        EXPECT_FALSE(QString(utf8.decode(out)).isEmpty()) << name;
        EXPECT_EQ(utf8.hasError(), c.cp932 && out.contains("\x82")) << name; // CP932 kana are no UTF-8
    }
}

} // namespace
} // namespace kolmarin
