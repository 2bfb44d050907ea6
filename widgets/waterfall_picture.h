#pragma once
// Draws a waterfall onto any painter (the window, an image file, a printed page): either
// the stacked slices of measurement software, the earliest slice in front and each later
// one further back and up, or a spectrogram, time upwards and level as colour. Frequency
// runs logarithmically from left to right in both.

#include "model/acoustics/decay.h"

#include <QImage>
#include <QString>

class QPainter;
class QRectF;

namespace kolmarin {

enum class WaterfallStyle { Slices, Spectrogram };

struct WaterfallPicture {
    Waterfall waterfall;
    WaterfallStyle style = WaterfallStyle::Slices;
    QString title;         // drawn at the top
    double rangeDb = 50.0; // levels shown below the loudest
};

// The loudest level of any slice, rounded up to a multiple of 5 dB: the top of the level
// scale, which reaches down by rangeDb.
double waterfallTopLevel(const Waterfall& waterfall);

void paintWaterfall(QPainter& painter, const QRectF& area, const WaterfallPicture& picture);

// The picture as an image of `size` device-independent pixels at `scale` pixels each.
QImage waterfallImage(const WaterfallPicture& picture, QSize size, double scale);

} // namespace kolmarin
