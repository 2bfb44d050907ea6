#include "files/curve_text.h"

#include "files/cp932_text.h"
#include "files/file_errors.h"
#include "files/text_lines.h"
#include "model/errors.h"

#include <QFile>
#include <QList>
#include <QRegularExpression>
#include <QStringDecoder>

#include <charconv>
#include <cmath>
#include <optional>

namespace kolmarin {

namespace {

// Far above a size any curve has, and read without holding it whole; it only keeps a
// mistaken choice of file from being read for minutes.
constexpr qint64 kMaxCurveFileBytes = 64LL * 1024 * 1024;
// No export of a measurement has a line near this long.
constexpr qsizetype kLongestCurveLine = 4096;

// What a sound level, a frequency and an unwrapped phase can physically be. A level of
// 1e308 dB would read as a number and collapse the chart's axis into one line.
constexpr double kHighestCurveFrequency = 1e6; // Hz; measurements end at some tens of kHz
constexpr double kLargestCurveLevel = 400;     // dB either way; 194 dB SPL is the loudest sound
constexpr double kLargestCurvePhase = 1e7;     // degrees, unwrapped

[[noreturn]] void refuseLine(const QString& name, int line, const QString& what) {
    throw UserError(QStringLiteral("%1 の %2 行目: %3").arg(name).arg(line).arg(what).toStdString());
}

QString shown(const QString& text) {
    return QString::fromStdString(msg::shownText(text.toStdString()));
}

double readNumber(const QString& field, const QString& name, int line) {
    bool ok = false;
    const double value = field.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        refuseLine(name, line, QStringLiteral("'%1' は数値ではありません").arg(shown(field)));
    return value;
}

void requireWithin(double value, double largest, const QString& field, const QString& what,
                   const QString& name, int line) {
    if (!(std::abs(value) <= largest))
        refuseLine(name, line, QStringLiteral("'%1' は%2 としてありえない値です").arg(shown(field), what));
}

// A line's text: UTF-8 where its bytes are, otherwise CP932, as measurement programs on
// Japanese systems write their comments and column titles.
QString lineText(QByteArrayView bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    if (const std::optional<QString> cp932 = decodeCp932(bytes))
        return *cp932;
    return QString::fromLatin1(bytes);
}

// A comma between two digits in a line that also has blanks between its numbers could be
// a decimal comma ("20,0<TAB>75": 20 Hz at 75 dB) or a separator (20 Hz, 0 dB, phase 75).
bool hasAmbiguousComma(const QString& text) {
    static const QRegularExpression digitCommaDigit(QStringLiteral("[0-9],[0-9]"));
    static const QRegularExpression blankBetween(QStringLiteral("[^\\s,]\\s+[^\\s,]"));
    return text.contains(digitCommaDigit) && text.contains(blankBetween);
}

class CurveReader {
  public:
    explicit CurveReader(const QString& name) : name_(name) {}

    void line(QByteArrayView bytes, int number) {
        static const QRegularExpression separators(QStringLiteral("[\\s,]+"));
        QString text = lineText(bytes).trimmed();
        if (number == 1 && text.startsWith(QChar(0xFEFF))) // a byte-order mark some editors write
            text = text.mid(1).trimmed();
        if (text.isEmpty() || text.startsWith(u'*'))
            return;
        const QStringList fields = text.split(separators, Qt::SkipEmptyParts);
        if (hasAmbiguousComma(text))
            refuseLine(name_, number,
                       QStringLiteral("'%1' のコンマが小数点か区切りか分かりません。小数点はピリオドで、"
                                      "区切りは空白、タブ、コンマのどれか一つで書いてください")
                           .arg(shown(text)));
        if (fields.size() < 2 || fields.size() > 3)
            refuseLine(name_, number, QStringLiteral("周波数とレベル (と位相) の数値が要ります"));
        CurvePoint point;
        point.frequency = readNumber(fields[0], name_, number);
        requireWithin(point.frequency, kHighestCurveFrequency, fields[0], QStringLiteral("周波数 (Hz)"),
                      name_, number);
        point.level = readNumber(fields[1], name_, number);
        requireWithin(point.level, kLargestCurveLevel, fields[1], QStringLiteral("レベル (dB)"), name_,
                      number);
        if (fields.size() == 3) {
            point.phase = readNumber(fields[2], name_, number);
            requireWithin(point.phase, kLargestCurvePhase, fields[2], QStringLiteral("位相 (度)"), name_,
                          number);
        }
        if (point.frequency <= 0 || (!points_.empty() && point.frequency <= points_.back().frequency))
            refuseLine(name_, number, QStringLiteral("周波数は正で、前の行より高くなければなりません"));
        if (points_.size() == kMostCurvePoints)
            refuseLine(
                name_, number,
                QStringLiteral("曲線の点は %1 までです").arg(static_cast<qulonglong>(kMostCurvePoints)));
        points_.push_back(point);
    }

    std::vector<CurvePoint> points() {
        if (points_.empty())
            throw UserError(QStringLiteral("%1: 周波数とレベルの行がありません").arg(name_).toStdString());
        return std::move(points_);
    }

  private:
    QString name_;
    std::vector<CurvePoint> points_;
};

TextLines curveLines(CurveReader& reader, const QString& name) {
    return TextLines(
        kLongestCurveLine, [&reader](QByteArrayView line, int number) { reader.line(line, number); },
        [name](int number) {
            refuseLine(name, number, QStringLiteral("行が %1 バイトを超えています").arg(kLongestCurveLine));
        });
}

void appendFixed(QByteArray& out, double value, int decimals) {
    char buffer[64];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (ec == std::errc())
        out.append(buffer, end - buffer);
}

} // namespace

std::vector<CurvePoint> parseCurveText(const QByteArray& bytes, const QString& name) {
    CurveReader reader(name);
    TextLines lines = curveLines(reader, name);
    lines.add(bytes);
    lines.finish();
    return reader.points();
}

std::vector<CurvePoint> readCurveFile(const QString& path) {
    QFile file;
    openRegularFile(file, path);
    if (file.size() > kMaxCurveFileBytes)
        throw UserError(QStringLiteral("%1: 曲線のファイルとしては大きすぎます").arg(path).toStdString());
    CurveReader reader(path);
    TextLines lines = curveLines(reader, path);
    char piece[65536];
    for (;;) {
        const qint64 n = file.read(piece, sizeof piece);
        if (n < 0)
            throwReadFailure(file, path);
        if (n == 0)
            break;
        lines.add(QByteArrayView(piece, n));
    }
    lines.finish();
    return reader.points();
}

QByteArray curveTextBytes(const std::vector<CurvePoint>& points, const std::vector<QByteArray>& heading) {
    QByteArray out;
    for (const QByteArray& line : heading)
        out.append("* " + line + '\n');
    for (const CurvePoint& p : points) {
        appendFixed(out, p.frequency, 3);
        out.append(' ');
        appendFixed(out, p.level, 3);
        if (!std::isnan(p.phase)) {
            out.append(' ');
            appendFixed(out, p.phase, 2);
        }
        out.append('\n');
    }
    return out;
}

std::vector<CurvePoint> totalCurvePoints(const ResponseCurves& curves, ElementRange rows) {
    std::vector<CurvePoint> points;
    for (int j = rows.first; j <= rows.last; ++j)
        points.push_back({j / 2.0, curves.total[static_cast<std::size_t>(j)], NAN});
    return points;
}

std::string totalCurveHeading(const CurveSubject& subject) {
    if (!subject.beyondRoomFile())
        return "Kolmarin2: Total at the listener, simulated";
    std::string heading = "Kolmarin2: Total of " + subject.totalSources();
    if (subject.subwoofersOnly)
        heading += " (subwoofers only)";
    heading += " at seat " + std::to_string(subject.seat);
    if (subject.seat == 1)
        heading += " (the listener)";
    heading += " of " + std::to_string(subject.seatCount);
    if (subject.crossover != 0)
        heading += ", crossover " + std::to_string(subject.crossover) + " Hz";
    return heading + ", simulated";
}

std::vector<QByteArray> simulatedCurveHeading(const QByteArray& subject, DelayModel delays,
                                              const QByteArray& columns) {
    if (delays == DelayModel::Continuous)
        return {subject, "Delays: continuous (true path lengths)", columns};
    return {subject, columns};
}

QByteArray totalCurveText(const ResponseCurves& curves, ElementRange rows, const CurveSubject& subject) {
    return curveTextBytes(totalCurvePoints(curves, rows),
                          simulatedCurveHeading(QByteArray::fromStdString(totalCurveHeading(subject)),
                                                subject.delays, "Freq(Hz) SPL(dB)"));
}

TargetCurve readTargetCurve(const QString& path) {
    const std::vector<CurvePoint> points = readCurveFile(path);
    TargetCurve target;
    target.kind = TargetCurve::Kind::Own;
    for (const CurvePoint& p : points)
        target.points.emplace_back(p.frequency, p.level - points.back().level);
    return target;
}

} // namespace kolmarin
