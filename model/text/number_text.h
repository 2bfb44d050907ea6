#pragma once
// The text forms of scene values: the two parsers every value goes through, the
// position form and the general form of stepped values, and overflow-checked
// whole-number arithmetic on values the user typed.

#include <cstdint>
#include <string>
#include <string_view>

namespace kolmarin {

// Blanks, optional sign, digits with at most one `decimalSeparator`, optional exponent
// (E/e, optional sign, digits), blanks. Throws UserError(notAFloat) otherwise, and
// UserError(kOverflow) for a number beyond the range of a double.
double parseDecimal(std::string_view text, char decimalSeparator = '.');

// Leading blanks, optional sign, then decimal digits or hexadecimal digits after
// "$", "x", "X", "0x" or "0X"; nothing after the digits. The value must fit 32 bits
// signed. Throws UserError(notAnInteger) otherwise.
std::int32_t parseWhole(std::string_view text);

// "%5.2f": two decimals, right-aligned in five characters.
std::string formatPosition(double value, char decimalSeparator = '.');

// The shortest general form with at most 15 significant digits: 2.8, 0.85, 1, 2.5E-17.
std::string formatGeneral(double value, char decimalSeparator = '.');

// "%3d" and "%8.1f" as the mode table writes them.
std::string formatInt3(std::int64_t value);
std::string formatFixed(double value, int width, int decimals, char decimalSeparator = '.');

// 32-bit arithmetic that raises "整数のオーバーフロー" instead of wrapping.
std::int32_t checkedAdd(std::int32_t a, std::int32_t b);
std::int32_t checkedMul(std::int32_t a, std::int32_t b);

} // namespace kolmarin
