#pragma once
// The response chart with the whole scene written under it: what a print, an image or a
// report of a scene with subwoofers or other seats shows. Sizes are canvas pixels, in
// which the chart's texts are 12 pixels high; the caller's painter scales them onto paper.

#include "model/layout/scene_lines.h"

#include <QSize>
#include <QStringList>

class QCPPainter;
class QCustomPlot;

namespace kolmarin {

// The lines of `groups` fitting a canvas `canvasWidth` pixels wide, in the chart's font.
QStringList sceneLines(const SceneGroups& groups, int canvasWidth);

// The height `lineCount` lines take under the chart, their margins included.
int sceneLinesHeight(int lineCount);

// Lays `chart` out afresh at `canvasWidth` x `chartHeight` and draws it from the painter's
// origin, in vector form for a printer or PDF when `vector` is set.
void drawChartCanvas(QCPPainter& painter, QCustomPlot& chart, int canvasWidth, int chartHeight, bool vector);

// The chart over `canvas` less the lines' height, and `lines` under it on white.
void drawChartWithScene(QCPPainter& painter, QCustomPlot& chart, QSize canvas, const QStringList& lines,
                        bool vector);

} // namespace kolmarin
