#include "files/result_file.h"

#include "files/cp932_text.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string_view>

namespace kolmarin {

namespace {

constexpr qsizetype kFieldBytes = 10;
constexpr char kLineEnd[] = "\r\n";

// Concatenates fixed pieces and the user's texts into one line; a text that cannot be
// written is refused by name.
class Line {
  public:
    Line& operator<<(std::string_view piece) {
        bytes_ += encodeLineText(piece);
        return *this;
    }
    QByteArray end() const { return bytes_ + kLineEnd; }

  private:
    QByteArray bytes_;
};

QByteArray field(const std::string& text) {
    return rightAligned(encodeLineText(text), kFieldBytes);
}

// Which main loudspeakers play through the high-pass and which the full band:
// "Sp1、Sp2は高域、" or "Sp2、Cは高域、Sp1は全域、".
std::string branchesText(const std::vector<Loudspeaker>& loudspeakers) {
    std::string small, large;
    for (const Loudspeaker& speaker : loudspeakers) {
        std::string& list = speaker.large ? large : small;
        const std::string label = speaker.role == LoudspeakerRole::FrontLeft ? "Sp1"
                                  : speaker.role == LoudspeakerRole::FrontRight
                                      ? "Sp2"
                                      : loudspeakerLabel(speaker.role);
        list += (list.empty() ? "" : "、") + label;
    }
    return (small.empty() ? "" : small + "は高域、") + (large.empty() ? "" : large + "は全域、");
}

} // namespace

std::string resultField(double value) {
    char buffer[400];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 1);
    std::string text(buffer, ec == std::errc() ? end : buffer);
    // A small negative level rounds to zero; "-0.0" would show a sign the value does not have.
    if (text == "-0.0")
        text = "0.0";
    if (text.size() < static_cast<std::size_t>(kFieldBytes))
        text.insert(0, kFieldBytes - text.size(), ' ');
    return text;
}

ElementRange resultFileElements(const SceneTexts& texts, ElementRange computed) {
    const FrequencyRange range = readFrequencyRange(texts);
    const ElementRange wanted = storedElements(range.start, range.end);
    ElementRange rows;
    rows.first = std::max({wanted.first, computed.first, 0});
    rows.last = std::min({wanted.last, computed.last, kCurvePoints - 1});
    if (rows.first > rows.last)
        return ElementRange{};
    return rows;
}

QByteArray resultFileBytes(const SceneTexts& texts, const ResponseCurves& curves, ElementRange computed) {
    BassSetup setup;
    setup.texts = texts;
    return resultFileBytes(setup, CurveSubject{}, curves, computed);
}

QByteArray resultFileBytes(const BassSetup& setup, const CurveSubject& subject, const ResponseCurves& curves,
                           ElementRange computed) {
    const SceneTexts& t = setup.texts;
    const ElementRange rows = resultFileElements(t, computed);
    const bool extended = subject.beyondRoomFile();

    QByteArray out;
    out += (Line() << kResultFileHeader).end();
    out += kLineEnd;
    out += (Line() << "部屋の幅" << t.width << "m"
                   << "、奥行き" << t.depth << "m、高さ" << t.height << "m")
               .end();
    out += (Line() << "反射率：前=" << t.reflFront << "、後=" << t.reflBack << "、右=" << t.reflRight
                   << "、左=" << t.reflLeft << "、上=" << t.reflCeiling << "、下=" << t.reflFloor)
               .end();
    auto position = [](std::string_view title, const PositionTexts& p) {
        Line line;
        line << title << "左から" << p.x << "m、前から" << p.y << "m、床から" << p.z << "m";
        return line;
    };
    const std::size_t seat = static_cast<std::size_t>(std::max(1, subject.seat) - 1);
    out += position(seat == 0 ? std::string("聴取位置：") : "座席 " + std::to_string(seat + 1) + " の位置：",
                    t.seats.at(seat))
               .end();
    out += position("Sp1音源位置：", t.sources.at(0)).end();
    out += position("Sp2音源位置：", t.sources.at(1)).end();
    if (extended)
        for (std::size_t s = 2; s < setup.loudspeakers.size(); ++s)
            out +=
                position(loudspeakerLabel(setup.loudspeakers[s].role) + "音源位置：", t.sources.at(s)).end();
    if (extended)
        for (int i = 0; i < setup.subwooferCount(); ++i) {
            const SubwooferSignal& s = setup.subwoofers[static_cast<std::size_t>(i)];
            char signal[96];
            std::snprintf(signal, sizeof signal, "、レベル%+.1fdB、遅延%.2fms、極性", s.levelDb, s.delayMs);
            out += (position("Sw" + std::to_string(i + 1) + "音源位置：",
                             t.sources.at(setup.loudspeakers.size() + static_cast<std::size_t>(i)))
                    << signal << (s.reversed ? "逆" : "正"))
                       .end();
        }
    out += (Line() << "反射回数" << t.reflectionCount << "回").end();
    if (extended) {
        if (subject.crossover != 0)
            out += (Line() << "クロスオーバー：" << std::to_string(subject.crossover) << "Hz ("
                           << branchesText(setup.loudspeakers) << "Swは低域)")
                       .end();
        out += (Line() << "座席：座席" << std::to_string(seat + 1) << " (全"
                       << std::to_string(subject.seatCount) << "席、座席1が聴取位置)")
                   .end();
        out += (Line() << "Totalの音源：" << subject.totalSources()
                       << (subject.subwoofersOnly ? " (サブウーファーのみ)" : ""))
                   .end();
    }
    out += kLineEnd;
    out += field("周波数(Hz)") + field("Sp1(dB)") + field("Sp2(dB)") + field("Total(dB)") + kLineEnd;

    const Curve& first = curves.sources.at(0);
    const Curve& second = curves.sources.at(1);
    for (int j = rows.first; j <= rows.last; ++j) {
        const std::string row = resultField(j / 2.0) + resultField(first[j]) + resultField(second[j]) +
                                resultField(curves.total[j]);
        out += QByteArray::fromStdString(row) + kLineEnd;
    }
    return out;
}

} // namespace kolmarin
