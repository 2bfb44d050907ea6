#include "files/mode_file.h"

#include "files/cp932_text.h"

namespace kolmarin {

namespace {
constexpr qsizetype kCellBytes = 14;
constexpr char kLineEnd[] = "\r\n";
} // namespace

QByteArray modeFileBytes(const SceneTexts& t, const ModeTable& table) {
    QByteArray out = encodeLineText(kModeFileHeader) + kLineEnd;
    out += kLineEnd;
    out += encodeLineText("部屋の幅") + encodeLineText(t.width) + "m" + encodeLineText("、奥行き") +
           encodeLineText(t.depth) + "m" + encodeLineText("、高さ") + encodeLineText(t.height) + "m" +
           kLineEnd;
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        for (const std::string& cell : table.rows[r])
            out += rightAligned(encodeLineText(cell), kCellBytes);
        if (r < table.decay.size())
            out += rightAligned(encodeLineText(table.decay[r]), kCellBytes);
        out += kLineEnd;
    }
    return out;
}

} // namespace kolmarin
