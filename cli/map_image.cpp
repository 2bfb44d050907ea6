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

QString titleOf(const MapImageSubject& s) {
    return QStringLiteral("応答マップ %1: %2、%3 (%4-%5 Hz)")
        .arg(s.name,
             s.vary == MapMarker::Listener ? QStringLiteral("聴取位置を動かしたとき")
                                           : QStringLiteral("スピーカー対を動かしたとき"),
             s.figure == MapFigure::Point ? QStringLiteral("その点のばらつき")
                                          : QStringLiteral("聴取範囲 (±0.10 m) のばらつき"))
        .arg(s.band.low)
        .arg(s.band.high);
}

} // namespace

QByteArray mapPng(const ResponseMap& map, const MapImageSubject& subject) {
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
    const QString title = titleOf(subject);
    QFont font;
    font.setPixelSize(13);
    const QFontMetrics metrics(font);
    const int line = metrics.height();
    // The title, then the front wall's label, then the plan.
    const int planTop = kMargin + 2 * line + 12;
    const int height = std::max(planHeight, 200) + planTop + kMargin;
    const int width = std::max(planWidth + 3 * kMargin + kScaleWidth + kLabelWidth,
                               metrics.horizontalAdvance(title) + 2 * kMargin);
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(kMargin, kMargin + metrics.ascent(), title);
    const QString frontWall = QStringLiteral("前の壁");
    painter.drawText(kMargin + (planWidth - metrics.horizontalAdvance(frontWall)) / 2,
                     planTop - 4 - metrics.descent(), frontWall);
    for (int row = 0; row < g.rows; ++row)
        for (int column = 0; column < g.columns; ++column)
            painter.fillRect(
                kMargin + column * cell, planTop + row * cell, cell, cell,
                colourAt(map.spread[static_cast<std::size_t>(row * g.columns + column)], low, high));
    painter.drawRect(kMargin - 1, planTop - 1, planWidth + 1, planHeight + 1);
    // The front wall drawn thick, as the window's plan shows the wall the loudspeakers face away from.
    painter.fillRect(kMargin - 1, planTop - 4, planWidth + 2, 3, Qt::black);

    // The markers where they stand: a filled disc with its name beside it.
    const double perMetre = cell / g.step;
    const std::pair<const char*, std::pair<Point3, QColor>> markers[] = {
        {"SP1", {subject.scene.sources.at(0).position, QColor(220, 40, 40)}},
        {"SP2", {subject.scene.sources.at(1).position, QColor(40, 90, 220)}},
        {"聴取", {subject.scene.seats.at(0), QColor(30, 160, 60)}}};
    painter.setRenderHint(QPainter::Antialiasing);
    for (const auto& [name, marker] : markers) {
        const QPointF at(kMargin + marker.first.x * perMetre, planTop + marker.first.y * perMetre);
        painter.setPen(QPen(Qt::white, 2));
        painter.setBrush(marker.second);
        painter.drawEllipse(at, 6, 6);
        // The name on a pale patch, readable on the lightest and the darkest colours.
        const QString label = QString::fromUtf8(name);
        const QRectF patch(at.x() + 8, at.y() - line / 2.0, metrics.horizontalAdvance(label) + 4, line);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 255, 255, 200));
        painter.drawRect(patch);
        painter.setPen(Qt::black);
        painter.drawText(patch, Qt::AlignCenter, label);
    }
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(Qt::black);

    // The scale: high at the top, low at the bottom, over the plan's height.
    const int scaleLeft = planWidth + 2 * kMargin;
    const int scaleHeight = height - planTop - kMargin;
    for (int y = 0; y < scaleHeight; ++y) {
        const double t = 1.0 - static_cast<double>(y) / std::max(1, scaleHeight - 1);
        painter.fillRect(scaleLeft, planTop + y, kScaleWidth, 1, colourAt(low + t * (high - low), low, high));
    }
    painter.drawRect(scaleLeft - 1, planTop - 1, kScaleWidth + 1, scaleHeight + 1);
    const int labelLeft = scaleLeft + kScaleWidth + 6;
    painter.drawText(labelLeft, planTop + metrics.ascent(), QString::asprintf("%.2f dB", high));
    painter.drawText(labelLeft, planTop + scaleHeight, QString::asprintf("%.2f dB", low));
    painter.end();

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace kolmarin::cli
