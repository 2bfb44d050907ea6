// kolmarin2-cli as scripts use it: its files, its exit codes, and no output file on failure.
#include "files/curve_text.h"
#include "files/file_errors.h"
#include "files/result_file.h"
#include "files/room_file.h"
#include "model/acoustics/placement_search.h"
#include "model/errors.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kolmarin {
namespace {

struct CliRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

CliRun runCli(const QStringList& arguments, const char* locale = "C", const char* program = KOLMARIN_CLI_PATH,
              const QString& standardOutput = {}) {
    QProcess process;
    if (!standardOutput.isEmpty())
        process.setStandardOutputFile(standardOutput);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", locale);
    process.setProcessEnvironment(env);
    process.start(QString::fromUtf8(program), arguments);
    CliRun run;
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

class Cli : public ::testing::Test {
  protected:
    QString path(const char* name) const { return dir_.filePath(QString::fromUtf8(name)); }
    QTemporaryDir dir_;
};

TEST_F(Cli, RefusesABadCommandLineWithExitCode2) {
    const QString room = test::fixturePath("startup_room.dtr");
    const QList<QStringList> bad{
        {},
        {"respones", room},
        {"response", room, "-o"},
        {"response", room, room},
        {"response", room, "--cvs"},
        {"response", "--csv"},
        {"modes"},
        {"modes", ""},
        {"modes", room, "--csv"},
        {"room", room},
        {"room", "-o", "a.dtr", "-o", "b.dtr"},
        {"decay", room, "--band", "20-100"},
        {"map", room, "--csv", "--band", "20-100", "--band", "30-100"},
        {"place", room, "--layout", "listener", "--angle", "40-60"},
        {"response", room, "--delays", "exact"},
        {"room", "--delays", "continuous"},
    };
    for (const QStringList& arguments : bad) {
        const CliRun run = runCli(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(run.err.contains("使い方")) << run.err.toStdString();
    }
    const CliRun help = runCli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("kolmarin2-cli response ROOM.dtr"));
}

TEST_F(Cli, WritesTheRoomTemplateAndTheModeList) {
    const CliRun room = runCli({"room"});
    EXPECT_EQ(room.exitCode, 0);
    EXPECT_EQ(room.out, test::fixture("startup_room.dtr"));

    ASSERT_EQ(runCli({"room", "-o", path("部屋.dtr")}).exitCode, 0);
    EXPECT_EQ(test::readBytes(path("部屋.dtr")), test::fixture("startup_room.dtr"));

    const CliRun modes = runCli({"modes", path("部屋.dtr")});
    EXPECT_EQ(modes.exitCode, 0);
    EXPECT_EQ(modes.out, test::fixture("startup_modes.dat"));
}

TEST_F(Cli, WritesTheDecayTimesAndTheWaterfall) {
    const QString room = test::fixturePath("startup_room.dtr");
    const CliRun table = runCli({"decay", room});
    ASSERT_EQ(table.exitCode, 0) << table.err.constData();
    EXPECT_EQ(table.out.count('\n'), 12); // a title and the bands from 20 to 200 Hz
    const CliRun csv = runCli({"decay", room, "--csv", "--band", "30-40"});
    ASSERT_EQ(csv.exitCode, 0) << csv.err.constData();
    const QList<QByteArray> rows = csv.out.trimmed().split('\n');
    EXPECT_EQ(rows.front(), "time_ms,frequency_hz,level_db");
    EXPECT_EQ(rows.size(), 1 + 30 * 21); // 30 slices of 30.0 .. 40.0 Hz
    EXPECT_TRUE(rows[1].startsWith("0.000,30.0,"));
    EXPECT_TRUE(rows.back().startsWith("300.049,40.0,")); // the last slice starts on a whole sample
    const CliRun png = runCli({"decay", room, "--png", path("waterfall.png"), "--band", "30-120"});
    ASSERT_EQ(png.exitCode, 0) << png.err.constData();
    EXPECT_TRUE(test::readBytes(path("waterfall.png")).startsWith("\x89PNG"));

    // Only when asked does the mode list carry the decay times, as a sixth cell per row.
    const QList<QByteArray> plain = runCli({"modes", room}).out.split('\n');
    const QList<QByteArray> decay = runCli({"modes", room, "--decay"}).out.split('\n');
    ASSERT_EQ(decay.size(), plain.size());
    for (qsizetype i = 3; i + 1 < plain.size(); ++i)
        EXPECT_EQ(decay[i].size(), plain[i].size() + 14) << i;
}

TEST_F(Cli, WritesTheResultFileAndTheCsvOfARoom) {
    const CliRun result = runCli({"response", test::fixturePath("startup_room.dtr")});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, test::fixture("startup_result.dat"));

    const QString csvPath = path("levels.csv");
    ASSERT_EQ(runCli({"response", "--csv", test::fixturePath("startup_room.dtr"), "-o", csvPath}).exitCode,
              0);
    const QList<QByteArray> csv = test::readBytes(csvPath).split('\n');
    ASSERT_EQ(csv.size(), 1 + 961 + 1);
    EXPECT_EQ(csv[0], "frequency_hz,sp1_db,sp2_db,total_db");
    EXPECT_TRUE(csv.back().isEmpty());
    // Each CSV row holds the full values behind the result file's rounded row.
    const QStringList rows = test::cp932Lines(result.out).mid(10);
    for (qsizetype i : {qsizetype{0}, qsizetype{480}, qsizetype{960}}) {
        const QList<QByteArray> values = csv[i + 1].split(',');
        ASSERT_EQ(values.size(), 4);
        std::string expected;
        for (const QByteArray& v : values)
            expected += resultField(v.toDouble());
        EXPECT_EQ(QString::fromStdString(expected), rows[i]);
    }
    // The Total as a measurement program reads it, row for row with the CSV.
    const CliRun text = runCli({"response", test::fixturePath("startup_room.dtr"), "--text"});
    ASSERT_EQ(text.exitCode, 0);
    const std::vector<CurvePoint> total = parseCurveText(text.out, "out");
    ASSERT_EQ(total.size(), 961u);
    for (std::size_t i : {0u, 480u, 960u}) {
        const QList<QByteArray> values = csv[static_cast<qsizetype>(i) + 1].split(',');
        EXPECT_EQ(total[i].frequency, values[0].toDouble());
        EXPECT_NEAR(total[i].level, values[3].toDouble(), 5e-4);
    }
}

// Without --delays the whole-sample model's files stay as they were; the continuous model's
// choice goes into a setup file and comes back out of it.
TEST_F(Cli, ChoosesTheDelayModelAndKeepsItInASetupFile) {
    const QString room = test::fixturePath("startup_room.dtr"), setup = path("continuous.k2s");
    const QByteArray sample = runCli({"response", room, "--csv"}).out;
    EXPECT_EQ(runCli({"response", room, "--csv", "--delays", "sample"}).out, sample);
    const CliRun continuous = runCli({"response", room, "--csv", "--delays", "continuous"});
    ASSERT_EQ(continuous.exitCode, 0);
    EXPECT_NE(continuous.out, sample);
    ASSERT_EQ(runCli({"setup", room, "--delays", "continuous", "-o", setup}).exitCode, 0);
    EXPECT_TRUE(test::readBytes(setup).contains("\ndelays = continuous\n"));
    EXPECT_EQ(runCli({"response", setup, "--seat", "1", "--csv"}).out, continuous.out);
    EXPECT_EQ(runCli({"response", setup, "--seat", "1", "--csv", "--delays", "sample"}).out, sample);
}

TEST_F(Cli, WritesTheCorrectedConditionsAsTheWindowShowsThem) {
    QByteArray room = test::fixture("startup_room.dtr");
    room.replace("\r\n30\r\n20\r\n500\r\n", "\r\n250\r\n5\r\n800\r\n");
    test::writeBytes(path("corrected.dtr"), room);
    const CliRun run = runCli({"response", path("corrected.dtr")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList lines = test::cp932Lines(run.out);
    EXPECT_EQ(lines[7], "反射回数200回");
    ASSERT_EQ(lines.size(), 10 + 981);
    EXPECT_TRUE(lines[10].startsWith("      10.0"));
    EXPECT_TRUE(lines.back().startsWith("     500.0"));
}

TEST_F(Cli, ReadsItsOwnFilesInEveryLocale) {
    // What the tool writes in a comma locale reads back there and in a point locale, and
    // the same room with commas reads in the comma locale.
    ASSERT_EQ(runCli({"room", "-o", path("room.dtr")}, "de_DE.UTF-8").exitCode, 0);
    EXPECT_EQ(test::readBytes(path("room.dtr")), test::fixture("startup_room.dtr"));
    QByteArray room = test::fixture("startup_room.dtr");
    room.replace('.', ',');
    room.replace("Ver0,85", "Ver0.85");
    test::writeBytes(path("komma.dtr"), room);
    // The sizes are shown the locale's way and the frequencies are written so too.
    QByteArray expected = test::fixture("startup_modes.dat");
    expected.replace('.', ',').replace("Ver0,71", "Ver0.71");
    for (const char* file : {"room.dtr", "komma.dtr"}) {
        const CliRun result = runCli({"modes", path(file)}, "de_DE.UTF-8");
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        EXPECT_EQ(result.out, expected) << file;
    }
    EXPECT_EQ(runCli({"modes", path("room.dtr")}).out, test::fixture("startup_modes.dat"));
    // A point locale refuses the commas, saying which decimal mark it reads.
    EXPECT_EQ(
        runCli({"modes", path("komma.dtr")}).err,
        path("komma.dtr").toUtf8() +
            ": 2 行目 (奥行き): '4,50' は浮動小数点数ではありません。数値を書きます（小数点は「.」）\n");
}

TEST_F(Cli, FailsWithTheWindowsMessageAndLeavesTheOutputAlone) {
    test::writeBytes(path("old.dat"), "old contents\r\n");
    test::writeBytes(path("other.dtr"), "Kolmarin2 Ver0.84 room data\r\n");
    QByteArray badNumber = test::fixture("startup_room.dtr");
    badNumber.replace("2.70", "2.7O");
    test::writeBytes(path("bad.dtr"), badNumber);
    QByteArray negative = test::fixture("startup_room.dtr");
    negative.replace("\r\n2.70\r\n", "\r\n-3.6\r\n");
    test::writeBytes(path("negative.dtr"), negative);
    QByteArray badPosition = test::fixture("startup_room.dtr");
    badPosition.replace("1.36", QByteArray("1.3\0", 4));
    test::writeBytes(path("position.dtr"), badPosition);
    QByteArray noReflection = test::fixture("startup_room.dtr");
    noReflection.replace("\r\n30\r\n", "\r\n-1\r\n");
    test::writeBytes(path("count.dtr"), noReflection);
    test::writeBytes(path("short.dtr"), test::fixture("startup_room.dtr").left(59));

    struct Case {
        QString room;
        QByteArray message;
    };
    const QList<Case> cases{
        {path("other.dtr"), QByteArray(msg::kNotARoomFile) + "\n"},
        {path("missing.dtr"), QByteArray(msg::kFileNotFound) + "\n"},
        {path("bad.dtr"),
         "3 行目 (幅): '2.7O' は浮動小数点数ではありません。数値を書きます（小数点は「.」）\n"},
        {path("negative.dtr"), "部屋の幅は 0 より大きい値にしてください\n"},
        {path("position.dtr"),
         "11 行目 (聴取者 x): '1.3\\x00' は浮動小数点数ではありません。数値を書きます（小数点は「.」）\n"},
        {path("count.dtr"), QByteArray(msg::kNegativeReflectionCount) + "\n"},
        {path("short.dtr"),
         "7 行目 (右の壁の反射率): '' は浮動小数点数ではありません。数値を書きます（小数点は「.」）\n"},
    };
    for (const Case& c : cases) {
        for (const char* command : {"response", "modes"}) {
            for (const char* output : {"new.dat", "old.dat"}) {
                const CliRun run = runCli({command, c.room, "-o", path(output)});
                EXPECT_EQ(run.exitCode, 1) << command;
                EXPECT_EQ(run.err, c.room.toUtf8() + ": " + c.message) << command;
            }
        }
    }
    EXPECT_FALSE(QFile::exists(path("new.dat")));
    EXPECT_EQ(test::readBytes(path("old.dat")), "old contents\r\n");

    const CliRun noFolder = runCli({"room", "-o", path("gone/room.dtr")});
    EXPECT_EQ(noFolder.exitCode, 1);
    EXPECT_EQ(noFolder.err, path("gone/room.dtr").toUtf8() + ": " + msg::kFolderNotFound + "\n");
}

TEST_F(Cli, WritesToATerminalInItsEncoding) {
    // script(1) gives the tool a terminal; what it shows there is UTF-8 in a UTF-8 locale.
    const QString command = QStringLiteral("'%1' response '%2'; '%1' response '%3'")
                                .arg(QStringLiteral(KOLMARIN_CLI_PATH), test::fixturePath("startup_room.dtr"),
                                     path("missing.dtr"));
    const CliRun run = runCli({"-qec", command, "/dev/null"}, "C.UTF-8", "script");
    ASSERT_EQ(run.exitCode, 1) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith("定在波周波数特性計算Kolmarin2")) << run.out.left(40).toStdString();
    EXPECT_TRUE(run.out.contains(path("missing.dtr").toUtf8() + ": " + msg::kFileNotFound));
}

// The start-up room with two reflections per axis: maps and searches in moments.
QByteArray quickRoom() {
    QByteArray room = test::fixture("startup_room.dtr");
    room.replace("\r\n30\r\n20\r\n500\r\n", "\r\n2\r\n20\r\n500\r\n");
    return room;
}

TEST_F(Cli, RefusesBadMapAndPlacementOptions) {
    const QString room = test::fixturePath("startup_room.dtr");
    const QList<QStringList> bad{
        {"map", room},
        {"map", room, "--csv", "--band", "5-200"},
        {"map", room, "--csv", "--band", "200-100"},
        {"map", room, "--csv", "--band", "20-501"},
        {"map", room, "--csv", "--band", "20.5-200"},
        {"map", room, "--csv", "--step", "0.005"},
        {"map", room, "--csv", "--step", "1.5"},
        {"map", room, "--csv", "--step", "abc"},
        {"map", room, "--csv", "--vary", "sp1"},
        {"map", room, "--csv", "--top", "3"},
        {"map", "--csv"},
        {"place", room, "--layout", "mono"},
        {"place", room, "--top", "0"},
        {"place", room, "--step", "0.1"},
        {"place", room, "--band"},
        {"place", room, "--front", "0.5"},
        {"place", room, "--angle", "70-50"},
        {"place", room, "--clearance", "-1"},
        {"place", room, "--objective", "best"},
        {"map", room, "--csv", "--figure", "mean"},
        {"response", room, "--band", "20-200"},
    };
    for (const QStringList& arguments : bad) {
        const CliRun run = runCli(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("使い方")) << run.err.toStdString();
    }
}

TEST_F(Cli, WritesTheMapAsCsvRowByRowAndAsAnImage) {
    test::writeBytes(path("quick.dtr"), quickRoom());
    const CliRun run = runCli({"map", path("quick.dtr"), "--csv", "--step", "0.5", "--vary", "speakers"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QList<QByteArray> lines = run.out.split('\n');
    ASSERT_EQ(lines.size(), 1 + 5 * 9 + 1);
    EXPECT_EQ(lines[0], "x_m,y_m,spread_db");
    EXPECT_TRUE(lines[2].startsWith("0.7500,0.2500,")) << lines[2].toStdString();
    EXPECT_TRUE(lines[6].startsWith("0.2500,0.7500,")) << lines[6].toStdString();
    EXPECT_EQ(lines[1].split(',')[2].split('.')[1].size(), 6);

    // The area figure is another figure, and the grid the same.
    const CliRun area = runCli(
        {"map", path("quick.dtr"), "--csv", "--step", "0.5", "--vary", "speakers", "--figure", "area"});
    EXPECT_EQ(area.out.count('\n'), run.out.count('\n'));
    EXPECT_NE(area.out.split('\n')[12], lines[12]);

    ASSERT_EQ(runCli({"map", path("quick.dtr"), "--step", "0.5", "-o", path("map.png")}).exitCode, 0);
    EXPECT_TRUE(test::readBytes(path("map.png")).startsWith("\x89PNG\r\n"));
}

TEST_F(Cli, ListsPlacementsAndWritesTheBestAsARoomFile) {
    test::writeBytes(path("quick.dtr"), quickRoom());
    const CliRun run = runCli(
        {"place", path("quick.dtr"), "--layout", "listener", "--top", "3", "--csv", "-o", path("best.dtr")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QList<QByteArray> lines = run.out.split('\n');
    ASSERT_EQ(lines.size(), 1 + 3 + 1);
    EXPECT_EQ(lines[0], "rank,sp1_x,sp1_y,sp2_x,sp2_y,listener_x,listener_y,spread_db,robust_db,area_db,"
                        "angle_deg,distance_m");
    const QList<QByteArray> best = lines[1].split(',');
    ASSERT_EQ(best.size(), 12);
    EXPECT_EQ(best[1], "0.45");
    // The listener as a drag leaves it, the rest of the room as it was.
    const QStringList room = test::cp932Lines(test::readBytes(path("best.dtr")));
    const QStringList original = test::cp932Lines(quickRoom());
    EXPECT_EQ(room[10], QString::asprintf("%5.2f", best[5].toDouble()));
    EXPECT_EQ(room[11], QString::asprintf("%5.2f", best[6].toDouble()));
    EXPECT_EQ(room.mid(0, 10), original.mid(0, 10));
    EXPECT_EQ(room.mid(12), original.mid(12));

    const CliRun table = runCli({"place", path("quick.dtr"), "--top", "2"});
    EXPECT_EQ(table.exitCode, 0);
    EXPECT_EQ(table.out.count('\n'), 4);
}

TEST_F(Cli, PlacementCsvHoldsEachOfTheLibrarysFiguresInItsOwnColumn) {
    test::writeBytes(path("quick.dtr"), quickRoom());
    const CliRun run = runCli(
        {"place", path("quick.dtr"), "--layout", "listener", "--top", "4", "--distance", "0.5-1.5", "--csv"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    SearchOptions options;
    options.layout = Layout::Seats;
    options.top = 4;
    options.constraints.distanceFarthest = 1.5;
    const SearchResult result =
        searchPlacements(readCalculationScene(readRoomFile(path("quick.dtr")), '.', nullptr), options);
    const QList<QByteArray> lines = run.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 1 + result.best.size());
    for (std::size_t i = 0; i < result.best.size(); ++i) {
        const Placement& p = result.best[i];
        const double expected[] = {static_cast<double>(i + 1),
                                   p.sp1.x,
                                   p.sp1.y,
                                   p.sp2.x,
                                   p.sp2.y,
                                   p.listener.x,
                                   p.listener.y,
                                   p.spread,
                                   p.robust,
                                   p.area,
                                   p.angle,
                                   p.distance};
        const QList<QByteArray> cells = lines[static_cast<qsizetype>(i) + 1].split(',');
        ASSERT_EQ(cells.size(), std::size(expected));
        for (qsizetype k = 0; k < cells.size(); ++k)
            EXPECT_NEAR(cells[k].toDouble(), expected[k], 5e-7) << "row " << i << " column " << k;
        EXPECT_LE(p.distance, 1.5 + 1e-9);
    }
    // Ranked by the point spread when asked.
    const QList<QByteArray> point = runCli({"place", path("quick.dtr"), "--layout", "listener", "--objective",
                                            "point", "--top", "3", "--distance", "0.5-1.5", "--csv"})
                                        .out.split('\n');
    ASSERT_GE(point.size(), 4);
    EXPECT_LE(point[1].split(',')[7].toDouble(), point[2].split(',')[7].toDouble());
    EXPECT_LT(point[1].split(',')[7].toDouble(), lines[1].split(',')[7].toDouble());
}

TEST_F(Cli, MapAndPlacementRefuseMarkersOutsideTheRoom) {
    QByteArray outside = quickRoom();
    outside.replace("\r\n1.36\r\n2.90\r\n", "\r\n3.50\r\n6.00\r\n");
    ASSERT_TRUE(outside.contains("3.50"));
    test::writeBytes(path("outside.dtr"), outside);
    for (const char* command : {"map", "place"}) {
        const CliRun run = runCli({command, path("outside.dtr"), "--csv"});
        EXPECT_EQ(run.exitCode, 1) << command;
        EXPECT_TRUE(run.err.contains("聴取位置 (3.50, 6.00, 1.01 m) が部屋")) << run.err.toStdString();
    }
}

TEST_F(Cli, APlacementWhoseListCannotBeWrittenWritesNoRoomFile) {
    test::writeBytes(path("quick.dtr"), quickRoom());
    const CliRun run = runCli({"place", path("quick.dtr"), "--layout", "listener", "-o", path("best.dtr")},
                              "C", KOLMARIN_CLI_PATH, QStringLiteral("/dev/full"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(msg::kDiskFull)) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(path("best.dtr")));
}

TEST_F(Cli, ARunOfMoreThanAMinuteSaysSoAndShowsItsProgress) {
    QByteArray slow = test::fixture("startup_room.dtr");
    slow.replace("\r\n30\r\n20\r\n500\r\n", "\r\n200\r\n20\r\n500\r\n");
    test::writeBytes(path("slow.dtr"), slow);
    QProcess process;
    process.start(QStringLiteral(KOLMARIN_CLI_PATH), {"map", path("slow.dtr"), "--csv", "--step", "0.01"});
    QByteArray err;
    for (int waited = 0; waited < 60 && !err.contains("残り"); ++waited) {
        process.waitForReadyRead(1000);
        err += process.readAllStandardError();
    }
    process.kill();
    process.waitForFinished();
    // The estimate's unit (minutes or hours) depends on the machine's speed.
    EXPECT_TRUE(err.contains("見積もりの時間は約 ") && err.contains("で、1 分を超えます"))
        << err.toStdString();
    EXPECT_TRUE(err.contains("残り約 ")) << err.toStdString();
}

TEST_F(Cli, AnOverflowSaysWhatOverflowedOnTheLineAfterItsMessage) {
    QByteArray loud = test::fixture("startup_room.dtr");
    loud.replace("\r\n0.8\r\n0.8\r\n", "\r\n0.8\r\n1e20\r\n"); // the left wall
    loud.replace("\r\n30\r\n20\r\n500\r\n", "\r\n40\r\n20\r\n500\r\n");
    test::writeBytes(path("loud.dtr"), loud);
    const CliRun run = runCli({"response", path("loud.dtr"), "-o", path("result.dat")});
    EXPECT_EQ(run.exitCode, 1);
    QList<QByteArray> lines = run.err.split('\n');
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines.takeLast(), "");
    // After the amplifying surface's warning, the fixed message, then what overflowed.
    EXPECT_EQ(lines[lines.size() - 2], path("loud.dtr").toUtf8() + ": " + msg::kOverflow);
    EXPECT_TRUE(lines.last().startsWith("左の壁 (反射率 1E20) で 20 回反射した像の重み"))
        << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(path("result.dat")));
}

TEST_F(Cli, APlacementSearchSaysWhenALargeRoomCoarsensItsGrid) {
    QByteArray large = quickRoom();
    large.replace("\r\n4.50\r\n2.70\r\n", "\r\n40.00\r\n40.00\r\n");
    test::writeBytes(path("large.dtr"), large);
    const CliRun run =
        runCli({"place", path("large.dtr"), "--layout", "listener", "--objective", "point", "--top", "1"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("kolmarin2-cli: 部屋が大きいため、探索の格子を 100 cm に粗くしました\n"))
        << run.err.toStdString();
    // A listening room's grid is the layout's own: nothing is said.
    test::writeBytes(path("quick.dtr"), quickRoom());
    const CliRun quick = runCli({"place", path("quick.dtr"), "--layout", "listener", "--top", "1"});
    ASSERT_EQ(quick.exitCode, 0);
    EXPECT_FALSE(quick.err.contains("格子")) << quick.err.toStdString();
}

TEST_F(Cli, MapAndPlacementFailuresLeaveNoFile) {
    QByteArray negative = quickRoom();
    negative.replace("\r\n2.70\r\n", "\r\n-3.6\r\n");
    test::writeBytes(path("negative.dtr"), negative);
    for (const QStringList& arguments :
         {QStringList{"place", path("negative.dtr"), "-o", path("best.dtr")},
          QStringList{"map", path("negative.dtr"), "-o", path("map.png")},
          QStringList{"map", path("missing.dtr"), "--csv", "-o", path("map.csv")}}) {
        const CliRun run = runCli(arguments);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.startsWith(arguments[1].toUtf8() + ": ")) << run.err.toStdString();
    }
    // A room too narrow for the wall clearances has no placement at all.
    QByteArray narrow = quickRoom();
    narrow.replace("\r\n2.70\r\n", "\r\n0.50\r\n");
    test::writeBytes(path("narrow.dtr"), narrow);
    EXPECT_EQ(runCli({"place", path("narrow.dtr"), "-o", path("best.dtr")}).exitCode, 1);
    EXPECT_TRUE(QDir(dir_.path()).entryList({"best*", "map*"}).isEmpty());
}

TEST_F(Cli, DrawsTheChartWithTheProgramBesideIt) {
    ASSERT_EQ(
        runCli({"response", test::fixturePath("startup_room.dtr"), "--png", path("chart.png")}).exitCode, 0);
    EXPECT_TRUE(test::readBytes(path("chart.png")).startsWith("\x89PNG\r\n"));
    // The program's message and exit code come through; no image is written.
    const CliRun missing = runCli({"response", path("gone.dtr"), "--png", path("gone.png")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains(msg::kFileNotFound)) << missing.err.toStdString();
    EXPECT_FALSE(QFile::exists(path("gone.png")));
    EXPECT_EQ(
        runCli({"response", test::fixturePath("startup_room.dtr"), "--png", path("a.png"), "--csv"}).exitCode,
        2);
}

TEST_F(Cli, WritesTheReportOfASetupAsAPdfOfOneOrTwoPages) {
    ASSERT_EQ(runCli({"setup", test::fixturePath("startup_room.dtr"), "--sub", "0.3,0.3,0.3,-3,2.5,-",
                      "--seat", "1.8,3.4,1.0", "--crossover", "80", "-o", path("a.k2s")})
                  .exitCode,
              0);
    const CliRun run = runCli({"report", path("a.k2s"), "-o", path("report.pdf")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QByteArray pdf = test::readBytes(path("report.pdf"));
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    const auto pages = QString::fromLatin1(pdf).count(QRegularExpression("/Type\\s*/Page(?![a-zA-Z])"));
    EXPECT_TRUE(pages == 1 || pages == 2) << pages;
    EXPECT_EQ(runCli({"report", path("a.k2s")}).exitCode, 2); // no -o
    EXPECT_EQ(runCli({"report", path("gone.k2s"), "-o", path("gone.pdf")}).exitCode, 1);
    EXPECT_FALSE(QFile::exists(path("gone.pdf")));
}

TEST_F(Cli, NeverWritesOverItsOwnRoomFile) {
    const QByteArray room = test::fixture("startup_room.dtr");
    test::writeBytes(path("room.dtr"), room);
    ASSERT_TRUE(QFile::link(path("room.dtr"), path("link.dtr")));
    for (const QStringList& arguments :
         {QStringList{"response", path("room.dtr"), "-o", path("link.dtr")},
          QStringList{"modes", path("link.dtr"), "-o", dir_.path() + "/./room.dtr"},
          QStringList{"response", path("room.dtr"), "--png", path("link.dtr")}}) {
        const CliRun run = runCli(arguments);
        EXPECT_EQ(run.exitCode, 1) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("同じファイル")) << run.err.toStdString();
    }
    EXPECT_EQ(test::readBytes(path("room.dtr")), room);
}

TEST_F(Cli, NeverWritesOverAnyFileItReadsNorLetsQtReadItsArguments) {
    test::writeBytes(path("room.dtr"), quickRoom());
    test::writeBytes(path("c.txt"), "0.30 0.30 0.30\n");
    const CliRun subs = runCli(
        {"subs", path("room.dtr"), "--count", "1", "--candidates", path("c.txt"), "-o", path("c.txt")});
    EXPECT_EQ(subs.exitCode, 1);
    EXPECT_TRUE(subs.err.contains("同じファイル")) << subs.err.toStdString();
    EXPECT_EQ(test::readBytes(path("c.txt")), "0.30 0.30 0.30\n");
    const QByteArray app = QFile::encodeName(QFileInfo(KOLMARIN_CLI_PATH).dir().filePath("../app/kolmarin2"));
    const CliRun chart = runCli({"--chart-png", path("room.dtr"), path("room.dtr")}, "C", app.constData());
    EXPECT_EQ(chart.exitCode, 1);
    EXPECT_EQ(test::readBytes(path("room.dtr")), quickRoom());
    // Named like Qt's options, the output is still the tool's file.
    QProcess map;
    map.setWorkingDirectory(dir_.path());
    map.start(KOLMARIN_CLI_PATH, {"map", path("room.dtr"), "-o", "-platform", "--step", "0.5"});
    ASSERT_TRUE(map.waitForFinished(-1));
    EXPECT_EQ(map.exitCode(), 0) << map.readAllStandardError().toStdString();
    EXPECT_TRUE(test::readBytes(path("-platform")).startsWith("\x89PNG"));
}

// What a processor cannot be set to, or an objective that means nothing, is refused before
// any calculation, naming the value; a target curve file is read as the target.
TEST_F(Cli, SubsRefusesLimitsOutOfRangeAndReadsATargetFile) {
    test::writeBytes(path("room.dtr"), quickRoom());
    test::writeBytes(path("c.txt"), "0.30 0.30 0.30\n2.40 4.20 0.30\n");
    const QStringList subs{"subs", path("room.dtr"), "--count", "1", "--candidates", path("c.txt")};
    const std::pair<QStringList, const char*> refused[]{
        {{"--eq", "7"}, "--eq は 0 から 6"},
        {{"--max-delay", "25"}, "--max-delay は 0 から 20"},
        {{"--boost-max", "-1"}, "--boost-max は 0 から 6"},
        {{"--weights", "0,0"}, "--weights は V,T"},
        {{"--objective", "loudest"}, "--objective は combined か variation"},
        {{"--target", "house:30@60"}, "--target:"}};
    for (const auto& [options, message] : refused) {
        const CliRun run = runCli(subs + options);
        EXPECT_EQ(run.exitCode, 2) << options.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(message)) << run.err.toStdString();
    }
    test::writeBytes(path("target.txt"), "20 6\n60 0\n200 0\n");
    const CliRun own = runCli(subs + QStringList{"--target", path("target.txt"), "--csv"});
    EXPECT_EQ(own.exitCode, 0) << own.err.toStdString();
    EXPECT_NE(own.out, runCli(subs + QStringList{"--csv"}).out); // the target changes the figures
}

// More candidates than the optimiser calculates are thinned and said so; a room too large
// for the default candidates says why instead of "too few".
TEST_F(Cli, SubsSaysWhenItThinsTheCandidatesAndWhyARoomHasNone) {
    test::writeBytes(path("room.dtr"), quickRoom());
    QByteArray candidates;
    for (int i = 0; i < 300; ++i)
        candidates += "0.30 " + QByteArray::number(0.3 + 0.007 * i, 'f', 3) + " 0.30\n";
    test::writeBytes(path("c.txt"), candidates);
    const CliRun thinned = runCli({"subs", path("room.dtr"), "--count", "1", "--candidates", path("c.txt")});
    EXPECT_EQ(thinned.exitCode, 0) << thinned.err.toStdString();
    EXPECT_TRUE(thinned.err.contains("300 個から等間隔に")) << thinned.err.toStdString();
    test::writeBytes(path("huge.dtr"), quickRoom().replace("\r\n4.50\r\n", "\r\n100000\r\n"));
    const CliRun huge = runCli({"subs", path("huge.dtr"), "--count", "1"});
    EXPECT_EQ(huge.exitCode, 1);
    EXPECT_TRUE(huge.err.contains("1000 m を超える")) << huge.err.toStdString();
}

TEST_F(Cli, WarnsOfASurfaceThatAmplifies) {
    test::writeBytes(path("loud.dtr"), quickRoom().replace("\r\n0.85\r\n", "\r\n1.25\r\n"));
    const CliRun run = runCli({"response", path("loud.dtr"), "--csv"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.err.contains("前の壁の反射率 1.25 は 1 を超える")) << run.err.toStdString();
}

TEST_F(Cli, RefusesTheMapOfAHugeRoomInLittleMemory) {
    QByteArray room = quickRoom();
    room.replace("\r\n4.50\r\n2.70\r\n", "\r\n3000\r\n3000\r\n");
    test::writeBytes(path("huge.dtr"), room);
    const QByteArray program = KOLMARIN_CLI_PATH, file = QFile::encodeName(path("huge.dtr"));
    const QByteArray errors = QFile::encodeName(path("errors.txt"));
    // Run directly, so that wait4 tells this run's peak memory alone.
    const pid_t child = fork();
    if (child == 0) {
        const int err = open(errors.constData(), O_WRONLY | O_CREAT, 0600);
        dup2(err, 2);
        execl(program.constData(), program.constData(), "map", file.constData(), "--csv", nullptr);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    ASSERT_EQ(wait4(child, &status, 0, &usage), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
#ifndef __SANITIZE_ADDRESS__                // whose run time alone takes tens of megabytes
    EXPECT_LT(usage.ru_maxrss, 100 * 1024); // kilobytes
#endif
    const QByteArray message = test::readBytes(path("errors.txt"));
    EXPECT_TRUE(message.contains("250000") && message.contains("--step")) << message.toStdString();
}

TEST_F(Cli, KeepsThePlainListingOfTheStartupScene) {
    const CliRun run = runCli({"response"});
    EXPECT_EQ(run.exitCode, 0);
    const QList<QByteArray> lines = run.out.split('\n');
    ASSERT_EQ(lines.size(), 961 + 1);
    EXPECT_EQ(lines[0], "20.0 11.53 11.50 17.53");
    EXPECT_TRUE(lines[960].startsWith("500.0 "));
}

} // namespace
} // namespace kolmarin
