#include "files/setup_file.h"

#include "files/file_errors.h"
#include "files/save_file.h"
#include "files/text_lines.h"
#include "model/acoustics/crossover.h"
#include "model/acoustics/subwoofer_optimiser.h"
#include "model/errors.h"
#include "model/text/number_text.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <charconv>
#include <map>
#include <set>
#include <vector>

namespace kolmarin {

namespace {

constexpr char kRefused[] = "セットアップファイルとして読み込めません。";

[[noreturn]] void refuse(const std::string& why) {
    throw UserError(kRefused + why);
}

[[noreturn]] void refuseLine(int line, const std::string& why) {
    refuse(std::to_string(line) + " 行目: " + why);
}

// The room's texts in file order with their names; the first nine are decimals.
template <class Texts>
std::vector<std::pair<const char*, decltype(&std::declval<Texts&>().width)>> roomFields(Texts& t) {
    return {{"width", &t.width},
            {"depth", &t.depth},
            {"height", &t.height},
            {"reflection.right", &t.reflRight},
            {"reflection.left", &t.reflLeft},
            {"reflection.front", &t.reflFront},
            {"reflection.back", &t.reflBack},
            {"reflection.floor", &t.reflFloor},
            {"reflection.ceiling", &t.reflCeiling},
            {"reflections", &t.reflectionCount},
            {"start_hz", &t.startFrequency},
            {"end_hz", &t.endFrequency}};
}
constexpr std::size_t kDecimalRoomFields = 9;

// The name of a source's lines: "sp1", "c", ... for a main loudspeaker, "sw1" ... after them.
std::string sourceName(const BassSetup& setup, std::size_t source) {
    return source < setup.loudspeakers.size() ? loudspeakerWord(setup.loudspeakers[source].role)
                                              : "sw" + std::to_string(source - setup.loudspeakers.size() + 1);
}

std::string numberText(double value) {
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

// A decimal text with `from` as its mark rewritten with `to`, when it is a number so.
std::string withMark(std::string text, char from, char to) {
    const std::size_t mark = text.find(from);
    if (from == to || mark == std::string::npos)
        return text;
    try {
        parseDecimal(text, from);
    } catch (const UserError&) {
        return text;
    }
    text[mark] = to;
    return text;
}

struct Value {
    std::string text;
    int line = 0;
};

class Lines {
  public:
    explicit Lines(std::map<std::string, Value> values) : values_(std::move(values)) {}

    // A line a file may leave out; nothing when it does.
    const Value* optional(const std::string& name) { return values_.count(name) ? &at(name) : nullptr; }
    const Value& at(const std::string& name) {
        const auto it = values_.find(name);
        if (it == values_.end())
            refuse(msg::shownText(name) + " がありません");
        used_.insert(name);
        return it->second;
    }
    double decimal(const std::string& name) {
        const Value& v = at(name);
        try {
            return parseDecimal(v.text, '.');
        } catch (const UserError& e) {
            refuseLine(v.line, name + ": " + e.what());
        }
    }
    int whole(const std::string& name, int lowest, int highest) {
        const Value& v = at(name);
        std::int32_t n = 0;
        try {
            n = parseWhole(v.text);
        } catch (const UserError& e) {
            refuseLine(v.line, name + ": " + e.what());
        }
        if (n < lowest || n > highest)
            refuseLine(v.line, name + " は " + std::to_string(lowest) + " から " + std::to_string(highest) +
                                   " までです");
        return n;
    }
    // A decimal text kept as written, with the reader's decimal mark.
    std::string decimalText(const std::string& name, char separator) {
        decimal(name);
        return withMark(at(name).text, '.', separator);
    }
    void requireAllUsed() const {
        for (const auto& [name, value] : values_)
            if (!used_.count(name))
                refuseLine(value.line, "知らない名前 " + msg::shownText(name) + " です");
    }

  private:
    std::map<std::string, Value> values_;
    std::set<std::string> used_;
};

// An editor may put the byte order mark before UTF-8 text; it is no part of the header.
QByteArrayView withoutByteOrderMark(QByteArrayView bytes) {
    return bytes.startsWith("\xEF\xBB\xBF") ? bytes.sliced(3) : bytes;
}

// The text before the first Ctrl-Z, which DOS editors put at the end of a file and the
// room file reader takes for its end too.
QByteArrayView beforeEndOfFile(QByteArrayView bytes) {
    const qsizetype end = bytes.indexOf('\x1A');
    return end < 0 ? bytes : bytes.first(end);
}

std::map<std::string, Value> splitValues(QByteArrayView bytes) {
    std::map<std::string, Value> values;
    TextLines lines(
        kMaxSetupFileBytes,
        [&](QByteArrayView line, int number) {
            if (number == 1) {
                if (line != QByteArrayView(kSetupFileHeader))
                    refuse("1 行目が「" + std::string(kSetupFileHeader) + "」ではありません");
                return;
            }
            // A key indented by hand is still the key.
            while (!line.isEmpty() && (line.front() == ' ' || line.front() == '\t'))
                line = line.sliced(1);
            if (line.isEmpty())
                return;
            if (QString::fromUtf8(line).toUtf8() != line)
                refuseLine(number, "UTF-8 の文字ではありません");
            const qsizetype equals = line.indexOf(QByteArrayView(" = "));
            if (equals <= 0)
                refuseLine(number, "「名前 = 値」の形ではありません");
            const std::string name = line.first(equals).toByteArray().toStdString();
            if (!values.emplace(name, Value{line.sliced(equals + 3).toByteArray().toStdString(), number})
                     .second)
                refuseLine(number, msg::shownText(name) + " が二度あります");
        },
        [](int) {});
    lines.add(beforeEndOfFile(withoutByteOrderMark(bytes)));
    lines.finish();
    if (values.empty() && !isSetupFile(bytes))
        refuse("1 行目が「" + std::string(kSetupFileHeader) + "」ではありません");
    return values;
}

// The main loudspeakers the file names: SP1 and SP2, then those of the `loudspeakers`
// line, each with its size (small unless NAME.size says large).
std::vector<Loudspeaker> loudspeakersOf(Lines& lines) {
    std::vector<Loudspeaker> out = frontLoudspeakers();
    if (const Value* extra = lines.optional("loudspeakers")) {
        std::vector<std::string> words;
        std::size_t start = 0;
        while (start < extra->text.size()) {
            const std::size_t end = std::min(extra->text.find(' ', start), extra->text.size());
            if (end > start)
                words.push_back(extra->text.substr(start, end - start));
            start = end + 1;
        }
        if (words.empty())
            refuseLine(extra->line, "loudspeakers にスピーカーがありません");
        for (const std::string& word : words) {
            const std::optional<LoudspeakerRole> role = loudspeakerRoleOfWord(word);
            if (!role || *role == LoudspeakerRole::FrontLeft || *role == LoudspeakerRole::FrontRight)
                refuseLine(extra->line, "loudspeakers のスピーカーは " + extraLoudspeakerWords("、") +
                                            " です: " + msg::shownText(word));
            if (*role <= out.back().role)
                refuseLine(extra->line, "loudspeakers のスピーカーは " + extraLoudspeakerWords(" ") +
                                            " の順に一度ずつです");
            out.push_back({*role});
        }
    }
    for (Loudspeaker& speaker : out)
        if (const Value* size = lines.optional(loudspeakerWord(speaker.role) + ".size")) {
            if (size->text != "large" && size->text != "small")
                refuseLine(size->line, loudspeakerWord(speaker.role) + ".size は large か small です");
            speaker.large = size->text == "large";
        }
    return out;
}

PositionTexts positionOf(Lines& lines, const std::string& name, char separator) {
    return {lines.decimalText(name + ".x", separator), lines.decimalText(name + ".y", separator),
            lines.decimalText(name + ".z", separator)};
}

} // namespace

QByteArray setupFileBytes(const BassSetup& setup, char decimalSeparator) {
    if (const std::string problem = setupProblem(setup); !problem.empty())
        throw UserError(problem);
    QByteArray out = QByteArray(kSetupFileHeader) + '\n';
    const auto line = [&](const std::string& name, const std::string& value) {
        if (value.find_first_of("\r\n") != std::string::npos)
            throw UserError(msg::breaksLine(value));
        out += QByteArray::fromStdString(name + " = " + value + '\n');
    };
    const auto decimal = [&](const std::string& name, const std::string& text) {
        line(name, withMark(text, decimalSeparator, '.'));
    };
    const auto fields = roomFields(setup.texts);
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (i < kDecimalRoomFields)
            decimal(fields[i].first, *fields[i].second);
        else
            line(fields[i].first, *fields[i].second);
    // Only the continuous model is written, so a setup of the default model has the bytes
    // it always had, and older programs read it.
    if (setup.texts.delays != DelayModel::Sample)
        line("delays", delayModelWord(setup.texts.delays));
    line("crossover_hz", setup.crossover == 0 ? "none" : std::to_string(setup.crossover));
    // The lines of more loudspeakers and of a large one only when there are such, so a
    // setup of SP1 and SP2 has the bytes it always had.
    for (std::size_t s = 0; s < setup.loudspeakers.size(); ++s) {
        if (s == 2) {
            std::string roles;
            for (std::size_t e = 2; e < setup.loudspeakers.size(); ++e)
                roles += (e == 2 ? "" : " ") + loudspeakerWord(setup.loudspeakers[e].role);
            line("loudspeakers", roles);
        }
        const PositionTexts& p = setup.texts.sources[s];
        for (const auto& [axis, text] : {std::pair{".x", &p.x}, {".y", &p.y}, {".z", &p.z}})
            decimal(sourceName(setup, s) + axis, *text);
        if (setup.loudspeakers[s].large)
            line(sourceName(setup, s) + ".size", "large");
    }
    line("subwoofers", std::to_string(setup.subwooferCount()));
    for (std::size_t i = 0; i < setup.subwoofers.size(); ++i) {
        const std::size_t source = setup.loudspeakers.size() + i;
        const std::string name = sourceName(setup, source);
        const PositionTexts& p = setup.texts.sources[source];
        for (const auto& [axis, text] : {std::pair{".x", &p.x}, {".y", &p.y}, {".z", &p.z}})
            decimal(name + axis, *text);
        line(name + ".level_db", numberText(setup.subwoofers[i].levelDb));
        line(name + ".delay_ms", numberText(setup.subwoofers[i].delayMs));
        line(name + ".polarity", setup.subwoofers[i].reversed ? "-" : "+");
    }
    // The EQ's lines only when there is one, so a setup without keeps its bytes.
    if (!setup.subwooferEq.empty())
        line("eq", std::to_string(setup.subwooferEq.size()));
    for (std::size_t i = 0; i < setup.subwooferEq.size(); ++i) {
        const PeakingFilter& f = setup.subwooferEq[i];
        const std::string name = "eq" + std::to_string(i + 1);
        line(name + ".fc_hz", numberText(f.frequencyHz));
        line(name + ".gain_db", numberText(f.gainDb));
        line(name + ".q", numberText(f.q));
    }
    line("seats", std::to_string(setup.texts.seats.size()));
    for (std::size_t i = 0; i < setup.texts.seats.size(); ++i) {
        const PositionTexts& p = setup.texts.seats[i];
        for (const auto& [axis, text] : {std::pair{".x", &p.x}, {".y", &p.y}, {".z", &p.z}})
            decimal("seat" + std::to_string(i + 1) + axis, *text);
    }
    return out;
}

bool isSetupFile(QByteArrayView bytes) {
    bytes = withoutByteOrderMark(bytes);
    const QByteArrayView header(kSetupFileHeader);
    return bytes.startsWith(header) &&
           (bytes.size() == header.size() || bytes[header.size()] == '\n' || bytes[header.size()] == '\r');
}

bool startsAsSetupFile(const QString& path) {
    QFile file;
    try {
        openRegularFile(file, path);
    } catch (const UserError&) {
        return false;
    }
    return isSetupFile(file.read(64));
}

BassSetup parseSetupFile(QByteArrayView bytes, char separator) {
    Lines lines(splitValues(bytes));
    BassSetup setup;
    const auto fields = roomFields(setup.texts);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i < kDecimalRoomFields)
            *fields[i].second = lines.decimalText(fields[i].first, separator);
        else {
            lines.whole(fields[i].first, INT32_MIN, INT32_MAX);
            *fields[i].second = lines.at(fields[i].first).text;
        }
    }
    if (const Value* delays = lines.optional("delays")) {
        const std::optional<DelayModel> model = delayModelOfWord(delays->text);
        if (!model)
            refuseLine(delays->line, "delays は sample か continuous です");
        setup.texts.delays = *model;
    }
    const Value& crossover = lines.at("crossover_hz");
    if (crossover.text != "none")
        setup.crossover = lines.whole("crossover_hz", kLowestCrossover, kHighestCrossover);
    setup.loudspeakers = loudspeakersOf(lines);
    setup.texts.sources.clear();
    for (std::size_t s = 0; s < setup.loudspeakers.size(); ++s)
        setup.texts.sources.push_back(positionOf(lines, sourceName(setup, s), separator));
    const int subwoofers = lines.whole("subwoofers", 0, kMostSubwoofers);
    for (int i = 0; i < subwoofers; ++i) {
        const std::string name = sourceName(setup, setup.loudspeakers.size() + static_cast<std::size_t>(i));
        setup.texts.sources.push_back(positionOf(lines, name, separator));
        SubwooferSignal signal;
        signal.levelDb = lines.decimal(name + ".level_db");
        if (!(signal.levelDb >= kLowestSubwooferLevel && signal.levelDb <= kHighestSubwooferLevel))
            refuseLine(lines.at(name + ".level_db").line, name + ".level_db は -20 から 10 までです");
        signal.delayMs = lines.decimal(name + ".delay_ms");
        if (!(signal.delayMs >= 0.0 && signal.delayMs <= kLongestSubwooferDelay))
            refuseLine(lines.at(name + ".delay_ms").line, name + ".delay_ms は 0 から 30 までです");
        const Value& polarity = lines.at(name + ".polarity");
        if (polarity.text != "+" && polarity.text != "-")
            refuseLine(polarity.line, name + ".polarity は + か - です");
        signal.reversed = polarity.text == "-";
        setup.subwoofers.push_back(signal);
    }
    const int filters = lines.optional("eq") ? lines.whole("eq", 1, kMostEqFilters) : 0;
    for (int i = 0; i < filters; ++i) {
        const std::string name = "eq" + std::to_string(i + 1);
        setup.subwooferEq.push_back(
            {lines.decimal(name + ".fc_hz"), lines.decimal(name + ".gain_db"), lines.decimal(name + ".q")});
        const std::string problem = eqProblem({setup.subwooferEq.back()}, kSetupEqLimits);
        if (!problem.empty())
            // "フィルター 1 の周波数は..." told of this line's filter.
            refuseLine(lines.at(name + ".fc_hz").line, name + " の" + problem.substr(problem.find("の") + 3));
    }
    const int seats = lines.whole("seats", 1, 1 + kMostExtraSeats);
    setup.texts.seats.clear();
    for (int i = 0; i < seats; ++i)
        setup.texts.seats.push_back(positionOf(lines, "seat" + std::to_string(i + 1), separator));
    lines.requireAllUsed();
    try {
        checkSceneTexts(setup.texts, separator);
    } catch (const UserError& e) {
        refuse(e.what());
    }
    // SP1, SP2 and the listener may stand anywhere, as in a room file; another main
    // loudspeaker, a subwoofer or a seat outside the room is refused, as the subwoofer
    // dialog and the optimiser refuse it.
    const double room[3]{parseDecimal(setup.texts.width, separator),
                         parseDecimal(setup.texts.depth, separator),
                         parseDecimal(setup.texts.height, separator)};
    const auto requireInside = [&](const std::string& name, const PositionTexts& p) {
        const std::pair<const char*, const std::string*> axes[3]{{".x", &p.x}, {".y", &p.y}, {".z", &p.z}};
        for (int a = 0; a < 3; ++a) {
            const double value = parseDecimal(*axes[a].second, separator);
            if (!(value >= 0.0 && value <= room[a]))
                refuseLine(lines.at(name + axes[a].first).line, name + " が部屋の外にあります");
        }
    };
    for (std::size_t s = 2; s < setup.texts.sources.size(); ++s)
        requireInside(sourceName(setup, s), setup.texts.sources[s]);
    for (int i = 1; i < seats; ++i)
        requireInside("seat" + std::to_string(i + 1), setup.texts.seats[static_cast<std::size_t>(i)]);
    return setup;
}

BassSetup readSetupFile(const QString& path, char decimalSeparator) {
    recoverInterruptedSave(path);
    QFile file;
    openRegularFile(file, path);
    if (file.size() > kMaxSetupFileBytes)
        refuse("64 KiB を超えています");
    const QByteArray data = file.read(kMaxSetupFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        throwReadFailure(file, path);
    if (data.size() > kMaxSetupFileBytes)
        refuse("64 KiB を超えています");
    return parseSetupFile(data, decimalSeparator);
}

std::string roomFileLosses(const BassSetup& setup) {
    std::string out;
    const auto add = [&](const std::string& part) { out += (out.empty() ? "" : "、") + part; };
    if (setup.loudspeakers.size() > 2)
        add(loudspeakerName(setup.loudspeakers[2].role) +
            (setup.loudspeakers.size() > 3
                 ? "などのスピーカー " + std::to_string(setup.loudspeakers.size() - 2) + " 台"
                 : std::string()));
    if (std::any_of(setup.loudspeakers.begin(), setup.loudspeakers.end(),
                    [](const Loudspeaker& l) { return l.large; }))
        add("ラージのスピーカー");
    if (!setup.subwoofers.empty())
        add("サブウーファー " + std::to_string(setup.subwoofers.size()) + " 台");
    if (setup.texts.seats.size() > 1)
        add("聴取位置のほかの座席 " + std::to_string(setup.texts.seats.size() - 1) + " 席");
    if (setup.crossover != 0)
        add("クロスオーバー");
    if (!setup.subwooferEq.empty())
        add("サブウーファーの EQ");
    return out;
}

} // namespace kolmarin
