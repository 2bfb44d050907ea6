#include "files/room_file.h"

#include "files/cp932_text.h"
#include "files/file_errors.h"
#include "model/errors.h"

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
    return std::array{&t.depth,       &t.width,      &t.height,    &t.reflFront,       &t.reflBack,
                      &t.reflRight,   &t.reflLeft,   &t.reflFloor, &t.reflCeiling,     &t.listener.x,
                      &t.listener.y,  &t.listener.z, &t.sp1.x,     &t.sp1.y,           &t.sp1.z,
                      &t.sp2.x,       &t.sp2.y,      &t.sp2.z,     &t.reflectionCount, &t.startFrequency,
                      &t.endFrequency};
}
static_assert(std::tuple_size_v<decltype(valueFields(std::declval<SceneTexts&>()))> == kRoomFileLines - 1);

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

QByteArray roomFileBytes(const SceneTexts& texts) {
    QByteArray out = QByteArray(kRoomFileHeader) + kLineEnd;
    for (const std::string* text : valueFields(texts))
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

SceneTexts readRoomFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throwReadFailure(file, path);
    // size() is 0 for a pipe or a device; those are bounded by the reading below.
    if (file.size() > kMaxRoomFileBytes)
        throw UserError(msg::kNotARoomFile);
    QByteArray data = readUpTo(file, kHeaderProbeBytes, path);
    if (!startsWithHeader(data))
        throw UserError(msg::kNotARoomFile);
    data += readUpTo(file, kMaxRoomFileBytes + 1 - data.size(), path);
    if (data.size() > kMaxRoomFileBytes)
        throw UserError(msg::kNotARoomFile);
    return parseRoomFile(data);
}

} // namespace kolmarin
