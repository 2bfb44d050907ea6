#pragma once
// Failures of the numeric core. Every failure carries the message the user sees,
// in UTF-8, exactly as the error box shows it.

#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace kolmarin {

class UserError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
    // A message with a further explanation: what() stays the message alone, and the
    // places that show errors show the detail after it (empty: none).
    UserError(const std::string& message, std::string detail)
        : std::runtime_error(message), detail_(std::move(detail)) {}

    const std::string& detail() const { return detail_; }

  private:
    std::string detail_;
};

namespace msg {
inline constexpr char kZeroDivide[] = "0 による浮動小数点数除算";
inline constexpr char kOverflow[] = "浮動小数点数のオーバーフロー";
inline constexpr char kInvalidOperation[] = "不正な浮動小数点数演算命令";
inline constexpr char kIntegerOverflow[] = "整数のオーバーフロー";
inline constexpr char kNegativeReflectionCount[] = "反射回数は 0 以上の値にしてください";
inline constexpr char kFftPrimeFactor[] =
    "Prime factor for FFT length too large. Change value for cMaxPrimeFactor in FFTs unit";

// The user's text as a message shows it: control characters (a NUL would end the
// message where the error box takes it over) as escapes such as \x00, and no more than
// its first kLongestShownText characters, then "…": a line of a megabyte would take the
// error box many seconds to lay out and tell the user nothing more.
inline constexpr std::size_t kLongestShownText = 40;
std::string shownText(std::string_view text);
std::string notAFloat(std::string_view text);    // "'%s' は浮動小数点数ではありません"
std::string notAnInteger(std::string_view text); // "'%s' は整数ではありません"
} // namespace msg

} // namespace kolmarin
