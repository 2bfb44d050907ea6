#include "widgets/waterfall_picture.h"

#include "model/layout/colour_scale.h"
#include "model/layout/frequency_axis_labels.h"
#include "model/layout/time_axis_ticks.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace kolmarin {

namespace {

constexpr double kBottomMargin = 26, kTopMargin = 26, kRightMargin = 16;
constexpr double kLeastLeftMargin = 48;
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

// The band's frequency labels under a logarithmic axis from `left` over `width` at `bottom`,
// and the unit after the last. Returns where the texts stand, so the time labels can keep
// clear of them.
std::vector<QRectF> drawFrequencyLabels(QPainter& painter, const Band& band, double left, double width,
                                        double bottom) {
    const QFontMetricsF metrics(painter.font());
    std::vector<QRectF> texts;
    const auto drawAt = [&](const QRectF& box, int alignment, const QString& text) {
        QRectF drawn;
        painter.drawText(box, alignment, text, &drawn);
        texts.push_back(drawn);
    };
    for (const AxisLabel& label : bandLabels(band)) {
        const double x = left + frequencyPosition(label.value, band) * width;
        painter.drawLine(QPointF(x, bottom), QPointF(x, bottom + 4));
        if (!label.text.empty())
            drawAt(QRectF(x - 30, bottom + 4, 60, metrics.height()), Qt::AlignCenter,
                   QString::fromStdString(label.text));
    }
    drawAt(QRectF(left + width - 60, bottom + 4 + metrics.height() * 0.1, 90, metrics.height()),
           Qt::AlignRight, QStringLiteral("Hz"));
    return texts;
}

void drawTitle(QPainter& painter, const QRectF& area, const QString& title) {
    painter.setPen(Qt::black);
    painter.drawText(QRectF(area.left(), area.top(), area.width(), kTopMargin), Qt::AlignCenter, title);
}

// Round times between the first and the last slice's start, as many as fit `length`
// pixels with a line and a half of text between them.
std::vector<TimeTick> timeTicks(const Waterfall& w, double length, const QFontMetricsF& metrics) {
    const int fit = 1 + static_cast<int>(length / (1.5 * metrics.height()));
    return timeAxisTicks(w.startMs.front(), w.startMs.back(), std::max(2, fit));
}

// Where a time falls between the first slice (0) and the last (1).
double timeShare(const Waterfall& w, double ms) {
    const double span = w.startMs.back() - w.startMs.front();
    return span > 0 ? (ms - w.startMs.front()) / span : 0.0;
}

// A left margin wide enough for the widest of `texts`, so no label runs off the picture.
double leftMarginFor(const QFontMetricsF& metrics, const QStringList& texts) {
    double widest = 0;
    for (const QString& text : texts)
        widest = std::max(widest, metrics.horizontalAdvance(text));
    return std::max(kLeastLeftMargin, std::ceil(widest) + 12);
}

QString timeText(const TimeTick& tick) {
    return QString::fromStdString(tick.label);
}

void paintSlices(QPainter& painter, const QRectF& area, const WaterfallPicture& picture) {
    const Waterfall& w = picture.waterfall;
    const Band band = w.settings.band;
    const double top = waterfallTopLevel(w), bottom = top - picture.rangeDb;
    const int slices = static_cast<int>(w.levels.size());
    const QFontMetricsF metrics(painter.font());
    QStringList levelTexts;
    for (double level = bottom; level <= top + 1e-9; level += 10)
        levelTexts.append(QString::number(level, 'f', 0));
    const double leftMargin = leftMarginFor(metrics, levelTexts);
    // The front slice's frame; later slices are the same frame moved back and up.
    const QRectF plot(area.left() + leftMargin, area.top() + kTopMargin,
                      area.width() - leftMargin - kRightMargin - kTimeLabelWidth,
                      area.height() - kTopMargin - kBottomMargin);
    const double depthX = kDepthX * plot.width(), depthY = kDepthY * plot.height();
    const double front = plot.width() - depthX, high = plot.height() - depthY;
    const auto offsetAt = [&](double share) { return QPointF(share * depthX, -share * depthY); };
    const auto offset = [&](int slice) { return offsetAt(slices > 1 ? double(slice) / (slices - 1) : 0.0); };
    const auto pointAt = [&](int column, double level) {
        const double x = frequencyPosition(w.frequency(column), band) * front;
        const double clamped = std::clamp(level, bottom, top);
        return QPointF(plot.left() + x, plot.bottom() - (clamped - bottom) / (top - bottom) * high);
    };
    const auto curveOf = [&](int s) {
        QPolygonF curve;
        for (int c = 0; c < w.columns(); ++c)
            curve << pointAt(c, w.levels[static_cast<std::size_t>(s)][static_cast<std::size_t>(c)]) +
                         offset(s);
        return curve;
    };
    // The curve closed down to the slice's floor.
    const auto outlineOf = [&](int s) {
        return QPolygonF{pointAt(0, bottom) + offset(s)} << curveOf(s)
                                                         << pointAt(w.columns() - 1, bottom) + offset(s);
    };
    // Early slices dark, late ones light: the lines of the ridges stay apart.
    const auto lineColour = [&](int s) { return scaleColourOf(slices > 1 ? 0.85 * s / (slices - 1) : 0.0); };

    // Back to front, each slice lightly filled, so the ridges read as surfaces...
    for (int s = slices - 1; s >= 0; --s) {
        const QColor line = lineColour(s);
        const auto tint = [](int channel) { return static_cast<int>(255 - 0.3 * (255 - channel)); };
        const QColor fill(tint(line.red()), tint(line.green()), tint(line.blue()));
        painter.setBrush(fill);
        painter.setPen(QPen(fill, 1.0)); // closes the seams antialiasing leaves between fills
        painter.drawPolygon(outlineOf(s));
    }
    // ...then every slice's line over all fills, so a slice that has fallen below an
    // earlier one still shows where the earlier one's fill would hide it.
    painter.setBrush(Qt::NoBrush);
    for (int s = slices - 1; s >= 0; --s) {
        painter.setPen(QPen(lineColour(s), s == 0 ? 1.2 : 0.8));
        painter.drawPolyline(s == 0 ? outlineOf(s) : curveOf(s));
    }

    // Axes of the front slice: level on the left, frequency below; time along the right.
    painter.setPen(Qt::black);
    for (qsizetype i = 0; i < levelTexts.size(); ++i) {
        const QPointF at = pointAt(0, bottom + 10.0 * static_cast<double>(i));
        painter.drawLine(QPointF(plot.left() - 4, at.y()), QPointF(plot.left(), at.y()));
        painter.drawText(QRectF(area.left(), at.y() - metrics.height() / 2, leftMargin - 6, metrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter, levelTexts[i]);
    }
    painter.drawLine(QPointF(plot.left(), plot.bottom()), QPointF(plot.left(), plot.bottom() - high));
    painter.drawLine(QPointF(plot.left(), plot.bottom()), QPointF(plot.left() + front, plot.bottom()));
    const std::vector<QRectF> frequencyTexts =
        drawFrequencyLabels(painter, band, plot.left(), front, plot.bottom());
    const QPointF timeStart(plot.left() + front, plot.bottom());
    painter.drawLine(timeStart, timeStart + offset(slices - 1));
    for (const TimeTick& tick : timeTicks(w, slices > 1 ? depthY : 0.0, metrics)) {
        const QPointF at = timeStart + offsetAt(timeShare(w, tick.ms));
        painter.drawLine(at, at + QPointF(4, 0));
        QRectF box(at.x() + 6, at.y() - metrics.height() / 2, metrics.horizontalAdvance(timeText(tick)),
                   metrics.height());
        // The first time stands at the frequency axis's end: it steps right of any
        // frequency text it would run into.
        for (const QRectF& text : frequencyTexts)
            if (box.intersects(text))
                box.moveLeft(text.right() + 4);
        painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, timeText(tick));
    }
}

// The level of slice s at a frequency between two transform bins, read along the straight
// line between their levels, so the picture has no steps where bins are wider than pixels.
double levelBetweenBins(const Waterfall& w, int s, double hz) {
    const double at = std::clamp(2 * hz - w.firstElement, 0.0, static_cast<double>(w.columns() - 1));
    const int below = static_cast<int>(std::floor(at));
    const int above = std::min(below + 1, w.columns() - 1);
    const std::vector<double>& slice = w.levels[static_cast<std::size_t>(s)];
    const double share = at - below;
    return (1 - share) * slice[static_cast<std::size_t>(below)] +
           share * slice[static_cast<std::size_t>(above)];
}

void paintSpectrogram(QPainter& painter, const QRectF& area, const WaterfallPicture& picture) {
    const Waterfall& w = picture.waterfall;
    const Band band = w.settings.band;
    const double top = waterfallTopLevel(w), bottom = top - picture.rangeDb;
    constexpr double kScaleWidth = 14;
    const int slices = static_cast<int>(w.levels.size());
    const QFontMetricsF metrics(painter.font());
    const double height = area.height() - kTopMargin - kBottomMargin;
    const std::vector<TimeTick> ticks =
        timeTicks(w, slices > 1 ? height * (slices - 1) / slices : 0.0, metrics);
    QStringList tickTexts;
    for (const TimeTick& tick : ticks)
        tickTexts.append(timeText(tick));
    const double leftMargin = leftMarginFor(metrics, tickTexts);
    const QRectF plot(area.left() + leftMargin, area.top() + kTopMargin,
                      area.width() - leftMargin - kRightMargin - kScaleWidth - kTimeLabelWidth, height);
    // One image row per slice, one column per pixel of the plot's width; the painter
    // then stretches the rows over the plot's height, blending neighbouring slices. Each
    // slice row stands at its start time at the middle of its share of the height.
    const int width = std::max(1, static_cast<int>(std::ceil(plot.width())));
    QImage cells(width, std::max(1, slices), QImage::Format_RGB32);
    for (int x = 0; x < width; ++x) {
        const double hz = band.low * std::pow(static_cast<double>(band.high) / band.low, (x + 0.5) / width);
        for (int s = 0; s < slices; ++s)
            cells.setPixelColor(x, slices - 1 - s,
                                scaleColourOf(scalePosition(
                                    std::clamp(levelBetweenBins(w, s, hz), bottom, top), bottom, top)));
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(plot, cells);
    painter.restore();
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot);
    drawFrequencyLabels(painter, band, plot.left(), plot.width(), plot.bottom());
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        const double share = slices > 1 ? (timeShare(w, ticks[i].ms) * (slices - 1) + 0.5) / slices : 0.5;
        const double y = plot.bottom() - plot.height() * share;
        painter.drawLine(QPointF(plot.left() - 4, y), QPointF(plot.left(), y));
        painter.drawText(QRectF(area.left(), y - metrics.height() / 2, leftMargin - 6, metrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter, tickTexts[static_cast<qsizetype>(i)]);
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
