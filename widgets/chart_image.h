#pragma once
// The response chart as an image file, drawn as it stands on screen: a PNG with twice the
// screen's pixels in each direction, or a one-page PDF in vector form whose page is the
// chart's size on screen, one point per pixel. A scene with subwoofers or other seats is
// written under the chart, the image growing by the lines' height.

#include "model/layout/scene_lines.h"

#include <QByteArray>
#include <QString>

class QCustomPlot;

namespace kolmarin {

enum class ChartImageFormat { Png, Pdf };

// The format a file name asks for by its extension (.png or .pdf, any case), whichever
// filter was chosen in the dialog: a name typed as "chart.pdf" gets a PDF. Any other
// extension is a UserError, rather than bytes the name does not describe.
ChartImageFormat imageFormatOf(const QString& path);

// The file's bytes, with `scene` under the chart unless it is empty (the room file's scene,
// whose image is the chart alone). Throws UserError when the image could not be made.
QByteArray chartImageBytes(QCustomPlot& chart, ChartImageFormat format, const SceneGroups& scene = {});

} // namespace kolmarin
