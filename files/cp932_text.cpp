#include "files/cp932_text.h"

#include "files/file_errors.h"
#include "model/errors.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace kolmarin {

namespace {

// Qt's CP932 converter (the windows-31j table) swaps the control codes 0x1A, 0x1C and
// 0x7F among themselves, where Windows keeps 0x00..0x7F as plain ASCII; 0x1A written for
// U+001C would even end the file for a reader. So ASCII is converted here byte for byte,
// and only the other characters go through the converter.
constexpr char kConverterName[] = "windows-31j";

constexpr char16_t kLineFeed = 0x0A;
constexpr char16_t kCtrlZ = 0x1A;

bool isAscii(QChar c) {
    return c.unicode() < 0x80;
}

// First byte of a two-byte character.
bool isLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

QStringEncoder makeEncoder() {
    QStringEncoder encoder(kConverterName, QStringConverter::Flag::Stateless);
    if (!encoder.isValid())
        throw UserError(msg::kNoCp932Converter);
    return encoder;
}

// The bytes of a run of non-ASCII characters, or nothing when one of them has no CP932
// form. A best-fit mapping that would read back as another character counts as none.
std::optional<QByteArray> encodeNonAscii(QStringView run) {
    QStringEncoder encoder = makeEncoder();
    QByteArray bytes = encoder.encode(run);
    if (encoder.hasError())
        return std::nullopt;
    const std::optional<QString> back = decodeCp932(bytes);
    if (!back || *back != run)
        return std::nullopt;
    return bytes;
}

// The first character (a whole surrogate pair where there is one) of `run` that has no
// CP932 form, for the message.
QString firstUnencodable(QStringView run) {
    qsizetype i = 0;
    while (i < run.size()) {
        const qsizetype length = run[i].isHighSurrogate() && i + 1 < run.size() ? 2 : 1;
        const QStringView character = run.mid(i, length);
        if (!encodeNonAscii(character))
            return character.toString();
        i += length;
    }
    return run.toString();
}

} // namespace

QByteArray encodeLineText(std::string_view utf8) {
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    QByteArray out;
    out.reserve(text.size() * 2);
    qsizetype i = 0;
    while (i < text.size()) {
        if (isAscii(text[i])) {
            const char16_t c = text[i].unicode();
            if (c == kLineFeed || c == kCtrlZ)
                throw UserError(msg::breaksLine(utf8));
            out.append(static_cast<char>(c));
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < text.size() && !isAscii(text[end]))
            ++end;
        const QStringView run = QStringView(text).mid(i, end - i);
        const std::optional<QByteArray> bytes = encodeNonAscii(run);
        if (!bytes)
            throw UserError(msg::notEncodable(utf8, firstUnencodable(run).toStdString()));
        out.append(*bytes);
        i = end;
    }
    return out;
}

std::optional<QString> decodeCp932(QByteArrayView bytes) {
    QString out;
    out.reserve(bytes.size());
    qsizetype i = 0;
    const qsizetype n = bytes.size();
    while (i < n) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out.append(QChar(b));
            ++i;
            continue;
        }
        // A run of non-ASCII characters; the second byte of a two-byte character may be
        // in the ASCII range, so it is taken along with its lead byte.
        qsizetype end = i;
        while (end < n && static_cast<unsigned char>(bytes[end]) >= 0x80)
            end += isLeadByte(static_cast<unsigned char>(bytes[end])) ? 2 : 1;
        if (end > n)
            return std::nullopt; // a lead byte at the very end
        QStringDecoder decoder(kConverterName, QStringConverter::Flag::Stateless);
        if (!decoder.isValid())
            throw UserError(msg::kNoCp932Converter);
        const QString run = decoder.decode(bytes.sliced(i, end - i));
        if (decoder.hasError())
            return std::nullopt;
        out.append(run);
        i = end;
    }
    return out;
}

QByteArray rightAligned(const QByteArray& field, qsizetype width) {
    if (field.size() >= width)
        return field;
    return QByteArray(width - field.size(), ' ') + field;
}

} // namespace kolmarin
