#include "files/room_file.h"

#include "files/cp932_text.h"
#include "files/file_errors.h"
#include "files/save_file.h"
#include "model/errors.h"
#include "model/text/number_text.h"

#include <QFile>

#include <array>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

namespace kolmarin {

namespace {

constexpr char kCtrlZ = 0x1A;
constexpr char kCr = 0x0D;
constexpr char kLf = 0x0A;
constexpr char kLineEnd[] = "\r\n";

// The reader decides on the header from at most this many leading bytes.
constexpr qint64 kHeaderProbeBytes = 4096;

// The 21 value texts in file order (lines 2 to 22).
template <class Texts> auto valueFields(Texts& t) {
    auto& seat = t.seats.at(0);
    auto& first = t.sources.at(0);
    auto& second = t.sources.at(1);
    return std::array{&t.depth,       &t.width,    &t.height,    &t.reflFront,       &t.reflBack,
                      &t.reflRight,   &t.reflLeft, &t.reflFloor, &t.reflCeiling,     &seat.x,
                      &seat.y,        &seat.z,     &first.x,     &first.y,           &first.z,
                      &second.x,      &second.y,   &second.z,    &t.reflectionCount, &t.startFrequency,
                      &t.endFrequency};
}
static_assert(std::tuple_size_v<decltype(valueFields(std::declval<SceneTexts&>()))> == kRoomFileLines - 1);

// Lines 2 to 19 hold decimal values, 20 to 22 whole numbers.
constexpr std::size_t kFirstWholeLine = 20;
constexpr std::array<const char*, kRoomFileLines - 1> kFieldNames{"奥行き",
                                                                  "幅",
                                                                  "高さ",
                                                                  "前の壁の反射率",
                                                                  "後ろの壁の反射率",
                                                                  "右の壁の反射率",
                                                                  "左の壁の反射率",
                                                                  "床の反射率",
                                                                  "天井の反射率",
                                                                  "聴取者 x",
                                                                  "聴取者 y",
                                                                  "聴取者 z",
                                                                  "SP1 x",
                                                                  "SP1 y",
                                                                  "SP1 z",
                                                                  "SP2 x",
                                                                  "SP2 y",
                                                                  "SP2 z",
                                                                  "反射回数",
                                                                  "開始周波数",
                                                                  "終了周波数"};

} // namespace

SceneTexts withDecimalSeparator(SceneTexts texts, char from, char to) {
    if (from == to)
        return texts;
    const auto fields = valueFields(texts);
    for (std::size_t i = 0; i + 2 < kFirstWholeLine; ++i) {
        std::string& text = *fields[i];
        const std::size_t mark = text.find(from);
        if (mark == std::string::npos)
            continue;
        try {
            parseDecimal(text, from);
        } catch (const UserError&) {
            continue;
        }
        text[mark] = to;
    }
    return texts;
}

namespace {

// Cuts the first `count` lines off `bytes`, by the reading rules of the room file.
std::vector<QByteArrayView> splitLines(QByteArrayView bytes, int count) {
    const qsizetype endOfFile = bytes.indexOf(kCtrlZ);
    if (endOfFile >= 0)
        bytes = bytes.first(endOfFile);
    std::vector<QByteArrayView> lines;
    qsizetype start = 0;
    while (static_cast<int>(lines.size()) < count && start < bytes.size()) {
        qsizetype end = bytes.indexOf(kLf, start);
        const qsizetype next = end < 0 ? bytes.size() : end + 1;
        if (end < 0)
            end = bytes.size();
        else if (end > start && bytes[end - 1] == kCr)
            --end;
        lines.push_back(bytes.sliced(start, end - start));
        start = next;
    }
    return lines;
}

bool startsWithHeader(QByteArrayView bytes) {
    const std::vector<QByteArrayView> first = splitLines(bytes, 1);
    return !first.empty() && first.front() == QByteArrayView(kRoomFileHeader);
}

// Reads up to `limit` bytes; fewer only at the end of the file.
QByteArray readUpTo(QFile& file, qint64 limit, const QString& path) {
    QByteArray data;
    while (data.size() < limit) {
        const QByteArray chunk = file.read(limit - data.size());
        if (chunk.isEmpty()) {
            if (file.error() != QFileDevice::NoError)
                throwReadFailure(file, path);
            break;
        }
        data.append(chunk);
    }
    return data;
}

} // namespace

QByteArray roomFileBytes(const SceneTexts& texts, char decimalSeparator) {
    QByteArray out = QByteArray(kRoomFileHeader) + kLineEnd;
    const SceneTexts written = withDecimalSeparator(texts, decimalSeparator, '.');
    for (const std::string* text : valueFields(written))
        out += encodeLineText(*text) + kLineEnd;
    return out;
}

SceneTexts parseRoomFile(QByteArrayView bytes) {
    const std::vector<QByteArrayView> lines = splitLines(bytes, kRoomFileLines);
    if (lines.empty() || lines.front() != QByteArrayView(kRoomFileHeader))
        throw UserError(msg::kNotARoomFile);
    SceneTexts texts;
    const auto fields = valueFields(texts);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i + 1 >= lines.size()) {
            fields[i]->clear();
            continue;
        }
        const std::optional<QString> text = decodeCp932(lines[i + 1]);
        // The writer never produces such bytes: the file comes from elsewhere.
        if (!text)
            throw UserError(msg::kNotARoomFile);
        *fields[i] = text->toStdString();
    }
    return texts;
}

SceneTexts readRoomFile(const QString& path, char decimalSeparator) {
    recoverInterruptedSave(path);
    QFile file;
    openRegularFile(file, path);
    if (file.size() > kMaxRoomFileBytes)
        throw UserError(msg::kNotARoomFile);
    QByteArray data = readUpTo(file, kHeaderProbeBytes, path);
    if (!startsWithHeader(data))
        throw UserError(msg::kNotARoomFile);
    data += readUpTo(file, kMaxRoomFileBytes + 1 - data.size(), path);
    if (data.size() > kMaxRoomFileBytes)
        throw UserError(msg::kNotARoomFile);
    return withDecimalSeparator(parseRoomFile(data), '.', decimalSeparator);
}

void checkRoomFileTexts(const SceneTexts& texts, char decimalSeparator) {
    const auto fields = valueFields(texts);
    const std::string decimal = decimalSeparator == '.'
                                    ? std::string("（小数点は「.」）")
                                    : std::string("（小数点は「.」か「") + decimalSeparator + "」）";
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const bool whole = i >= kFirstWholeLine - 2;
        try {
            if (whole)
                parseWhole(*fields[i]);
            else
                parseDecimal(*fields[i], decimalSeparator);
        } catch (const UserError& e) {
            // A number too large for a double needs no word on the form.
            const std::string expected = std::string_view(e.what()) == msg::kOverflow ? ""
                                         : whole ? "。整数を書きます"
                                                 : "。数値を書きます" + decimal;
            throw UserError(std::to_string(i + 2) + " 行目 (" + kFieldNames[i] + "): " + e.what() + expected);
        }
    }
    checkSceneTexts(texts, decimalSeparator);
}

} // namespace kolmarin
