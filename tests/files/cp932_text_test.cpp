// CP932 text: the Windows mappings, ASCII kept byte for byte, and refusals instead of
// silent replacement.
#include "files/cp932_text.h"
#include "test_support.h"
#include "tests/user_error.h"

#include <gtest/gtest.h>

namespace kolmarin {
namespace {

using test::errorOf;

QByteArray hex(const char* h) {
    return QByteArray::fromHex(h);
}

TEST(Cp932Text, UsesTheWindowsMappingsNotPlainShiftJis) {
    // Characters whose codes differ between CP932 and JIS Shift_JIS, and the NEC and IBM
    // extensions only CP932 has.
    EXPECT_EQ(encodeLineText("～"), hex("8160")); // FULLWIDTH TILDE
    EXPECT_EQ(encodeLineText("∥"), hex("8161"));
    EXPECT_EQ(encodeLineText("－"), hex("817c"));
    EXPECT_EQ(encodeLineText("￢"), hex("81ca"));
    EXPECT_EQ(encodeLineText("①"), hex("8740"));
    EXPECT_EQ(encodeLineText("㈱"), hex("878a"));
    EXPECT_EQ(encodeLineText("ⅰ"), hex("fa40"));
    EXPECT_EQ(encodeLineText("ｱ"), hex("b1"));
    EXPECT_EQ(encodeLineText("部屋の幅"), hex("9594 89ae 82cc 959d"));
    // Both codes of an NEC-selected character read back as it.
    EXPECT_EQ(decodeCp932(hex("ed40")), QStringLiteral("纊"));
    EXPECT_EQ(decodeCp932(hex("fa5c")), QStringLiteral("纊"));
}

TEST(Cp932Text, KeepsEveryAsciiByteAsItIs) {
    // The converter alone would swap 0x1A, 0x1C and 0x7F; a 0x1A written for U+001C would
    // end the file for a reader.
    QByteArray all;
    for (int b = 1; b < 0x80; ++b)
        if (b != 0x0A && b != 0x1A)
            all.append(static_cast<char>(b));
    EXPECT_EQ(encodeLineText(all.toStdString()), all);
    QByteArray withCtrlZ = all + '\x1a' + '\n';
    const std::optional<QString> decoded = decodeCp932(withCtrlZ);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->toLatin1(), withCtrlZ);
    EXPECT_EQ(decodeCp932(QByteArrayView("\x00", 1)), QString(QChar(0)));
}

TEST(Cp932Text, ReadsBackWhatItWrites) {
    const char* text = " 1.36 ｍ ～ ２．７０ ①\\~ 部屋\r";
    EXPECT_EQ(decodeCp932(encodeLineText(text)), QString::fromUtf8(text));
    // The second byte of a two-byte character may be an ASCII byte ('\' here).
    EXPECT_EQ(encodeLineText("表"), hex("955c"));
    EXPECT_EQ(decodeCp932(hex("955c 5c")), QStringLiteral("表\\"));
}

TEST(Cp932Text, RejectsBytesThatAreNotCp932) {
    for (const char* bad : {"80", "a0", "fd", "ff", "41 81", "81 0a", "82 7f", "81 1a", "41 ff 42"})
        EXPECT_FALSE(decodeCp932(hex(bad))) << bad;
}

TEST(Cp932Text, RefusesCharactersWithoutACp932FormByName) {
    EXPECT_EQ(errorOf([] { encodeLineText("2.70€"); }),
              "'2.70€' の文字 '€' は Shift-JIS (CP932) で表せないため、ファイルに書けません");
    // Characters with no exact CP932 form are refused, not replaced by a look-alike.
    for (const char* text : {"¥5", "〜", "—", "¢", "a😀b", "é"}) {
        const std::string message = errorOf([&] { encodeLineText(text); });
        EXPECT_NE(message.find(std::string("'") + text + "'"), std::string::npos) << message;
    }
    EXPECT_NE(errorOf([] { encodeLineText("a😀b"); }).find("'😀'"), std::string::npos);
}

TEST(Cp932Text, RefusesTextsThatWouldBreakTheLine) {
    EXPECT_EQ(errorOf([] { encodeLineText("2.7\n0"); }),
              "'2.7\\x0A0' は改行または Ctrl-Z を含むため、ファイルに書けません");
    EXPECT_FALSE(errorOf([] { encodeLineText("2.7\x1a"); }).empty());
    EXPECT_TRUE(errorOf([] { encodeLineText("2.7\r"); }).empty());
}

TEST(Cp932Text, RightAlignsByBytes) {
    EXPECT_EQ(rightAligned(encodeLineText("周波数"), 10), QByteArray(4, ' ') + encodeLineText("周波数"));
    EXPECT_EQ(rightAligned("12345678901", 10), "12345678901");
    EXPECT_EQ(rightAligned("", 3), "   ");
}

} // namespace
} // namespace kolmarin
