#include "widgets/chart_image.h"

#include "model/errors.h"

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

QByteArray pngBytes(QCustomPlot& chart) {
    const QImage image = chart.toPixmap(chart.width(), chart.height(), kPngScale).toImage();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "PNG"))
        throw UserError("グラフの画像を作れませんでした");
    return bytes;
}

QByteArray pdfBytes(QCustomPlot& chart) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setCreator(QStringLiteral("Kolmarin2"));
        // At 72 dots per inch one unit of the painter is one point of the page.
        writer.setResolution(72);
        writer.setPageSize(QPageSize(QSizeF(chart.width(), chart.height()), QPageSize::Point, QString(),
                                     QPageSize::ExactMatch));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QCPPainter painter;
        if (!painter.begin(&writer))
            throw UserError("グラフの画像を作れませんでした");
        // Vector mode keeps the drawing free of the screen's pixel rounding.
        painter.setMode(QCPPainter::pmVectorized);
        painter.setMode(QCPPainter::pmNoCaching);
        chart.toPainter(&painter, chart.width(), chart.height());
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

QByteArray chartImageBytes(QCustomPlot& chart, ChartImageFormat format) {
    return format == ChartImageFormat::Pdf ? pdfBytes(chart) : pngBytes(chart);
}

} // namespace kolmarin
