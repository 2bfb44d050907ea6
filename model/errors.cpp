#include "model/errors.h"

namespace kolmarin::msg {

std::string shownText(std::string_view text) {
    std::string shown;
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        // A UTF-8 character starts with any byte but a continuation byte 10xxxxxx.
        if ((byte & 0xC0) != 0x80 && ++characters > kLongestShownText) {
            shown += "…";
            break;
        }
        if (byte >= 0x20 && byte != 0x7F) {
            shown += text[i];
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
