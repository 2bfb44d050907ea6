// kolmarin2-cli as scripts use it: its files, its exit codes, and no output file on failure.
#include "files/file_errors.h"
#include "files/result_file.h"
#include "test_support.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kolmarin {
namespace {

struct CliRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

CliRun runCli(const QStringList& arguments, const char* locale = "C",
              const char* program = KOLMARIN_CLI_PATH) {
    QProcess process;
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

TEST_F(Cli, ReadsNumbersWithTheDecimalSeparatorOfTheLocale) {
    // The point-separated start-up room fails in a comma locale at the first value read
    // (depth), exactly as the window would report it.
    const QString startupRoom = test::fixturePath("startup_room.dtr");
    const CliRun refused = runCli({"response", startupRoom}, "de_DE.UTF-8");
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, startupRoom.toUtf8() + ": '4.50' は浮動小数点数ではありません\n");

    QByteArray room = test::fixture("startup_room.dtr");
    room.replace('.', ',');
    room.replace("Ver0,85", "Ver0.85");
    test::writeBytes(path("komma.dtr"), room);
    const CliRun result = runCli({"modes", path("komma.dtr")}, "de_DE.UTF-8");
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    // The sizes stand as typed and the frequencies are written the locale's way too.
    QByteArray expected = test::fixture("startup_modes.dat");
    expected.replace('.', ',').replace("Ver0,71", "Ver0.71");
    EXPECT_EQ(result.out, expected);
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
    badPosition.replace("1.36", "1.3.6");
    test::writeBytes(path("position.dtr"), badPosition);

    struct Case {
        QString room;
        QByteArray message;
    };
    const QList<Case> cases{
        {path("other.dtr"), QByteArray(msg::kNotARoomFile) + "\n"},
        {path("missing.dtr"), QByteArray(msg::kFileNotFound) + "\n"},
        {path("bad.dtr"), "'2.7O' は浮動小数点数ではありません\n"},
        {path("negative.dtr"), "部屋の幅は 0 より大きい値にしてください\n"},
        {path("position.dtr"), "'1.3.6' は浮動小数点数ではありません\n"},
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
