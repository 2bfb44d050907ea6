#include "widgets/waterfall_picture.h"

#include "model/layout/colour_scale.h"
#include "model/layout/frequency_axis_labels.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace kolmarin {

namespace {

constexpr double kLeftMargin = 48, kBottomMargin = 26, kTopMargin = 26, kRightMargin = 16;
// How far the last slice stands back, as parts of the plot's width and height.
constexpr double kDepthX = 0.30, kDepthY = 0.32;
constexpr double kTimeLabelWidth = 56;

QColor scaleColourOf(double t) {
    const Rgb c = scaleColour(t);
    return QColor(c.r, c.g, c.b);
}

// Positions along the logarithmic frequency axis, 0 at the band's low end, 1 at its high.
double frequencyPosition(double hz, const Band& band) {
    return std::log(hz / band.low) / std::log(static_cast<double>(band.high) / band.low);
}

// The chart's frequency labels that fall in the band, numbered or not.
std::vector<AxisLabel> bandLabels(const Band& band) {
    std::vector<AxisLabel> labels = frequencyAxisLabels(band.low, band.high, NumberFormat{});
    std::erase_if(labels, [&](const AxisLabel& l) { return l.value < band.low || l.value > band.high; });
    return labels;
}

// The band's frequency labels under a logarithmic axis from `left` over `width` at `bottom`.
void drawFrequencyLabels(QPainter& painter, const Band& band, double left, double width, double bottom) {
    const QFontMetricsF metrics(painter.font());
    for (const AxisLabel& label : bandLabels(band)) {
        const double x = left + frequencyPosition(label.value, band) * width;
        painter.drawLine(QPointF(x, bottom), QPointF(x, bottom + 4));
        if (!label.text.empty())
            painter.drawText(QRectF(x - 30, bottom + 4, 60, metrics.height()), Qt::AlignCenter,
                             QString::fromStdString(label.text));
    }
}

void drawTitle(QPainter& painter, const QRectF& area, const QString& title) {
    painter.setPen(Qt::black);
    painter.drawText(QRectF(area.left(), area.top(), area.width(), kTopMargin), Qt::AlignCenter, title);
}

void paintSlices(QPainter& painter, const QRectF& area, const WaterfallPicture& picture) {
    const Waterfall& w = picture.waterfall;
    const Band band = w.settings.band;
    const double top = waterfallTopLevel(w), bottom = top - picture.rangeDb;
    const int slices = static_cast<int>(w.levels.size());
    // The front slice's frame; later slices are the same frame moved back and up.
    const QRectF plot(area.left() + kLeftMargin, area.top() + kTopMargin,
                      area.width() - kLeftMargin - kRightMargin - kTimeLabelWidth,
                      area.height() - kTopMargin - kBottomMargin);
    const double depthX = kDepthX * plot.width(), depthY = kDepthY * plot.height();
    const double front = plot.width() - depthX, high = plot.height() - depthY;
    const auto offset = [&](int slice) {
        const double share = slices > 1 ? static_cast<double>(slice) / (slices - 1) : 0.0;
        return QPointF(share * depthX, -share * depthY);
    };
    const auto pointAt = [&](int column, double level) {
        const double x = frequencyPosition(w.frequency(column), band) * front;
        const double clamped = std::clamp(level, bottom, top);
        return QPointF(plot.left() + x, plot.bottom() - (clamped - bottom) / (top - bottom) * high);
    };

    // Back to front, each slice filled so that it hides what stands behind it.
    for (int s = slices - 1; s >= 0; --s) {
        const QPointF shift = offset(s);
        QPolygonF outline;
        outline << pointAt(0, bottom) + shift;
        for (int c = 0; c < w.columns(); ++c)
            outline << pointAt(c, w.levels[static_cast<std::size_t>(s)][static_cast<std::size_t>(c)]) + shift;
        outline << pointAt(w.columns() - 1, bottom) + shift;
        const double age = slices > 1 ? static_cast<double>(s) / (slices - 1) : 0.0;
        // Early slices dark, late ones light: the lines of the ridges stay apart.
        const QColor line = scaleColourOf(0.85 * age);
        const auto tint = [](int channel) { return static_cast<int>(255 - 0.3 * (255 - channel)); };
        painter.setBrush(QColor(tint(line.red()), tint(line.green()), tint(line.blue())));
        painter.setPen(QPen(line, 1.0));
        painter.drawPolygon(outline);
    }

    // Axes of the front slice: level on the left, frequency below; time along the right.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(Qt::black);
    const QFontMetricsF metrics(painter.font());
    for (double level = bottom; level <= top + 1e-9; level += 10) {
        const QPointF at = pointAt(0, level);
        painter.drawLine(QPointF(plot.left() - 4, at.y()), QPointF(plot.left(), at.y()));
        painter.drawText(
            QRectF(area.left(), at.y() - metrics.height() / 2, kLeftMargin - 6, metrics.height()),
            Qt::AlignRight | Qt::AlignVCenter, QString::number(level, 'f', 0));
    }
    painter.drawLine(QPointF(plot.left(), plot.bottom()), QPointF(plot.left(), plot.bottom() - high));
    painter.drawLine(QPointF(plot.left(), plot.bottom()), QPointF(plot.left() + front, plot.bottom()));
    drawFrequencyLabels(painter, band, plot.left(), front, plot.bottom());
    painter.drawText(
        QRectF(plot.left() + front - 60, plot.bottom() + 4 + metrics.height() * 0.1, 90, metrics.height()),
        Qt::AlignRight, QStringLiteral("Hz"));
    const QPointF timeStart(plot.left() + front, plot.bottom());
    painter.drawLine(timeStart, timeStart + offset(slices - 1));
    const int every = std::max(1, slices / 6);
    for (int s = 0; s < slices; s += every) {
        const QPointF at = timeStart + offset(s);
        painter.drawLine(at, at + QPointF(4, 0));
        painter.drawText(QRectF(at.x() + 6, at.y() - metrics.height() / 2, kTimeLabelWidth, metrics.height()),
                         Qt::AlignLeft | Qt::AlignVCenter,
                         QString::number(w.startMs[static_cast<std::size_t>(s)], 'f', 0) +
                             QStringLiteral(" ms"));
    }
}

void paintSpectrogram(QPainter& painter, const QRectF& area, const WaterfallPicture& picture) {
    const Waterfall& w = picture.waterfall;
    const Band band = w.settings.band;
    const double top = waterfallTopLevel(w), bottom = top - picture.rangeDb;
    constexpr double kScaleWidth = 14;
    const QRectF plot(area.left() + kLeftMargin, area.top() + kTopMargin,
                      area.width() - kLeftMargin - kRightMargin - kScaleWidth - kTimeLabelWidth,
                      area.height() - kTopMargin - kBottomMargin);
    const int slices = static_cast<int>(w.levels.size());
    // One image row per slice and one column per pixel of the plot's width, each pixel
    // taking the level of the frequency nearest to it on the logarithmic axis, then
    // stretched over the plot without smoothing: cells with no seams between them.
    const int width = std::max(1, static_cast<int>(std::ceil(plot.width())));
    QImage cells(width, std::max(1, slices), QImage::Format_RGB32);
    for (int x = 0; x < width; ++x) {
        const double hz = band.low * std::pow(static_cast<double>(band.high) / band.low, (x + 0.5) / width);
        const int column =
            std::clamp(static_cast<int>(std::lround(2 * hz)) - w.firstElement, 0, w.columns() - 1);
        for (int s = 0; s < slices; ++s) {
            const double level = w.levels[static_cast<std::size_t>(s)][static_cast<std::size_t>(column)];
            cells.setPixelColor(x, slices - 1 - s,
                                scaleColourOf(scalePosition(std::clamp(level, bottom, top), bottom, top)));
        }
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(plot, cells);
    painter.restore();
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot);
    const QFontMetricsF metrics(painter.font());
    drawFrequencyLabels(painter, band, plot.left(), plot.width(), plot.bottom());
    const int every = std::max(1, slices / 6);
    for (int s = 0; s < slices; s += every) {
        const double y = plot.bottom() - plot.height() * (s + 0.5) / slices;
        painter.drawText(QRectF(area.left(), y - metrics.height() / 2, kLeftMargin - 6, metrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(w.startMs[static_cast<std::size_t>(s)], 'f', 0) +
                             QStringLiteral(" ms"));
    }
    // The colour scale, the loudest level at the top.
    const QRectF scale(plot.right() + 8, plot.top(), kScaleWidth, plot.height());
    const int steps = std::max(2, static_cast<int>(scale.height()));
    for (int i = 0; i < steps; ++i)
        painter.fillRect(QRectF(scale.left(), scale.top() + scale.height() * i / steps, scale.width(),
                                scale.height() / steps + 0.5),
                         scaleColourOf(1.0 - static_cast<double>(i) / (steps - 1)));
    painter.drawRect(scale);
    for (const auto& [level, y] : {std::pair{top, scale.top()}, std::pair{bottom, scale.bottom()}})
        painter.drawText(
            QRectF(scale.right() + 4, y - metrics.height() / 2, kTimeLabelWidth, metrics.height()),
            Qt::AlignLeft | Qt::AlignVCenter, QString::number(level, 'f', 0) + QStringLiteral(" dB"));
}

} // namespace

double waterfallTopLevel(const Waterfall& waterfall) {
    double loudest = kSilence;
    for (const auto& slice : waterfall.levels)
        for (double level : slice)
            loudest = std::max(loudest, level);
    return 5.0 * std::ceil(loudest / 5.0);
}

void paintWaterfall(QPainter& painter, const QRectF& area, const WaterfallPicture& picture) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(area, Qt::white);
    drawTitle(painter, area, picture.title);
    if (!picture.waterfall.levels.empty() && picture.waterfall.columns() > 0) {
        if (picture.style == WaterfallStyle::Slices)
            paintSlices(painter, area, picture);
        else
            paintSpectrogram(painter, area, picture);
    }
    painter.restore();
}

QImage waterfallImage(const WaterfallPicture& picture, QSize size, double scale) {
    QImage image(size * scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintWaterfall(painter, QRectF(QPointF(0, 0), QSizeF(size)), picture);
    return image;
}

} // namespace kolmarin
