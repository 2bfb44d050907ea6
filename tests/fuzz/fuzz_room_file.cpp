// The room file reader on arbitrary bytes: 21 texts or the "not a room file" message,
// never anything else. Plain ASCII files are checked against a line split written here
// on its own, and every file that is read must survive writing and reading again.
#include "fuzz_support.h"

#include "files/file_errors.h"
#include "files/room_file.h"
#include "model/acoustics/scene.h"
#include "model/errors.h"

#include <QByteArray>
#include <QByteArrayView>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using namespace kolmarin;
using fuzz::require;

namespace {

// The texts in the order of the file's value lines.
std::array<const std::string*, 21> fileOrder(const SceneTexts& t) {
    return {&t.depth,        &t.width,        &t.height,       &t.reflFront,       &t.reflBack,
            &t.reflRight,    &t.reflLeft,     &t.reflFloor,    &t.reflCeiling,     &t.seats[0].x,
            &t.seats[0].y,   &t.seats[0].z,   &t.sources[0].x, &t.sources[0].y,    &t.sources[0].z,
            &t.sources[1].x, &t.sources[1].y, &t.sources[1].z, &t.reflectionCount, &t.startFrequency,
            &t.endFrequency};
}

// The first 22 lines of the bytes: everything from the first Ctrl-Z on is gone, a line
// feed ends a line and takes one carriage return before it along.
std::vector<std::string_view> firstLines(std::string_view bytes) {
    bytes = bytes.substr(0, bytes.find('\x1a'));
    std::vector<std::string_view> lines;
    while (!bytes.empty() && lines.size() < kRoomFileLines) {
        const std::size_t lf = bytes.find('\n');
        std::string_view line = bytes.substr(0, lf);
        if (lf != std::string_view::npos && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        bytes = lf == std::string_view::npos ? std::string_view() : bytes.substr(lf + 1);
    }
    return lines;
}

bool isAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::optional<SceneTexts> parsed(QByteArrayView bytes) {
    try {
        return parseRoomFile(bytes);
    } catch (const UserError& e) {
        const std::string_view message = e.what();
        require(message == msg::kNotARoomFile || message == msg::kNoCp932Converter,
                "parseRoomFile fails only with its own messages");
    }
    return std::nullopt;
}

// Whether the texts pass the room file's checks; a refusal names its line (2 to 22) or is
// one of the room's own messages, and is whole (no NUL cuts it short).
bool accepted(const SceneTexts& texts, char separator) {
    try {
        checkRoomFileTexts(texts, separator);
        return true;
    } catch (const UserError& e) {
        const std::string message = e.what();
        require(message.find('\0') == std::string::npos, "a refusal shows a NUL as an escape");
        const int line = std::atoi(message.c_str());
        const bool room =
            message == msg::kNegativeReflectionCount || message.find(" 0 より大きい値") != std::string::npos;
        require(room || (line >= 2 && line <= kRoomFileLines && message.find(" 行目 (") != std::string::npos),
                "a refused value names its line");
    }
    return false;
}

// Texts a comma locale takes are written with points, and read back in a point locale, and
// come back as they were in the comma locale.
void checkInComma(const SceneTexts& comma) {
    if (!accepted(comma, ','))
        return;
    const std::optional<SceneTexts> back = parsed(roomFileBytes(comma, ','));
    require(back && accepted(*back, '.'), "a file written in a comma locale reads in a point locale");
    require(withDecimalSeparator(*back, '.', ',') == comma,
            "a file written in a comma locale reads back there");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::optional<SceneTexts> texts =
        parsed(QByteArrayView(input.data(), static_cast<qsizetype>(size)));

    const std::vector<std::string_view> lines = firstLines(input);
    const bool header = !lines.empty() && lines.front() == kRoomFileHeader;
    if (!header) {
        require(!texts, "a file without the header line is refused");
        return 0;
    }
    // Lines of ASCII decode to themselves; other lines may be refused as invalid CP932.
    const bool ascii = std::all_of(lines.begin(), lines.end(), isAscii);
    require(texts || !ascii, "a file of ASCII lines after the header is read");
    if (!texts)
        return 0;
    const auto fields = fileOrder(*texts);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::string& text = *fields[i];
        require(text.find('\n') == std::string::npos && text.find('\x1a') == std::string::npos,
                "a text holds no line feed or Ctrl-Z");
        if (i + 1 >= lines.size())
            require(text.empty(), "a missing line reads as an empty text");
        else if (isAscii(lines[i + 1]))
            require(text == lines[i + 1], "an ASCII line reads as itself");
    }

    // Written again, the texts read back unchanged, and writing them once more gives the
    // same bytes. Only a text with a character CP932 cannot hold may refuse to be written.
    QByteArray written;
    try {
        written = roomFileBytes(*texts);
    } catch (const UserError& e) {
        require(!ascii, "texts read from ASCII lines can be written");
        require(*e.what() != '\0', "a UserError carries a message");
        return 0;
    }
    const std::optional<SceneTexts> again = parsed(written);
    require(again.has_value(), "a written room file reads back");
    require(*again == *texts, "the texts survive writing and reading");
    require(roomFileBytes(*again) == written, "writing the texts read back gives the same bytes");
    require(written.startsWith(QByteArray(kRoomFileHeader) + "\r\n") &&
                written.count("\r\n") >= kRoomFileLines,
            "a written room file is the header and one line per text");
    checkInComma(withDecimalSeparator(*texts, '.', ','));
    return 0;
}
