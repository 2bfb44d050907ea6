#include "model/layout/scene_lines.h"

#include "model/layout/print_geometry.h"

#include <cstdio>

namespace kolmarin {

namespace {

std::string number(const char* format, double value, char decimalSeparator) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    std::string out(text);
    for (char& c : out)
        if (c == '.')
            c = decimalSeparator;
    return out;
}

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first);
}

// A subwoofer's or another seat's place, short enough that two such entries share a line:
// metres from the left wall, the front wall and the floor.
std::string position(const std::string& name, const PositionTexts& p) {
    return name + " 左" + trimmed(p.x) + " 前" + trimmed(p.y) + " 床" + trimmed(p.z) + " m";
}

// Splits `text` at every `separator`, dropping empty pieces.
std::vector<std::string> split(const std::string& text, const std::string& separator) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(separator, start), text.size());
        if (end > start)
            pieces.push_back(text.substr(start, end - start));
        start = end + separator.size();
    }
    return pieces;
}

} // namespace

SceneGroups sceneGroups(const BassSetup& setup, const std::optional<SeatSummary>& seats,
                        char decimalSeparator) {
    const SceneTexts& t = setup.texts;
    const auto base = graphHeaderLines(t);
    SceneGroups groups;
    groups.push_back({trimmed(base[0])});
    std::vector<std::string> mains{base[1], base[2]};
    bool anyLarge = false;
    for (std::size_t s = 0; s < setup.loudspeakers.size() && s < t.sources.size(); ++s) {
        const Loudspeaker& speaker = setup.loudspeakers[s];
        if (s >= 2)
            mains.push_back(position(loudspeakerLabel(speaker.role), t.sources[s]));
        if (speaker.large)
            mains[s] += "  ラージ";
        anyLarge = anyLarge || speaker.large;
    }
    groups.push_back(mains);

    std::vector<std::string> subwoofers;
    for (int i = 0; i < setup.subwooferCount(); ++i) {
        const SubwooferSignal& s = setup.subwoofers[static_cast<std::size_t>(i)];
        subwoofers.push_back(position("SW" + std::to_string(i + 1),
                                      t.sources.at(setup.loudspeakers.size() + static_cast<std::size_t>(i))) +
                             "  レベル " + number("%+.1f", s.levelDb, decimalSeparator) + " dB  遅延 " +
                             number("%.2f", s.delayMs, decimalSeparator) + " ms  極性 " +
                             (s.reversed ? "逆" : "正"));
    }
    if (setup.crossover != 0)
        subwoofers.push_back("クロスオーバー " + std::to_string(setup.crossover) +
                             (anyLarge ? " Hz (ラージは全域、ほかのスピーカーは高域、SW は低域)"
                                       : " Hz (SP は高域、SW は低域)"));
    if (!subwoofers.empty())
        groups.push_back(subwoofers);

    std::vector<std::string> listeners{base[3]};
    const bool figures = seats && seats->figures.spread.size() == t.seats.size() &&
                         seats->figures.mean.size() == t.seats.size();
    for (std::size_t s = 1; s < t.seats.size(); ++s) {
        std::string entry = position("座席 " + std::to_string(s + 1), t.seats[s]);
        if (figures)
            entry += "  ばらつき " + number("%.2f", seats->figures.spread[s], decimalSeparator) +
                     " dB  平均 " + number("%.1f", seats->figures.mean[s], decimalSeparator) + " dB";
        listeners.push_back(entry);
    }
    if (figures && t.seats.size() > 1)
        listeners.push_back("座席間のばらつき " + number("%.2f", seats->figures.variation, decimalSeparator) +
                            " dB  平均 " + number("%.1f", seats->figures.meanLevel, decimalSeparator) +
                            " dB  座席 1 のばらつき " +
                            number("%.2f", seats->figures.spread[0], decimalSeparator) + " dB (" +
                            std::to_string(seats->band.low) + "–" + std::to_string(seats->band.high) + " Hz" +
                            (seats->subwoofersOnly ? "、SW のみ" : "") + ")");
    groups.push_back(listeners);
    groups.push_back({base[4]});
    return groups;
}

std::vector<std::string> packPieces(const std::vector<std::string>& pieces, const std::string& separator,
                                    double width, const TextWidth& textWidth) {
    std::vector<std::string> lines;
    std::string line;
    for (const std::string& piece : pieces) {
        if (!line.empty() && textWidth(line + separator + piece) <= width) {
            line += separator + piece;
            continue;
        }
        if (!line.empty())
            lines.push_back(line);
        line = piece;
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

std::vector<std::string> wrapSceneGroups(const SceneGroups& groups, double width,
                                         const TextWidth& textWidth) {
    std::vector<std::string> lines;
    for (const std::vector<std::string>& group : groups) {
        // An entry too wide alone comes apart at its gaps, a piece still too wide at its
        // blanks; the pieces of one entry stay together before the next entry's.
        std::vector<std::string> fitting;
        for (const std::string& entry : group) {
            if (textWidth(entry) <= width) {
                fitting.push_back(entry);
                continue;
            }
            for (const std::string& part : packPieces(split(entry, "  "), "  ", width, textWidth)) {
                const std::vector<std::string> words =
                    textWidth(part) <= width ? std::vector<std::string>{part} : split(part, " ");
                for (const std::string& piece : packPieces(words, " ", width, textWidth))
                    fitting.push_back(piece);
            }
        }
        for (const std::string& line : packPieces(fitting, "   ", width, textWidth))
            lines.push_back(line);
    }
    return lines;
}

} // namespace kolmarin
