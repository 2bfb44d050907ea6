#include "model/errors.h"

namespace kolmarin::msg {

std::string shownText(std::string_view text) {
    std::string shown;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            shown += c;
            continue;
        }
        constexpr char kHex[] = "0123456789ABCDEF";
        shown += "\\x";
        shown += kHex[byte >> 4];
        shown += kHex[byte & 15];
    }
    return shown;
}

std::string notAFloat(std::string_view text) {
    return "'" + shownText(text) + "' は浮動小数点数ではありません";
}

std::string notAnInteger(std::string_view text) {
    return "'" + shownText(text) + "' は整数ではありません";
}

} // namespace kolmarin::msg
