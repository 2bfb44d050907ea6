#include "cli/seat_arguments.h"

#include "cli/cli_arguments.h"
#include "model/acoustics/crossover.h"
#include "model/text/number_text.h"

#include <QRegularExpression>
#include <QStringList>

namespace kolmarin::cli {

namespace {

std::string quoted(const QString& text) {
    return "'" + text.toStdString() + "'";
}

// A plain decimal with a point and an optional sign.
std::optional<double> parseSigned(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^[-+]?[0-9]+(\\.[0-9]*)?$"));
    if (!form.match(text).hasMatch())
        return std::nullopt;
    return text.toDouble();
}

std::optional<PositionTexts> positionOf(const QStringList& parts) {
    PositionTexts p;
    std::string* axes[] = {&p.x, &p.y, &p.z};
    for (int i = 0; i < 3; ++i) {
        const auto value = parseSigned(parts.value(i));
        if (!value)
            return std::nullopt;
        *axes[i] = formatPosition(*value);
    }
    return p;
}

} // namespace

PositionTexts parseSeatArgument(const QString& text) {
    const QStringList parts = text.split(u',');
    const auto p = parts.size() == 3 ? positionOf(parts) : std::nullopt;
    if (!p)
        throw UsageError("--seat は X,Y,Z (m、小数点はピリオド) で指定します: " + quoted(text));
    return *p;
}

void parseSubArgument(const QString& text, SeatOptions& options) {
    const QStringList parts = text.split(u',');
    const auto p = parts.size() == 3 || parts.size() == 6 ? positionOf(parts) : std::nullopt;
    SubwooferSignal signal;
    bool ok = p.has_value();
    if (ok && parts.size() == 6) {
        const auto level = parseSigned(parts[3]), delay = parseSigned(parts[4]);
        ok = level && delay && *level >= kLowestSubwooferLevel && *level <= kHighestSubwooferLevel &&
             *delay >= 0.0 && *delay <= kLongestSubwooferDelay && (parts[5] == u"+" || parts[5] == u"-");
        if (ok)
            signal = {*level, *delay, parts[5] == u"-"};
    }
    if (!ok)
        throw UsageError(
            "--sub は X,Y,Z か X,Y,Z,レベル dB (-20 から 10),遅れ ms (0 から 30),+|- で指定します: " +
            quoted(text));
    options.subwoofers.push_back(*p);
    options.subwooferSignals.push_back(signal);
}

void parseSpeakerArgument(const QString& text, SeatOptions& options) {
    const QStringList parts = text.split(u':');
    const std::optional<LoudspeakerRole> role = loudspeakerRoleOfWord(parts.front().toLower().toStdString());
    const bool front = role == LoudspeakerRole::FrontLeft || role == LoudspeakerRole::FrontRight;
    const auto sizeOf = [](const QString& word) -> std::optional<bool> {
        if (word == u"large" || word == u"small")
            return word == u"large";
        return std::nullopt;
    };
    SpeakerOption option;
    bool ok = role.has_value() && parts.size() >= 2 && parts.size() <= 3;
    if (ok) {
        option.role = *role;
        option.large = sizeOf(parts.back());
        if (parts.size() == 3 || !option.large) {
            // A position, and a size after it if there are three parts.
            const QStringList axes = parts[1].split(u',');
            option.position = axes.size() == 3 ? positionOf(axes) : std::nullopt;
            ok = !front && option.position && (parts.size() == 2 || option.large);
            if (parts.size() == 2)
                option.large.reset();
        }
    }
    if (!ok)
        throw UsageError(
            "--speaker は ROLE:X,Y,Z[:large|small] (ROLE は " + extraLoudspeakerWords("、") +
            "、m、小数点はピリオド) か ROLE:large|small (ROLE は sp1、sp2 も) で指定します: " + quoted(text));
    for (const SpeakerOption& other : options.speakers)
        if (other.role == option.role)
            throw UsageError("--speaker " + loudspeakerWord(option.role) + " が二度あります");
    options.speakers.push_back(option);
}

int parseCrossoverArgument(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^[0-9]{2,3}$"));
    const int fc = form.match(text).hasMatch() ? text.toInt() : 0;
    if (fc < kLowestCrossover || fc > kHighestCrossover)
        throw UsageError("--crossover は 40 から 160 までの整数の Hz で指定します: " + quoted(text));
    return fc;
}

} // namespace kolmarin::cli
