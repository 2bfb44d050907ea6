#pragma once
// The files hold their text in CP932, the Windows form of Shift-JIS: ASCII in one byte,
// half-width katakana in one byte, everything else in two. Field widths in the files count
// these bytes.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace kolmarin {

// The CP932 bytes of one line's text (UTF-8 in). Throws UserError naming the text when a
// character has no CP932 form, or when the text holds a line feed or Ctrl-Z, which would
// split the line or end the file for a reader.
QByteArray encodeLineText(std::string_view utf8);

// The text of CP932 bytes, or nothing when they are not valid CP932.
std::optional<QString> decodeCp932(QByteArrayView bytes);

// `field` padded on the left with blanks to `width` bytes; a longer field stays whole.
QByteArray rightAligned(const QByteArray& field, qsizetype width);

} // namespace kolmarin
