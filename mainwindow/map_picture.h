#pragma once
// The response map as the plan shows it: one pixel per grid cell in the colour of its
// spread, stretched over the part of the plan the grid covers, and the colour scale drawn
// beside the plan. Cells a coarse pass has not reached yet take the colour of the
// computed point whose block they lie in, so the first pass already fills the room.

#include "model/acoustics/response_map.h"

#include <QImage>
#include <QRectF>
#include <QWidget>

#include <functional>
#include <optional>

namespace kolmarin {

// The lowest and highest known spread of the map; `known` is false while it has none.
struct MapSpan {
    double low = 0;
    double high = 0;
    bool known = false;
};
MapSpan mapSpan(const ResponseMap& map);

// columns × rows pixels, row 0 at the front wall. Unknown spreads are grey.
QImage mapCells(const ResponseMap& map, const MapSpan& span);

// Where the cells lie on a plan of `planWidth` × `planHeight` pixels for a room of
// `width` × `depth` metres: the grid covers whole steps only, so a room that is not a
// whole number of steps long keeps a white strip along its right or back wall.
QRectF mapArea(const MapGrid& grid, double width, double depth, int planWidth, int planHeight);

// The spread of the computed cell holding plan point (x, y) in metres (a point beyond the
// last whole cell belongs to the nearest); nothing where it is unknown or not yet computed.
std::optional<double> mapSpreadAt(const ResponseMap& map, double x, double y);

// The span widened to take in `value` (the current placement's spread), so the scale
// always shows where the placement in use stands among the map's points.
MapSpan withValue(MapSpan span, double value);

// Washes out, towards white, the cells whose centre `allowed` rules out, so the colours of
// the points a layout may use stand out.
void fadeRuledOut(QImage& cells, const MapGrid& grid, const std::function<bool(double x, double y)>& allowed);

// The colour scale: low spreads on the left, high on the right, with a mark at the
// current placement's spread when there is one.
class MapScale : public QWidget {
  public:
    explicit MapScale(QWidget* parent = nullptr);
    void setMark(std::optional<double> position); // 0 .. 1 along the scale

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::optional<double> mark_;
};

} // namespace kolmarin
