#include "mainwindow/map_picture.h"

#include "model/layout/colour_scale.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kolmarin {

namespace {

const QColor kUnknown(160, 160, 160);

QRgb colourAt(double value, const MapSpan& span) {
    if (std::isnan(value))
        return kUnknown.rgb();
    const Rgb c = scaleColour(scalePosition(value, span.low, span.high));
    return qRgb(c.r, c.g, c.b);
}

} // namespace

MapSpan mapSpan(const ResponseMap& map) {
    MapSpan span;
    for (std::size_t i = 0; i < map.spread.size(); ++i) {
        const double v = map.spread[i];
        if (!map.computed[i] || std::isnan(v))
            continue;
        span.low = span.known ? std::min(span.low, v) : v;
        span.high = span.known ? std::max(span.high, v) : v;
        span.known = true;
    }
    return span;
}

QImage mapCells(const ResponseMap& map, const MapSpan& span) {
    const MapGrid& g = map.grid;
    QImage image(std::max(g.columns, 1), std::max(g.rows, 1), QImage::Format_RGB32);
    image.fill(Qt::white);
    // After pass p every point on the stride's lattice is computed; a cell not computed
    // yet shows the lattice point at the top-left corner of its block.
    const int stride = map.passes > 0 ? mapPassStride(map.passes - 1) : 1;
    for (int row = 0; row < g.rows; ++row)
        for (int column = 0; column < g.columns; ++column) {
            auto index = static_cast<std::size_t>(row * g.columns + column);
            if (!map.computed[index])
                index = static_cast<std::size_t>((row - row % stride) * g.columns + column - column % stride);
            if (map.computed[index])
                image.setPixel(column, row, colourAt(map.spread[index], span));
        }
    return image;
}

QRectF mapArea(const MapGrid& grid, double width, double depth, int planWidth, int planHeight) {
    return QRectF(0.0, 0.0, planWidth * grid.step * grid.columns / width,
                  planHeight * grid.step * grid.rows / depth);
}

std::optional<double> mapSpreadAt(const ResponseMap& map, double x, double y) {
    const MapGrid& g = map.grid;
    if (g.points() == 0)
        return std::nullopt;
    const auto cell = [&](double metres, int count) {
        return static_cast<int>(std::clamp(std::floor(metres / g.step), 0.0, count - 1.0));
    };
    const int column = cell(x, g.columns);
    const int row = cell(y, g.rows);
    const auto index = static_cast<std::size_t>(row * g.columns + column);
    if (!map.computed[index] || std::isnan(map.spread[index]))
        return std::nullopt;
    return map.spread[index];
}

MapSpan withValue(MapSpan span, double value) {
    if (std::isnan(value))
        return span;
    span.low = span.known ? std::min(span.low, value) : value;
    span.high = span.known ? std::max(span.high, value) : value;
    span.known = true;
    return span;
}

void fadeRuledOut(QImage& cells, const MapGrid& grid,
                  const std::function<bool(double x, double y)>& allowed) {
    for (int row = 0; row < grid.rows && row < cells.height(); ++row)
        for (int column = 0; column < grid.columns && column < cells.width(); ++column)
            if (!allowed(grid.x(column), grid.y(row))) {
                const QRgb c = cells.pixel(column, row);
                // Two parts white to one of the colour: still legible, plainly set apart.
                cells.setPixel(
                    column, row,
                    qRgb((qRed(c) + 2 * 255) / 3, (qGreen(c) + 2 * 255) / 3, (qBlue(c) + 2 * 255) / 3));
            }
}

MapScale::MapScale(QWidget* parent) : QWidget(parent) {}

void MapScale::setMark(std::optional<double> position) {
    mark_ = position;
    update();
}

void MapScale::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int w = width();
    for (int x = 0; x < w; ++x) {
        const Rgb c = scaleColour(static_cast<double>(x) / std::max(1, w - 1));
        painter.fillRect(x, 0, 1, height(), QColor(c.r, c.g, c.b));
    }
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(0, 0, w - 1, height() - 1);
    if (mark_) {
        const int x = static_cast<int>(std::lround(std::clamp(*mark_, 0.0, 1.0) * (w - 1)));
        painter.setPen(QPen(Qt::white, 3));
        painter.drawLine(x, 0, x, height());
        painter.setPen(QPen(Qt::black, 1));
        painter.drawLine(x, 0, x, height());
    }
}

} // namespace kolmarin
