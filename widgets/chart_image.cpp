#include "widgets/chart_image.h"

#include "model/errors.h"
#include "widgets/chart_with_scene.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QPdfWriter>
#include <QPixmap>
#include <qcustomplot.h>

namespace kolmarin {

namespace {

// Twice the pixels per side keeps the curves and texts sharp on a high-density screen and
// in a document scaled up.
constexpr double kPngScale = 2.0;

QImage sceneImage(QCustomPlot& chart, const QStringList& lines) {
    const QSize canvas(chart.width(), chart.height() + sceneLinesHeight(static_cast<int>(lines.size())));
    QImage image(canvas * kPngScale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QCPPainter painter(&image);
    painter.setMode(QCPPainter::pmNoCaching);
    painter.setMode(QCPPainter::pmNonCosmetic);
    painter.scale(kPngScale, kPngScale);
    drawChartWithScene(painter, chart, canvas, lines, false);
    return image;
}

QByteArray pngBytes(QCustomPlot& chart, const QStringList& lines) {
    const QImage image = lines.isEmpty() ? chart.toPixmap(chart.width(), chart.height(), kPngScale).toImage()
                                         : sceneImage(chart, lines);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "PNG"))
        throw UserError("グラフの画像を作れませんでした");
    return bytes;
}

QByteArray pdfBytes(QCustomPlot& chart, const QStringList& lines) {
    const int height =
        chart.height() + (lines.isEmpty() ? 0 : sceneLinesHeight(static_cast<int>(lines.size())));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setCreator(QStringLiteral("Kolmarin2"));
        // At 72 dots per inch one unit of the painter is one point of the page.
        writer.setResolution(72);
        writer.setPageSize(
            QPageSize(QSizeF(chart.width(), height), QPageSize::Point, QString(), QPageSize::ExactMatch));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QCPPainter painter;
        if (!painter.begin(&writer))
            throw UserError("グラフの画像を作れませんでした");
        if (lines.isEmpty()) {
            // Vector mode keeps the drawing free of the screen's pixel rounding.
            painter.setMode(QCPPainter::pmVectorized);
            painter.setMode(QCPPainter::pmNoCaching);
            chart.toPainter(&painter, chart.width(), chart.height());
        } else {
            drawChartWithScene(painter, chart, QSize(chart.width(), height), lines, true);
        }
        painter.end();
    }
    return bytes;
}

} // namespace

ChartImageFormat imageFormatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QStringLiteral("pdf"))
        return ChartImageFormat::Pdf;
    if (suffix != QStringLiteral("png"))
        throw UserError("画像は拡張子 .png (PNG 画像) か .pdf (PDF) の名前で保存してください");
    return ChartImageFormat::Png;
}

QByteArray chartImageBytes(QCustomPlot& chart, ChartImageFormat format, const SceneGroups& scene) {
    const QStringList lines = scene.empty() ? QStringList() : sceneLines(scene, chart.width());
    return format == ChartImageFormat::Pdf ? pdfBytes(chart, lines) : pngBytes(chart, lines);
}

} // namespace kolmarin
