#include "model/errors.h"

namespace kolmarin::msg {

std::string notAFloat(std::string_view text) {
    return "'" + std::string(text) + "' は浮動小数点数ではありません";
}

std::string notAnInteger(std::string_view text) {
    return "'" + std::string(text) + "' は整数ではありません";
}

} // namespace kolmarin::msg
