// The curve text measurement programs exchange: a typical export read, the program's own
// text read back, and a bad line named by file and line.
#include "files/candidate_file.h"
#include "files/curve_text.h"
#include "files/file_errors.h"
#include "files/seat_curve_text.h"
#include "tests/user_error.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

#include <chrono>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace kolmarin {
namespace {

TEST(CurveText, ReadsAnExportAndGivesItBackThroughItsOwnText) {
    const QByteArray exported = "* Measurement data measured by a meter\r\n"
                                "* Source: 1 channel, Dated: 7-Dec-2026\r\n"
                                "* Freq(Hz)\tSPL(dB)\tPhase(degrees)\r\n"
                                "\r\n"
                                "20.142\t72.5\t-120.25\r\n"
                                "20.5,70.125,3.5\r\n"
                                "21   , 69.001\r\n"
                                "2.25e1 68\r\n";
    const std::vector<CurvePoint> read = parseCurveText(exported, QStringLiteral("m.txt"));
    ASSERT_EQ(read.size(), 4u);
    EXPECT_DOUBLE_EQ(read[0].frequency, 20.142);
    EXPECT_DOUBLE_EQ(read[0].phase, -120.25);
    EXPECT_DOUBLE_EQ(read[1].level, 70.125);
    EXPECT_TRUE(std::isnan(read[2].phase));
    EXPECT_DOUBLE_EQ(read[3].frequency, 22.5);

    const std::vector<CurvePoint> back = parseCurveText(curveTextBytes(read, {"Kolmarin2 Total"}), "k.txt");
    ASSERT_EQ(back.size(), read.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        EXPECT_NEAR(back[i].frequency, read[i].frequency, 5e-4);
        EXPECT_NEAR(back[i].level, read[i].level, 5e-4);
        EXPECT_EQ(std::isnan(back[i].phase), std::isnan(read[i].phase));
    }
}

TEST(CurveText, NamesTheFileAndTheLineOfABadLine) {
    const struct {
        const char* text;
        const char* message;
    } cases[]{
        {"* c\n20 1\n20x 2\n", "m.txt の 3 行目: '20x' は数値ではありません"},
        {"20 1\n19 2\n", "m.txt の 2 行目: 周波数は正で、前の行より高くなければなりません"},
        {"0 1\n", "m.txt の 1 行目: 周波数は正で、前の行より高くなければなりません"},
        {"20\n", "m.txt の 1 行目: 周波数とレベル (と位相) の数値が要ります"},
        {"20 1 2 3\n", "m.txt の 1 行目: 周波数とレベル (と位相) の数値が要ります"},
        {"20 nan\n", "m.txt の 1 行目: 'nan' は数値ではありません"},
        {"* only a comment\n", "m.txt: 周波数とレベルの行がありません"},
        {"20 1e308\n", "m.txt の 1 行目: '1e308' はレベル (dB) としてありえない値です"},
        {"2e9 1\n", "m.txt の 1 行目: '2e9' は周波数 (Hz) としてありえない値です"},
        {"20,0\t75\n", "m.txt の 1 行目: '20,0\\x0975' のコンマが小数点か区切りか分かりません。"
                       "小数点はピリオドで、区切りは空白、タブ、コンマのどれか一つで書いてください"},
        {"20 1\r30 2\r25 3\r", "m.txt の 3 行目: 周波数は正で、前の行より高くなければなりません"},
        {"20 x123456789012345678901234567890123456789012345\n",
         "m.txt の 1 行目: 'x123456789012345678901234567890123456789…' は数値ではありません"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(test::errorOf([&] { parseCurveText(c.text, QStringLiteral("m.txt")); }), c.message)
            << c.text;
}

TEST(CurveText, ReadsCp932CommentsAndBoundsItsPoints) {
    // "* 周波数" in CP932, then a line whose Japanese column title is no number.
    const QByteArray cp932 = "* \x8E\xFC\x94\x67\x90\x94\r\n20 1\r\n\x8E\xFC\x94\x67\x90\x94 2\r\n";
    EXPECT_EQ(test::errorOf([&] { parseCurveText(cp932, QStringLiteral("m.txt")); }),
              "m.txt の 3 行目: '周波数' は数値ではありません");
    QByteArray many;
    for (std::size_t i = 1; i <= kMostCurvePoints + 1; ++i)
        many += QByteArray::number(static_cast<qulonglong>(i)) + " 0\n";
    EXPECT_EQ(test::errorOf([&] { parseCurveText(many, QStringLiteral("m.txt")); }),
              "m.txt の 500001 行目: 曲線の点は 500000 までです");
}

TEST(CurveText, CurvesAndCandidatesRefuseAPipeOrASocketAtOnce) {
    const QTemporaryDir dir;
    const QByteArray pipe = QFile::encodeName(dir.filePath(QStringLiteral("pipe.txt")));
    ASSERT_EQ(mkfifo(pipe.constData(), 0600), 0);
    const int server = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray socketName = QFile::encodeName(dir.filePath(QStringLiteral("socket.txt")));
    std::copy(socketName.begin(), socketName.end(), address.sun_path);
    ASSERT_EQ(bind(server, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    for (const auto& [file, message] : {std::pair{pipe, msg::kFifo}, std::pair{socketName, msg::kSocket}}) {
        const QString name = QFile::decodeName(file);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_NE(test::errorOf([&] { readCurveFile(name); }).find(message), std::string::npos);
        EXPECT_NE(test::errorOf([&] { readCandidateFile(name); }).find(message), std::string::npos);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    }
    close(server);
}

TEST(CurveText, TheHeadingNamesTheSeatAndTheSourcesBeyondTheRoomFile) {
    const struct {
        CurveSubject subject;
        std::string heading;
    } cases[]{
        {{}, "Kolmarin2: Total at the listener, simulated"},
        {{1, 1, 2, false, 0}, "Kolmarin2: Total of SP1+SP2+SW1+SW2 at seat 1 (the listener) of 1, simulated"},
        {{3, 4, 1, true, 90},
         "Kolmarin2: Total of SW1 (subwoofers only) at seat 3 of 4, crossover 90 Hz, simulated"},
        {{2, 2, 0, false, 0}, "Kolmarin2: Total of SP1+SP2 at seat 2 of 2, simulated"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(totalCurveHeading(c.subject), c.heading);
}

TEST(CurveText, TheHeadingNamesTheContinuousDelayModelAlone) {
    // Under the default model the bytes stay as they were; under the continuous model one
    // more heading line after the first says so, in the total's text and in each seat's.
    ResponseCurves curves;
    for (int j = 0; j < kCurvePoints; ++j)
        curves.total[static_cast<std::size_t>(j)] = -j / 100.0;
    const ElementRange rows{40, 44};
    SceneTexts texts = startupSceneTexts();
    texts.reflectionCount = "2";
    texts.endFrequency = "22";
    const auto writers = {
        std::function<QByteArray(DelayModel)>(
            [&](DelayModel delays) { return totalCurveText(curves, rows, CurveSubject{.delays = delays}); }),
        std::function<QByteArray(DelayModel)>([&](DelayModel delays) {
            texts.delays = delays;
            return sourceCurveTexts(readCalculationScene(texts, '.', nullptr), 0).front().text;
        }),
    };
    for (const auto& write : writers) {
        const QList<QByteArray> sample = write(DelayModel::Sample).split('\n');
        const QList<QByteArray> continuous = write(DelayModel::Continuous).split('\n');
        ASSERT_EQ(continuous.size(), sample.size() + 1);
        EXPECT_EQ(continuous[0], sample[0]);
        EXPECT_EQ(continuous[1], "* Delays: continuous (true path lengths)");
        EXPECT_EQ(continuous[2], sample[1]);
        EXPECT_FALSE(sample.join('\n').contains("Delays"));
        // The heading alone differs: the points are the same lines in either.
        EXPECT_EQ(parseCurveText(continuous.join('\n'), "c").size(),
                  parseCurveText(sample.join('\n'), "s").size());
    }
    EXPECT_EQ(totalCurveText(curves, rows), "* Kolmarin2: Total at the listener, simulated\n"
                                            "* Freq(Hz) SPL(dB)\n"
                                            "20.000 -0.400\n20.500 -0.410\n21.000 -0.420\n"
                                            "21.500 -0.430\n22.000 -0.440\n");
}

} // namespace
} // namespace kolmarin
