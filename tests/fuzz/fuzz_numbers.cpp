// The two parsers every typed value goes through, on arbitrary bytes: a value or a
// UserError with the parser's own message, never anything else. Accepted texts are
// checked against the C library's reading of the same number, rejected ones against a
// grammar check written apart from the parser, and the value and position forms must
// read back to what they show.
#include "fuzz_support.h"

#include "model/errors.h"
#include "model/text/number_text.h"

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

using namespace kolmarin;
using fuzz::require;

namespace {

bool allDigits(std::string_view s, int base) {
    for (char c : s) {
        const bool decimal = c >= '0' && c <= '9';
        const bool hex = (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!decimal && !(base == 16 && hex))
            return false;
    }
    return true;
}

std::string_view withoutLeadingBlanks(std::string_view s) {
    const std::size_t first = s.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view() : s.substr(first);
}

// The decimal form, taken apart from the outside in: blanks, sign, exponent, mantissa.
// Returns the number in the C library's own form (sign, digits, '.', 'e') when `text` is
// one, nothing otherwise.
std::optional<std::string> decimalInCForm(std::string_view text, char separator) {
    std::string_view s = withoutLeadingBlanks(text);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    std::string out;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        out += s.front();
        s.remove_prefix(1);
    }
    const std::size_t e = s.find_first_of("eE");
    std::string_view mantissa = s.substr(0, e);
    if (e != std::string_view::npos) {
        std::string_view exponent = s.substr(e + 1);
        if (!exponent.empty() && (exponent.front() == '+' || exponent.front() == '-'))
            exponent.remove_prefix(1);
        if (exponent.empty() || !allDigits(exponent, 10))
            return std::nullopt;
    }
    const std::size_t point = mantissa.find(separator);
    std::string digits(mantissa);
    if (point != std::string_view::npos)
        digits.erase(point, 1);
    if (digits.empty() || !allDigits(digits, 10))
        return std::nullopt;
    std::string mantissaText(mantissa);
    if (point != std::string_view::npos)
        mantissaText[point] = '.';
    return out + mantissaText + std::string(s.substr(mantissa.size()));
}

// The whole-number form: blanks, sign, then decimal digits or hexadecimal digits after
// one of the hexadecimal marks; its value when it fits 32 bits, nothing otherwise.
std::optional<std::int32_t> wholeValue(std::string_view text) {
    std::string_view s = withoutLeadingBlanks(text);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (!s.empty() && (s.front() == '$' || s.front() == 'x' || s.front() == 'X')) {
        base = 16;
        s.remove_prefix(1);
    } else if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    if (s.empty() || !allDigits(s, base))
        return std::nullopt;
    // Past its leading zeros, a number of more than eleven digits is out of range in either
    // base, and one of up to eleven fits a long long.
    s = s.substr(std::min(s.find_first_not_of('0'), s.size()));
    if (s.size() > 11)
        return std::nullopt;
    long long magnitude = std::strtoll(std::string(s).c_str(), nullptr, base);
    const long long value = negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

// Which of value or error came out of a parser, and the error's text.
template <class T> struct Result {
    std::optional<T> value;
    std::string error;
};

// A message reaches the error box whole: what() would end it at a NUL, and no other
// control character of the text it names may show either.
std::string shown(std::string message) {
    require(std::none_of(message.begin(), message.end(),
                         [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }),
            "a message shows control characters as escapes");
    return message;
}

template <class T, class Parse> Result<T> run(Parse parse) {
    Result<T> r;
    try {
        r.value = parse();
    } catch (const UserError& e) {
        r.error = e.what();
        require(!r.error.empty(), "a UserError carries a message");
    }
    return r;
}

void checkDecimal(std::string_view text, char separator) {
    const Result<double> r = run<double>([&] { return parseDecimal(text, separator); });
    const std::optional<std::string> cForm = decimalInCForm(text, separator);
    if (!cForm) {
        require(!r.value, "parseDecimal accepts only the decimal form");
        require(r.error == shown(msg::notAFloat(text)), "parseDecimal names the rejected text");
        return;
    }
    errno = 0;
    const double expected = std::strtod(cForm->c_str(), nullptr);
    const bool overflows = errno == ERANGE && std::fabs(expected) == HUGE_VAL;
    if (overflows) {
        require(!r.value && r.error == msg::kOverflow, "a number beyond the range of a double overflows");
        return;
    }
    require(r.value.has_value(), "parseDecimal accepts the decimal form");
    require(std::isfinite(*r.value), "parseDecimal gives a finite value");
    // Both readings round correctly, so they agree exactly.
    require(*r.value == expected, "parseDecimal reads the same value as strtod");
}

void checkWhole(std::string_view text) {
    const Result<std::int32_t> r = run<std::int32_t>([&] { return parseWhole(text); });
    const std::optional<std::int32_t> expected = wholeValue(text);
    if (!expected) {
        require(!r.value, "parseWhole accepts only 32-bit whole numbers");
        require(r.error == shown(msg::notAnInteger(text)), "parseWhole names the rejected text");
        return;
    }
    require(r.value == expected, "parseWhole reads the expected value");
    // A plain decimal whole number means the same to both parsers.
    if (text.find_first_of("$xX") == std::string_view::npos) {
        const Result<double> d = run<double>([&] { return parseDecimal(text); });
        require(d.value && *d.value == *expected, "parseDecimal agrees with parseWhole");
    }
}

// Beyond this, 15 significant digits round up past the largest double and the general
// form of the value reads as an overflow.
constexpr double kLargestGeneralForm = 1.79769313486231e308;

void checkFormsReadBack(double value) {
    if (!std::isfinite(value))
        return;
    for (char separator : {'.', ','}) {
        const std::string general = formatGeneral(value, separator);
        require(general.find(separator == '.' ? ',' : '.') == std::string::npos,
                "formatGeneral writes only the chosen separator");
        const Result<double> g = run<double>([&] { return parseDecimal(general, separator); });
        if (std::fabs(value) > kLargestGeneralForm) {
            require(g.value || g.error == msg::kOverflow, "formatGeneral near the top of the range");
        } else {
            require(g.value.has_value(), "formatGeneral output reads back");
            // Rounding to 15 significant digits moves the value by at most half a unit of the
            // 15th digit, 5e-15 of it; reading adds half a unit in the last place.
            require(std::fabs(*g.value - value) <= 5.2e-15 * std::fabs(value),
                    "formatGeneral output reads back within 15 significant digits");
            // A double holds every 15-digit decimal, so the text shown survives reading and
            // showing again, except for subnormal values with fewer digits of their own.
            if (std::fabs(value) >= DBL_MIN)
                require(formatGeneral(*g.value, separator) == general,
                        "formatGeneral of its reading is the same");
        }

        const std::string position = formatPosition(value, separator);
        require(position.size() >= 5, "formatPosition pads to five characters");
        const Result<double> p = run<double>([&] { return parseDecimal(position, separator); });
        require(p.value.has_value(), "formatPosition output reads back");
        require(std::fabs(*p.value - value) <= 0.005 * (1 + 1e-12) + 2.3e-16 * std::fabs(value),
                "formatPosition output reads back within its two decimals");
        require(formatPosition(*p.value, separator) == position, "formatPosition of its reading is the same");
    }
}

void checkWholeForms(std::int32_t a, std::int32_t b) {
    for (std::int32_t v : {a, b}) {
        require(parseWhole(std::to_string(v)) == v, "parseWhole reads a decimal whole number");
        require(parseWhole(formatInt3(v)) == v, "parseWhole reads the %3d form");
        require(parseDecimal(std::to_string(v)) == v, "parseDecimal reads a whole number");
        const long long magnitude = v < 0 ? -static_cast<long long>(v) : v;
        char hex[32];
        std::snprintf(hex, sizeof hex, "%s$%llX", v < 0 ? "-" : "", magnitude);
        require(parseWhole(hex) == v, "parseWhole reads the $ form");
        std::snprintf(hex, sizeof hex, "%s0x%llx", v < 0 ? "-" : "", magnitude);
        require(parseWhole(hex) == v, "parseWhole reads the 0x form");
    }
    const long long sum = static_cast<long long>(a) + b;
    const long long product = static_cast<long long>(a) * b;
    const auto fits = [](long long x) {
        return x >= std::numeric_limits<std::int32_t>::min() && x <= std::numeric_limits<std::int32_t>::max();
    };
    const Result<std::int32_t> added = run<std::int32_t>([&] { return checkedAdd(a, b); });
    require(fits(sum) ? added.value == sum : added.error == msg::kIntegerOverflow, "checkedAdd");
    const Result<std::int32_t> multiplied = run<std::int32_t>([&] { return checkedMul(a, b); });
    require(fits(product) ? multiplied.value == product : multiplied.error == msg::kIntegerOverflow,
            "checkedMul");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    checkDecimal(text, '.');
    checkDecimal(text, ',');
    checkWhole(text);

    for (char separator : {'.', ','}) {
        try {
            checkFormsReadBack(parseDecimal(text, separator));
        } catch (const UserError&) {
        }
    }
    // The leading bytes as the bits of a double and as two whole numbers reach values no
    // typed text of a few characters does: subnormals, the ends of the range, halves.
    if (size >= 8) {
        double bits = 0;
        std::memcpy(&bits, data, sizeof bits);
        checkFormsReadBack(bits);
        std::int32_t a = 0, b = 0;
        std::memcpy(&a, data, sizeof a);
        std::memcpy(&b, data + 4, sizeof b);
        checkWholeForms(a, b);
    }
    return 0;
}
