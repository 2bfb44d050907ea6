#include "model/text/number_text.h"

#include "model/errors.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace kolmarin {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int hexValue(char c) {
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Writes `value` with `decimals` fixed decimals, independent of the C locale.
std::string fixedText(double value, int decimals, char decimalSeparator) {
    char buffer[400];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    std::string text(buffer, ec == std::errc() ? end : buffer);
    for (char& c : text)
        if (c == '.')
            c = decimalSeparator;
    return text;
}

std::string padLeft(std::string text, std::size_t width) {
    if (text.size() < width)
        text.insert(0, width - text.size(), ' ');
    return text;
}

// The power of ten of the leading nonzero digit of a nonzero number in the form
// digits[.digits][e[sign]digits], as far as its sign goes: exponents beyond a billion
// are held there.
long long decimalExponentOf(const std::string& plain) {
    const std::size_t e = plain.find('e');
    const std::string_view mantissa = std::string_view(plain).substr(0, e);
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t lead = mantissa.find_first_of("123456789");
    long long exponent =
        lead < point ? static_cast<long long>(point - lead) - 1 : -static_cast<long long>(lead - point);
    if (e != std::string::npos) {
        std::size_t i = e + 1;
        const bool minus = plain[i] == '-';
        if (plain[i] == '+' || minus)
            ++i;
        long long written = 0;
        for (; i < plain.size(); ++i)
            written = std::min(written * 10 + (plain[i] - '0'), 1'000'000'000LL);
        exponent += minus ? -written : written;
    }
    return exponent;
}

} // namespace

double parseDecimal(std::string_view text, char decimalSeparator) {
    auto reject = [&]() -> double { throw UserError(msg::notAFloat(text)); };
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && text[i] == ' ')
        ++i;
    // The number is rebuilt in the form std::from_chars reads: digits, '.', 'e'.
    std::string plain;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    bool anyDigit = false;
    bool separatorSeen = false;
    for (; i < n; ++i) {
        if (isDigit(text[i])) {
            plain += text[i];
            anyDigit = true;
        } else if (text[i] == decimalSeparator && !separatorSeen) {
            plain += '.';
            separatorSeen = true;
        } else {
            break;
        }
    }
    if (!anyDigit)
        return reject();
    if (i < n && (text[i] == 'E' || text[i] == 'e')) {
        plain += 'e';
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-'))
            plain += text[i++];
        bool exponentDigit = false;
        while (i < n && isDigit(text[i])) {
            plain += text[i++];
            exponentDigit = true;
        }
        if (!exponentDigit)
            return reject();
    }
    while (i < n && text[i] == ' ')
        ++i;
    if (i != n)
        return reject();

    double value = 0.0;
    auto [end, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (end != plain.data() + plain.size())
        return reject();
    if (ec == std::errc::result_out_of_range) {
        // Too small to represent reads as zero; too large is an overflow.
        if (decimalExponentOf(plain) >= 0)
            throw UserError(msg::kOverflow);
        value = 0.0;
    } else if (ec != std::errc()) {
        return reject();
    }
    return negative ? -value : value;
}

std::int32_t parseWhole(std::string_view text) {
    auto reject = [&]() -> std::int32_t { throw UserError(msg::notAnInteger(text)); };
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int base = 10;
    if (i < n && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == n)
        return reject();
    // The magnitude may reach 2^31 for a negative number.
    const std::int64_t limit = negative ? std::int64_t{1} << 31 : (std::int64_t{1} << 31) - 1;
    std::int64_t magnitude = 0;
    for (; i < n; ++i) {
        const int digit = base == 16 ? hexValue(text[i]) : (isDigit(text[i]) ? text[i] - '0' : -1);
        if (digit < 0)
            return reject();
        magnitude = magnitude * base + digit;
        if (magnitude > limit)
            return reject();
    }
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::string formatPosition(double value, char decimalSeparator) {
    return formatFixed(value, 5, 2, decimalSeparator);
}

std::string formatFixed(double value, int width, int decimals, char decimalSeparator) {
    return padLeft(fixedText(value, decimals, decimalSeparator), static_cast<std::size_t>(width));
}

std::string formatInt3(std::int64_t value) {
    return padLeft(std::to_string(value), 3);
}

std::string formatGeneral(double value, char decimalSeparator) {
    if (value == 0.0)
        return "0";
    if (!std::isfinite(value))
        return std::isnan(value) ? "NAN" : (value > 0 ? "INF" : "-INF");
    // 15 significant digits: one before the point and 14 after in scientific form.
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    (void)ec;
    std::string sci(buffer, end);
    const auto ePos = sci.find('e');
    int exponent = std::stoi(sci.substr(ePos + 1));
    std::string mantissa = sci.substr(0, ePos);
    const bool negative = mantissa[0] == '-';
    if (negative)
        mantissa.erase(0, 1);
    std::string digits;
    for (char c : mantissa)
        if (isDigit(c))
            digits += c;
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out = negative ? "-" : "";
    if (exponent >= -5 && exponent < 15) {
        if (exponent < 0) {
            out += '0';
            out += decimalSeparator;
            out.append(static_cast<std::size_t>(-exponent - 1), '0');
            out += digits;
        } else {
            const auto whole = static_cast<std::size_t>(exponent) + 1;
            if (digits.size() <= whole) {
                out += digits;
                out.append(whole - digits.size(), '0');
            } else {
                out += digits.substr(0, whole);
                out += decimalSeparator;
                out += digits.substr(whole);
            }
        }
    } else {
        out += digits[0];
        if (digits.size() > 1) {
            out += decimalSeparator;
            out += digits.substr(1);
        }
        out += 'E';
        out += std::to_string(exponent);
    }
    return out;
}

std::int32_t checkedAdd(std::int32_t a, std::int32_t b) {
    std::int32_t r = 0;
    if (__builtin_add_overflow(a, b, &r))
        throw UserError(msg::kIntegerOverflow);
    return r;
}

std::int32_t checkedMul(std::int32_t a, std::int32_t b) {
    std::int32_t r = 0;
    if (__builtin_mul_overflow(a, b, &r))
        throw UserError(msg::kIntegerOverflow);
    return r;
}

} // namespace kolmarin
