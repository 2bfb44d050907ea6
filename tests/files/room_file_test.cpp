// The room data file's contents: writing the 22 lines and reading them back by the
// reading rules, and the files that are refused.
#include "files/file_errors.h"
#include "files/room_file.h"
#include "model/errors.h"
#include "test_support.h"
#include "tests/user_error.h"

#include <gtest/gtest.h>

#include <random>

namespace kolmarin {
namespace {

using test::errorOf;

const QByteArray kHeaderLine = QByteArray(kRoomFileHeader) + "\r\n";

// The values of lines 2.. as a file body, each ended by `end`.
QByteArray lines(std::initializer_list<const char*> texts, const char* end = "\r\n") {
    QByteArray out;
    for (const char* t : texts)
        out += QByteArray(t) + end;
    return out;
}

bool isRefused(const QByteArray& bytes) {
    return errorOf([&] { parseRoomFile(bytes); }) == msg::kNotARoomFile;
}

TEST(RoomFile, WritesTheStartupSceneByteForByte) {
    EXPECT_EQ(roomFileBytes(startupSceneTexts()), test::fixture("startup_room.dtr"));
}

TEST(RoomFile, GivesBackEveryTextUnchanged) {
    const SceneTexts startup = startupSceneTexts();
    EXPECT_EQ(parseRoomFile(roomFileBytes(startup)), startup);

    // Texts are stored as typed: blanks, other number forms, Japanese, a CR inside a text,
    // texts that are no numbers at all, empty texts.
    SceneTexts odd;
    odd.width = "２．７０";
    odd.depth = " 4.5e0 ";
    odd.height = "";
    odd.reflFront = "0,85";
    odd.reflBack = "ｱｲｳ～①";
    odd.reflCeiling = "0.9\r";
    odd.seats[0] = {" 1.36", "2.9\r0", "  "};
    odd.reflectionCount = "$1E";
    odd.endFrequency = "五百";
    EXPECT_EQ(parseRoomFile(roomFileBytes(odd)), odd);
}

TEST(RoomFile, PutsTheLinesInFileOrder) {
    SceneTexts t;
    const std::vector<std::string*> order{
        &t.depth,        &t.width,        &t.height,       &t.reflFront,       &t.reflBack,
        &t.reflRight,    &t.reflLeft,     &t.reflFloor,    &t.reflCeiling,     &t.seats[0].x,
        &t.seats[0].y,   &t.seats[0].z,   &t.sources[0].x, &t.sources[0].y,    &t.sources[0].z,
        &t.sources[1].x, &t.sources[1].y, &t.sources[1].z, &t.reflectionCount, &t.startFrequency,
        &t.endFrequency};
    ASSERT_EQ(order.size(), 21u);
    for (std::size_t i = 0; i < order.size(); ++i)
        *order[i] = "v" + std::to_string(i + 2);
    QByteArray expected = kHeaderLine;
    for (int line = 2; line <= 22; ++line)
        expected += "v" + QByteArray::number(line) + "\r\n";
    EXPECT_EQ(roomFileBytes(t), expected);
}

TEST(RoomFile, ReadsLinesEndedByLfOrCrLf) {
    const SceneTexts startup = startupSceneTexts();
    QByteArray lf = test::fixture("startup_room.dtr");
    lf.replace("\r\n", "\n");
    EXPECT_EQ(parseRoomFile(lf), startup);

    // Mixed ends, and no end after the last line.
    QByteArray mixed = test::fixture("startup_room.dtr");
    mixed.replace("4.50\r\n", "4.50\n");
    mixed.chop(2);
    EXPECT_EQ(parseRoomFile(mixed), startup);
}

TEST(RoomFile, KeepsALoneCrInTheText) {
    const SceneTexts t = parseRoomFile(kHeaderLine + "4.5\r0\r\n2.7\r\r\n2.4\r");
    EXPECT_EQ(t.depth, "4.5\r0");
    EXPECT_EQ(t.width, "2.7\r");
    EXPECT_EQ(t.height, "2.4\r");
}

TEST(RoomFile, StopsAtCtrlZ) {
    const SceneTexts t =
        parseRoomFile(kHeaderLine + lines({"4.50", "2.70"}) + "2.4\x1a" + lines({"0.85", "0.85"}));
    EXPECT_EQ(t.depth, "4.50");
    EXPECT_EQ(t.width, "2.70");
    EXPECT_EQ(t.height, "2.4");
    EXPECT_EQ(t.reflFront, "");
    EXPECT_EQ(t.endFrequency, "");
    // Right after the header: every value empty. Bytes after Ctrl-Z are not even decoded.
    const SceneTexts empty = parseRoomFile(QByteArray(kRoomFileHeader) + "\x1a\xff\xff" + lines({"4.50"}));
    EXPECT_EQ(empty.depth, "");
    EXPECT_EQ(empty.endFrequency, "");
}

TEST(RoomFile, ReadsMissingLinesAsEmptyAndIgnoresLinesAfter22) {
    const SceneTexts shortFile = parseRoomFile(kHeaderLine + lines({"4.50", "2.70", "2.40"}));
    EXPECT_EQ(shortFile.height, "2.40");
    EXPECT_EQ(shortFile.reflFront, "");
    EXPECT_EQ(shortFile.seats[0].z, "");
    EXPECT_EQ(shortFile.endFrequency, "");

    const SceneTexts headerOnly = parseRoomFile(QByteArray(kRoomFileHeader));
    EXPECT_EQ(headerOnly, parseRoomFile(kHeaderLine));
    EXPECT_EQ(headerOnly.depth, "");

    // Anything after line 22, even bytes that are not CP932, is ignored.
    QByteArray longer = test::fixture("startup_room.dtr") + "extra\r\n\xff\x80\r\n";
    EXPECT_EQ(parseRoomFile(longer), startupSceneTexts());
}

TEST(RoomFile, RefusesAnythingButTheExactHeader) {
    const QByteArray body = lines({"4.50", "2.70", "2.40"});
    EXPECT_FALSE(isRefused(kHeaderLine + body));
    EXPECT_TRUE(isRefused("Kolmarin2 Ver0.85 room data \r\n" + body)); // trailing blank
    EXPECT_TRUE(isRefused(" Kolmarin2 Ver0.85 room data\r\n" + body));
    EXPECT_TRUE(isRefused("Kolmarin2 Ver0.84 room data\r\n" + body)); // another version
    EXPECT_TRUE(isRefused("Kolmarin2 Ver0.86 room data\r\n" + body));
    EXPECT_TRUE(isRefused("kolmarin2 ver0.85 room data\r\n" + body)); // case
    EXPECT_TRUE(isRefused("Kolmarin2 Ver0.85 room data\r\r\n" + body));
    EXPECT_TRUE(isRefused("\xef\xbb\xbf" + kHeaderLine + body)); // a UTF-8 byte-order mark
    EXPECT_TRUE(isRefused("\r\n" + kHeaderLine + body));
    EXPECT_TRUE(isRefused("Kolmarin2 Ver0.85 room"));
    EXPECT_TRUE(isRefused(""));                                              // empty file
    EXPECT_TRUE(isRefused(QByteArray("\x1a", 1) + kHeaderLine));             // ends before the header
    EXPECT_TRUE(isRefused(QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16))); // binary
    EXPECT_EQ(
        test::errorOf([] { parseRoomFile(""); }),
        "このアプリケーションのデータファイルでないか\nバージョンが違うためこのファイルを読み込めません。");
}

TEST(RoomFile, RefusesValueLinesThatAreNotCp932) {
    EXPECT_TRUE(isRefused(kHeaderLine + lines({"4.50", "2.\xff"})));
    EXPECT_TRUE(isRefused(kHeaderLine + lines({"4.50", "2.7\x81"})));
}

TEST(RoomFile, RefusesToWriteATextItCannotStore) {
    SceneTexts t = startupSceneTexts();
    t.seats[0].x = "1.36€";
    EXPECT_EQ(errorOf([&] { roomFileBytes(t); }),
              "'1.36€' の文字 '€' は Shift-JIS (CP932) で表せないため、ファイルに書けません");
    t = startupSceneTexts();
    t.reflFloor = "0.9\n0.8"; // would shift every later line
    EXPECT_NE(errorOf([&] { roomFileBytes(t); }), "");
}

TEST(RoomFile, ReadsAnyBytesSafelyAndWritesBackWhatItRead) {
    // Random bodies after the header, rich in the bytes the reader treats specially: line
    // ends, Ctrl-Z, lead bytes and bytes that are no CP932. Whatever is accepted must write
    // out and read back as the same texts.
    std::mt19937 random(20240531);
    const char special[] = {'\r',   '\n',   '\x1a', '\x81', '\x82', '\xe0', '\xfc',
                            '\x80', '\xa0', '\xff', '\x7f', '\x40', ' '};
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes = kHeaderLine;
        const int length = static_cast<int>(random() % 200);
        for (int i = 0; i < length; ++i) {
            const unsigned pick = random() % 4;
            bytes += pick == 0   ? special[random() % sizeof special]
                     : pick == 1 ? static_cast<char>(random() % 256)
                                 : static_cast<char>('0' + random() % 10);
        }
        SceneTexts read;
        try {
            read = parseRoomFile(bytes);
        } catch (const UserError& e) {
            ASSERT_STREQ(e.what(), msg::kNotARoomFile);
            continue;
        }
        ++accepted;
        ASSERT_EQ(parseRoomFile(roomFileBytes(read)), read) << bytes.toHex().toStdString();
    }
    EXPECT_GT(accepted, 100);
}

} // namespace
} // namespace kolmarin
