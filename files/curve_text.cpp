#include "files/curve_text.h"

#include "files/file_errors.h"
#include "model/errors.h"

#include <QFile>
#include <QList>
#include <QRegularExpression>

#include <charconv>
#include <cmath>

namespace kolmarin {

namespace {

// A measurement's export holds some tens of thousands of lines; a file far beyond that is
// no curve, and is refused before it fills the memory.
constexpr qint64 kMaxCurveFileBytes = 64LL * 1024 * 1024;

[[noreturn]] void refuseLine(const QString& name, int line, const QString& what) {
    throw UserError(QStringLiteral("%1 の %2 行目: %3").arg(name).arg(line).arg(what).toStdString());
}

double readNumber(const QByteArray& field, const QString& name, int line) {
    bool ok = false;
    const double value = field.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        refuseLine(name, line, QStringLiteral("'%1' は数値ではありません").arg(QString::fromLatin1(field)));
    return value;
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
    static const QRegularExpression separators(QStringLiteral("[\\s,]+"));
    std::vector<CurvePoint> points;
    const QList<QByteArray> lines = bytes.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        QByteArray text = lines[i].trimmed();
        if (i == 0 && text.startsWith("\xEF\xBB\xBF")) // a byte-order mark some editors write
            text = text.mid(3).trimmed();
        if (text.isEmpty() || text.startsWith('*'))
            continue;
        const QStringList fields = QString::fromLatin1(text).split(separators, Qt::SkipEmptyParts);
        if (fields.size() < 2 || fields.size() > 3)
            refuseLine(name, number, QStringLiteral("周波数とレベル (と位相) の数値が要ります"));
        CurvePoint point;
        point.frequency = readNumber(fields[0].toLatin1(), name, number);
        point.level = readNumber(fields[1].toLatin1(), name, number);
        if (fields.size() == 3)
            point.phase = readNumber(fields[2].toLatin1(), name, number);
        if (point.frequency <= 0 || (!points.empty() && point.frequency <= points.back().frequency))
            refuseLine(name, number, QStringLiteral("周波数は正で、前の行より高くなければなりません"));
        points.push_back(point);
    }
    if (points.empty())
        throw UserError(QStringLiteral("%1: 周波数とレベルの行がありません").arg(name).toStdString());
    return points;
}

std::vector<CurvePoint> readCurveFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throwReadFailure(file, path);
    const QByteArray bytes = file.read(kMaxCurveFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        throwReadFailure(file, path);
    if (bytes.size() > kMaxCurveFileBytes)
        throw UserError(QStringLiteral("%1: 曲線のファイルとしては大きすぎます").arg(path).toStdString());
    return parseCurveText(bytes, path);
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

QByteArray totalCurveText(const ResponseCurves& curves, ElementRange rows, const CurveSubject& subject) {
    return curveTextBytes(totalCurvePoints(curves, rows),
                          {QByteArray::fromStdString(totalCurveHeading(subject)), "Freq(Hz) SPL(dB)"});
}

} // namespace kolmarin
