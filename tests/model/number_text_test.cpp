#include "model/errors.h"
#include "model/text/number_text.h"

#include "tests/user_error.h"

#include <gtest/gtest.h>

#include <string>

#include <limits>

using namespace kolmarin;
using kolmarin::test::errorOf;

TEST(ParseDecimal, AcceptsBlanksSignsAndExponents) {
    EXPECT_DOUBLE_EQ(parseDecimal(" 0.45"), 0.45);
    EXPECT_DOUBLE_EQ(parseDecimal("0.45  "), 0.45);
    EXPECT_DOUBLE_EQ(parseDecimal("2.5e0"), 2.5);
    EXPECT_DOUBLE_EQ(parseDecimal("-1.5E+2"), -150.0);
    EXPECT_DOUBLE_EQ(parseDecimal("+3"), 3.0);
    EXPECT_DOUBLE_EQ(parseDecimal("3."), 3.0);
    EXPECT_DOUBLE_EQ(parseDecimal(".5"), 0.5);
    EXPECT_DOUBLE_EQ(parseDecimal("2,70", ','), 2.70);
    EXPECT_EQ(parseDecimal("1e-400"), 0.0);
}

TEST(ParseDecimal, RejectsWithTheTextInTheMessage) {
    EXPECT_EQ(errorOf([] { parseDecimal("2,70"); }), "'2,70' は浮動小数点数ではありません");
    for (const char* bad : {"", "   ", "1.2.3", "1e", "e5", "- 1", "1 2", "0x10", "1,5", "nan", "inf", "."})
        EXPECT_EQ(errorOf([&] { parseDecimal(bad); }), msg::notAFloat(bad)) << bad;
    EXPECT_EQ(errorOf([] { parseDecimal("2.70", ','); }), msg::notAFloat("2.70"));
    EXPECT_EQ(errorOf([] { parseDecimal("1e400"); }), msg::kOverflow);
}

// Beyond the range of a double, the value decides between overflow and zero, however
// the digits and the exponent share it.
TEST(ParseDecimal, TellsOverflowFromUnderflowByTheValue) {
    const std::string zeros(400, '0');
    EXPECT_EQ(errorOf([&] { parseDecimal("1" + zeros + "e-50"); }), msg::kOverflow);
    EXPECT_EQ(errorOf([&] { parseDecimal("-0.0001e99999999999999999999"); }), msg::kOverflow);
    EXPECT_EQ(parseDecimal("0." + zeros + "1"), 0.0);
    EXPECT_EQ(parseDecimal("0." + zeros + "1e50"), 0.0);
    EXPECT_EQ(parseDecimal("100e-99999999999999999999"), 0.0);
}

TEST(ParseWhole, DecimalAndHexadecimalForms) {
    EXPECT_EQ(parseWhole("30"), 30);
    EXPECT_EQ(parseWhole("  30"), 30);
    EXPECT_EQ(parseWhole("-5"), -5);
    EXPECT_EQ(parseWhole("+7"), 7);
    EXPECT_EQ(parseWhole("$1E"), 30);
    EXPECT_EQ(parseWhole("x1e"), 30);
    EXPECT_EQ(parseWhole("X1E"), 30);
    EXPECT_EQ(parseWhole("0x1E"), 30);
    EXPECT_EQ(parseWhole("0X1e"), 30);
    EXPECT_EQ(parseWhole("-$10"), -16);
    EXPECT_EQ(parseWhole("2147483647"), 2147483647);
    EXPECT_EQ(parseWhole("-2147483648"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(parseWhole("007"), 7);
}

TEST(ParseWhole, RejectsTrailingBlanksFractionsAndOverflow) {
    for (const char* bad : {"", " ", "30 ", "3.0", "$", "0x", "- 5", "2147483648", "-2147483649",
                            "$100000000", "1e2", "abc", "$G"})
        EXPECT_EQ(errorOf([&] { parseWhole(bad); }), msg::notAnInteger(bad)) << bad;
    EXPECT_EQ(errorOf([] { parseWhole("30 "); }), "'30 ' は整数ではありません");
}

TEST(FormatPosition, FiveCharactersTwoDecimals) {
    EXPECT_EQ(formatPosition(0.45), " 0.45");
    EXPECT_EQ(formatPosition(1.008), " 1.01");
    EXPECT_EQ(formatPosition(0.0), " 0.00");
    EXPECT_EQ(formatPosition(12.345678), "12.35");
    EXPECT_EQ(formatPosition(123.4), "123.40");
    EXPECT_EQ(formatPosition(0.5, ','), " 0,50");
}

TEST(FormatGeneral, ShortestFormWithFifteenDigits) {
    EXPECT_EQ(formatGeneral(2.70 + 0.1), "2.8");
    EXPECT_EQ(formatGeneral(0.8 + 0.05), "0.85");
    EXPECT_EQ(formatGeneral(1.0), "1");
    EXPECT_EQ(formatGeneral(2.40 - 0.1), "2.3");
    EXPECT_EQ(formatGeneral(0.25 - 0.1), "0.15");
    EXPECT_EQ(formatGeneral(0.0), "0");
    EXPECT_EQ(formatGeneral(-0.5), "-0.5");
    EXPECT_EQ(formatGeneral(123456.0), "123456");
    EXPECT_EQ(formatGeneral(0.0001), "0.0001");
    EXPECT_EQ(formatGeneral(1.3877787807814457e-17), "1.38777878078145E-17");
    EXPECT_EQ(formatGeneral(1e20), "1E20");
    EXPECT_EQ(formatGeneral(2.5, ','), "2,5");
}

TEST(CheckedArithmetic, RaisesIntegerOverflow) {
    EXPECT_EQ(checkedAdd(2, 3), 5);
    EXPECT_EQ(checkedMul(-4, 5), -20);
    EXPECT_EQ(errorOf([] { checkedAdd(2147483647, 1); }), msg::kIntegerOverflow);
    EXPECT_EQ(errorOf([] { checkedMul(-2147483647 - 1, 2); }), msg::kIntegerOverflow);
}
