#include "cli/map_image.h"

#include "model/layout/colour_scale.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>

namespace kolmarin::cli {

namespace {

constexpr int kLongSide = 600; // pixels of the plan's longer side
constexpr int kMargin = 16;
constexpr int kScaleWidth = 24;
constexpr int kLabelWidth = 90;
const QColor kUnknown(160, 160, 160);

QColor colourAt(double value, double low, double high) {
    if (std::isnan(value))
        return kUnknown;
    const Rgb c = scaleColour(scalePosition(value, low, high));
    return QColor(c.r, c.g, c.b);
}

} // namespace

QByteArray mapPng(const ResponseMap& map) {
    const MapGrid& g = map.grid;
    double low = std::numeric_limits<double>::infinity(), high = -low;
    for (double v : map.spread)
        if (!std::isnan(v)) {
            low = std::min(low, v);
            high = std::max(high, v);
        }
    if (!(low <= high))
        low = high = 0.0;

    const int cell = std::max(1, kLongSide / std::max({g.columns, g.rows, 1}));
    const int planWidth = cell * g.columns, planHeight = cell * g.rows;
    const int height = std::max(planHeight, 200) + 2 * kMargin;
    QImage image(planWidth + 3 * kMargin + kScaleWidth + kLabelWidth, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (int row = 0; row < g.rows; ++row)
        for (int column = 0; column < g.columns; ++column)
            painter.fillRect(
                kMargin + column * cell, kMargin + row * cell, cell, cell,
                colourAt(map.spread[static_cast<std::size_t>(row * g.columns + column)], low, high));
    painter.setPen(Qt::black);
    painter.drawRect(kMargin - 1, kMargin - 1, planWidth + 1, planHeight + 1);

    // The scale: high at the top, low at the bottom, over the plan's height.
    const int scaleLeft = planWidth + 2 * kMargin;
    const int scaleHeight = height - 2 * kMargin;
    for (int y = 0; y < scaleHeight; ++y) {
        const double t = 1.0 - static_cast<double>(y) / std::max(1, scaleHeight - 1);
        painter.fillRect(scaleLeft, kMargin + y, kScaleWidth, 1, colourAt(low + t * (high - low), low, high));
    }
    painter.drawRect(scaleLeft - 1, kMargin - 1, kScaleWidth + 1, scaleHeight + 1);
    const int labelLeft = scaleLeft + kScaleWidth + 6;
    const QFontMetrics metrics(painter.font());
    painter.drawText(labelLeft, kMargin + metrics.ascent(), QString::asprintf("%.2f dB", high));
    painter.drawText(labelLeft, kMargin + scaleHeight, QString::asprintf("%.2f dB", low));
    painter.end();

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace kolmarin::cli
