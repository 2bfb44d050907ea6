#include "printing/report.h"

#include "model/errors.h"
#include "widgets/chart_with_scene.h"
#include "widgets/japanese_fonts.h"
#include "widgets/ui_support.h"

#include <QBuffer>
#include <QPdfWriter>
#include <qcustomplot.h>

#include <functional>
#include <vector>

namespace kolmarin {

namespace {

// A4 in points; the painter draws in points (72 dots per inch).
constexpr double kPageWidth = 595, kPageHeight = 842, kMargin = 40;
constexpr double kContentWidth = kPageWidth - 2 * kMargin;
constexpr double kRowHeight = 14, kHeadingHeight = 20, kBlockGap = 10;

QFont reportFont(int size, bool bold = false) {
    QFont font = japaneseWindowFont(size);
    font.setBold(bold);
    return font;
}

QString number(const char* format, double value, char separator) {
    QString text = QString::asprintf(format, value);
    return text.replace(QLatin1Char('.'), QLatin1Char(separator));
}

// A part of the report: its height in points and how it draws itself from a top edge.
struct Block {
    double height = 0;
    std::function<void(QCPPainter&, double top)> draw;
};

void drawHeading(QCPPainter& painter, double top, const QString& text) {
    painter.setFont(reportFont(12, true));
    painter.drawText(QRectF(kMargin, top, kContentWidth, kHeadingHeight), Qt::AlignLeft | Qt::AlignVCenter,
                     text);
}

// A table of text cells under a heading, the first row its column titles; `shares` divide
// the page's width among the columns.
Block table(const QString& heading, const std::vector<QStringList>& rows, const std::vector<double>& shares,
            const QStringList& notes = {}) {
    const double height = kHeadingHeight + kRowHeight * static_cast<double>(rows.size() + notes.size());
    return {height, [=](QCPPainter& painter, double top) {
                drawHeading(painter, top, heading);
                double y = top + kHeadingHeight;
                for (std::size_t r = 0; r < rows.size(); ++r) {
                    painter.setFont(reportFont(9, r == 0));
                    double x = kMargin;
                    for (std::size_t c = 0; c < shares.size() && c < static_cast<std::size_t>(rows[r].size());
                         ++c) {
                        const double width = kContentWidth * shares[c];
                        painter.drawText(QRectF(x + 2, y, width - 4, kRowHeight),
                                         Qt::AlignLeft | Qt::AlignVCenter,
                                         rows[r][static_cast<qsizetype>(c)]);
                        x += width;
                    }
                    y += kRowHeight;
                    painter.setPen(QPen(r == 0 ? Qt::black : Qt::lightGray, 0.5));
                    painter.drawLine(QPointF(kMargin, y), QPointF(kMargin + kContentWidth, y));
                    painter.setPen(Qt::black);
                }
                painter.setFont(reportFont(9));
                for (const QString& note : notes) {
                    painter.drawText(QRectF(kMargin, y, kContentWidth, kRowHeight),
                                     Qt::AlignLeft | Qt::AlignVCenter, note);
                    y += kRowHeight;
                }
            }};
}

Block titleBlock(const ReportContent& c) {
    return {40, [=](QCPPainter& painter, double top) {
                painter.setFont(reportFont(16, true));
                painter.drawText(QRectF(kMargin, top, kContentWidth, 22), Qt::AlignLeft | Qt::AlignVCenter,
                                 QStringLiteral("計算結果のレポート"));
                painter.setFont(reportFont(10));
                painter.drawText(QRectF(kMargin, top + 22, kContentWidth, 16),
                                 Qt::AlignLeft | Qt::AlignVCenter,
                                 c.caption + QStringLiteral("    計算 ") + c.calculatedAt);
            }};
}

Block roomBlock(const SceneTexts& t) {
    const QStringList lines{
        QStringLiteral("幅 %1 m、奥行 %2 m、高さ %3 m")
            .arg(toQString(t.width), toQString(t.depth), toQString(t.height)),
        QStringLiteral("反射率  前 %1  後 %2  右 %3  左 %4  上 %5  下 %6")
            .arg(toQString(t.reflFront), toQString(t.reflBack), toQString(t.reflRight), toQString(t.reflLeft),
                 toQString(t.reflCeiling), toQString(t.reflFloor)),
        QStringLiteral("反射回数 %1、周波数 %2〜%3 Hz")
            .arg(toQString(t.reflectionCount), toQString(t.startFrequency), toQString(t.endFrequency))};
    return table(QStringLiteral("部屋"), {}, {}, lines);
}

Block sourcesBlock(const ReportContent& c) {
    const BassSetup& s = c.setup;
    std::vector<QStringList> rows{{QStringLiteral("音源"), QStringLiteral("左から (m)"),
                                   QStringLiteral("前から (m)"), QStringLiteral("床から (m)"),
                                   QStringLiteral("レベル (dB)"), QStringLiteral("遅延 (ms)"),
                                   QStringLiteral("極性"), QStringLiteral("帯域")}};
    const std::vector<std::string> labels = sourceLabels(s);
    for (std::size_t i = 0; i < s.texts.sources.size(); ++i) {
        const PositionTexts& p = s.texts.sources[i];
        const bool loudspeaker = i < s.loudspeakers.size();
        const bool large = loudspeaker && s.loudspeakers[i].large;
        const SubwooferSignal signal =
            loudspeaker ? SubwooferSignal{} : s.subwoofers.at(i - s.loudspeakers.size());
        const QString band = s.crossover == 0 || large ? QStringLiteral("全帯域")
                             : loudspeaker             ? QStringLiteral("%1 Hz から上").arg(s.crossover)
                                                       : QStringLiteral("%1 Hz まで").arg(s.crossover);
        rows.push_back(
            {QString::fromStdString(labels.at(i)) + (large ? QStringLiteral(" (ラージ)") : QString()),
             toQString(p.x).trimmed(), toQString(p.y).trimmed(), toQString(p.z).trimmed(),
             number("%+.1f", signal.levelDb, c.decimalSeparator),
             number("%.2f", signal.delayMs, c.decimalSeparator),
             signal.reversed ? QStringLiteral("逆") : QStringLiteral("正"), band});
    }
    return table(QStringLiteral("音源"), rows, {0.1, 0.12, 0.12, 0.12, 0.13, 0.12, 0.08, 0.21});
}

Block seatsBlock(const ReportContent& c) {
    const SceneTexts& t = c.setup.texts;
    const bool figures = c.seats && c.seats->figures.spread.size() == t.seats.size() &&
                         c.seats->figures.mean.size() == t.seats.size();
    std::vector<QStringList> rows{{QStringLiteral("座席"), QStringLiteral("左から (m)"),
                                   QStringLiteral("前から (m)"), QStringLiteral("床から (m)"),
                                   QStringLiteral("ばらつき (dB)"), QStringLiteral("平均 (dB)")}};
    for (std::size_t i = 0; i < t.seats.size(); ++i) {
        const PositionTexts& p = t.seats[i];
        rows.push_back(
            {i == 0 ? QStringLiteral("1 (聴取位置)") : QString::number(i + 1), toQString(p.x).trimmed(),
             toQString(p.y).trimmed(), toQString(p.z).trimmed(),
             figures ? number("%.2f", c.seats->figures.spread[i], c.decimalSeparator) : QStringLiteral("—"),
             figures ? number("%.1f", c.seats->figures.mean[i], c.decimalSeparator) : QStringLiteral("—")});
    }
    QStringList notes;
    if (figures)
        notes.append(QStringLiteral("座席間のばらつき %1 dB、平均 %2 dB (%3–%4 Hz%5)")
                         .arg(number("%.2f", c.seats->figures.variation, c.decimalSeparator),
                              number("%.1f", c.seats->figures.meanLevel, c.decimalSeparator))
                         .arg(c.seats->band.low)
                         .arg(c.seats->band.high)
                         .arg(c.seats->subwoofersOnly ? QStringLiteral("、サブウーファーのみ") : QString()));
    return table(QStringLiteral("座席"), rows, {0.16, 0.14, 0.14, 0.14, 0.16, 0.16}, notes);
}

// The chart at its proportions on screen, across the page's width.
Block chartBlock(QCustomPlot& chart) {
    const int canvasWidth = std::max(chart.width(), 1);
    const int canvasHeight = std::max(chart.height(), 1);
    const double scale = kContentWidth / canvasWidth;
    return {kHeadingHeight + canvasHeight * scale,
            [&chart, canvasWidth, canvasHeight, scale](QCPPainter& painter, double top) {
                drawHeading(painter, top, QStringLiteral("グラフ"));
                painter.save();
                painter.translate(kMargin, top + kHeadingHeight);
                painter.scale(scale, scale);
                drawChartCanvas(painter, chart, canvasWidth, canvasHeight, true);
                painter.restore();
            }};
}

Block modesBlock(const ModeTable& modes) {
    std::vector<QStringList> rows;
    for (std::size_t r = 0; r < modes.rows.size() && r <= static_cast<std::size_t>(kReportModeRows); ++r) {
        QStringList cells;
        for (const std::string& cell : modes.rows[r])
            cells.append(toQString(cell).trimmed());
        rows.push_back(cells);
    }
    const int listed = static_cast<int>(rows.size()) - 1;
    return table(QStringLiteral("部屋の固有モード (低いほうから %1、全 %2)")
                     .arg(std::max(listed, 0))
                     .arg(modes.rows.empty() ? 0 : modes.rows.size() - 1),
                 rows, {0.12, 0.2, 0.2, 0.2, 0.28});
}

} // namespace

QByteArray reportPdfBytes(const ReportContent& content, QCustomPlot& chart) {
    const std::vector<Block> blocks{titleBlock(content),   roomBlock(content.setup.texts),
                                    sourcesBlock(content), seatsBlock(content),
                                    chartBlock(chart),     modesBlock(content.modes)};
    // Each block on the page where it fits whole, a new page when it does not.
    std::vector<int> pageOf;
    std::vector<double> topOf;
    int page = 0;
    double top = kMargin;
    for (const Block& block : blocks) {
        if (top > kMargin && top + block.height > kPageHeight - kMargin) {
            ++page;
            top = kMargin;
        }
        pageOf.push_back(page);
        topOf.push_back(top);
        top += block.height + kBlockGap;
    }

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setCreator(QStringLiteral("Kolmarin2"));
        writer.setTitle(QStringLiteral("計算結果のレポート"));
        writer.setResolution(72);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QCPPainter painter;
        if (!painter.begin(&writer))
            throw UserError("レポートを作れませんでした");
        const int pages = pageOf.back() + 1;
        for (int p = 0; p < pages; ++p) {
            if (p > 0)
                writer.newPage();
            for (std::size_t b = 0; b < blocks.size(); ++b)
                if (pageOf[b] == p) {
                    painter.setPen(Qt::black);
                    blocks[b].draw(painter, topOf[b]);
                }
            painter.setFont(reportFont(8));
            painter.drawText(QRectF(kMargin, kPageHeight - kMargin + 8, kContentWidth, 12), Qt::AlignRight,
                             QStringLiteral("%1 / %2").arg(p + 1).arg(pages));
        }
        painter.end();
    }
    return bytes;
}

} // namespace kolmarin
