#include "cli/map_image.h"

#include "model/layout/colour_scale.h"
#include "model/layout/marker_colours.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

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

struct MapMarkerLook {
    QString name;
    Point3 position;
    Rgb colour;
    bool square;
};

std::vector<MapMarkerLook> markerLooks(const Scene& scene) {
    std::vector<MapMarkerLook> looks;
    for (std::size_t s = 0; s < scene.sources.size(); ++s)
        looks.push_back({s < 2 ? QStringLiteral("SP%1").arg(s + 1) : QStringLiteral("SW%1").arg(s - 1),
                         scene.sources[s].position,
                         s == 0   ? kSp1Colour
                         : s == 1 ? kSp2Colour
                                  : kSubwooferColour,
                         true});
    for (std::size_t s = 0; s < scene.seats.size(); ++s)
        looks.push_back(
            {s == 0 ? QStringLiteral("聴取") : QString::number(s + 1), scene.seats[s], kSeatColour, false});
    return looks;
}

struct SpreadRange {
    double low, high;
};

// The lowest and highest spread of the map; 0 for both when no point has one.
SpreadRange spreadRange(const ResponseMap& map) {
    double low = std::numeric_limits<double>::infinity(), high = -low;
    for (double v : map.spread)
        if (!std::isnan(v)) {
            low = std::min(low, v);
            high = std::max(high, v);
        }
    if (!(low <= high))
        low = high = 0.0;
    return {low, high};
}

// The markers where they stand, in the window's shapes and colours (loudspeakers and
// subwoofers squares, seats discs), each with its name beside it; `perMetre` pixels a
// metre from the plan's corner at `planTop`.
void drawMarkers(QPainter& painter, const Scene& scene, int planTop, double perMetre,
                 const QFontMetrics& metrics) {
    const int line = metrics.height();
    painter.setRenderHint(QPainter::Antialiasing);
    for (const MapMarkerLook& marker : markerLooks(scene)) {
        const QPointF at(kMargin + marker.position.x * perMetre, planTop + marker.position.y * perMetre);
        painter.setPen(QPen(Qt::white, 2));
        painter.setBrush(QColor(marker.colour.r, marker.colour.g, marker.colour.b));
        if (marker.square)
            painter.drawRect(QRectF(at.x() - 6, at.y() - 6, 12, 12));
        else
            painter.drawEllipse(at, 6, 6);
        // The name on a pale patch, readable on the lightest and the darkest colours.
        const QString& label = marker.name;
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
}

// The scale: high at the top, low at the bottom, `scaleHeight` pixels from `planTop`.
void drawScale(QPainter& painter, int scaleLeft, int planTop, int scaleHeight, SpreadRange range,
               const QFontMetrics& metrics) {
    const double low = range.low, high = range.high;
    for (int y = 0; y < scaleHeight; ++y) {
        const double t = 1.0 - static_cast<double>(y) / std::max(1, scaleHeight - 1);
        painter.fillRect(scaleLeft, planTop + y, kScaleWidth, 1, colourAt(low + t * (high - low), low, high));
    }
    painter.drawRect(scaleLeft - 1, planTop - 1, kScaleWidth + 1, scaleHeight + 1);
    const int labelLeft = scaleLeft + kScaleWidth + 6;
    painter.drawText(labelLeft, planTop + metrics.ascent(), QString::asprintf("%.2f dB", high));
    painter.drawText(labelLeft, planTop + scaleHeight, QString::asprintf("%.2f dB", low));
}

QByteArray pngBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

QByteArray mapPng(const ResponseMap& map, const MapImageSubject& subject) {
    const MapGrid& g = map.grid;
    const SpreadRange range = spreadRange(map);
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
            painter.fillRect(kMargin + column * cell, planTop + row * cell, cell, cell,
                             colourAt(map.spread[static_cast<std::size_t>(row * g.columns + column)],
                                      range.low, range.high));
    painter.drawRect(kMargin - 1, planTop - 1, planWidth + 1, planHeight + 1);
    // The front wall drawn thick, as the window's plan shows the wall the loudspeakers face away from.
    painter.fillRect(kMargin - 1, planTop - 4, planWidth + 2, 3, Qt::black);
    drawMarkers(painter, subject.scene, planTop, cell / g.step, metrics);
    drawScale(painter, planWidth + 2 * kMargin, planTop, height - planTop - kMargin, range, metrics);
    painter.end();
    return pngBytes(image);
}

} // namespace kolmarin::cli
