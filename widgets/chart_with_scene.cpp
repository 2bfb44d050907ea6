#include "widgets/chart_with_scene.h"

#include "widgets/japanese_fonts.h"

#include <QFontMetricsF>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

namespace kolmarin {

namespace {

constexpr int kSceneMargin = 6; // around the lines, as far as the chart's own texts stand in

} // namespace

QStringList sceneLines(const SceneGroups& groups, int canvasWidth) {
    const QFontMetricsF metrics(chartFont());
    QStringList lines;
    for (const std::string& line :
         wrapSceneGroups(groups, canvasWidth - 2 * kSceneMargin, [&metrics](const std::string& text) {
             return metrics.horizontalAdvance(QString::fromStdString(text));
         }))
        lines.append(QString::fromStdString(line));
    return lines;
}

int sceneLinesHeight(int lineCount) {
    return static_cast<int>(std::ceil(lineCount * QFontMetricsF(chartFont()).lineSpacing())) +
           2 * kSceneMargin;
}

// Vector mode keeps the drawing free of screen-pixel tweaks; hairlines become lines one
// canvas pixel wide, so they scale with the chart instead of shrinking to one printer dot.
void drawChartCanvas(QCPPainter& painter, QCustomPlot& chart, int canvasWidth, int chartHeight, bool vector) {
    if (vector) {
        painter.setMode(QCPPainter::pmVectorized);
        painter.setMode(QCPPainter::pmNoCaching);
        painter.setMode(QCPPainter::pmNonCosmetic);
    }
    chart.toPainter(&painter, canvasWidth, chartHeight);
}

void drawChartWithScene(QCPPainter& painter, QCustomPlot& chart, QSize canvas, const QStringList& lines,
                        bool vector) {
    const int chartHeight = std::max(1, canvas.height() - sceneLinesHeight(static_cast<int>(lines.size())));
    drawChartCanvas(painter, chart, canvas.width(), chartHeight, vector);
    painter.save();
    painter.fillRect(QRect(0, chartHeight, canvas.width(), canvas.height() - chartHeight), Qt::white);
    painter.setFont(chartFont());
    painter.setPen(Qt::black);
    const double lineHeight = QFontMetricsF(chartFont()).lineSpacing();
    double top = chartHeight + kSceneMargin;
    for (const QString& line : lines) {
        painter.drawText(QRectF(kSceneMargin, top, canvas.width() - 2 * kSceneMargin, lineHeight),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, line);
        top += lineHeight;
    }
    painter.restore();
}

} // namespace kolmarin
