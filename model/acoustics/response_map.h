#pragma once
// Response maps: the spread (see spread.h) over the room's plan for one moving marker,
// the others where they stand. The grid's cells cover the plan; each cell's centre is a
// place for the marker. Points are computed side by side on worker threads, coarse
// points first, so a picture of the whole room is there long before the last point.

#include "model/acoustics/scene.h"
#include "model/acoustics/spread.h"

#include <cstdint>
#include <functional>
#include <stop_token>
#include <vector>

namespace kolmarin {

// What moves over the plan: the listener (at its height), or the loudspeaker pair with
// SP1 at the point and SP2 at its mirror image across the centre line, x' = W - x, at the
// same distance from the front wall (heights as they stand).
enum class MapMarker { Listener, Speakers };

// What each point shows: the spread there, or the listening area's spread (see
// listening_area.h): the mean of the spreads with the listener there and moved by 0.10 m
// along x, y or both. For the loudspeaker pair it is the area spread of the listener where
// it stands, the pair at the point. A listening area that leaves the room is unknown.
enum class MapFigure { Point, Area };

inline constexpr double kDefaultMapStep = 0.05; // metres

// Cell centres x = step (i + 1/2) for i = 0 .. columns - 1, columns = floor(W / step);
// likewise y from the front wall with rows = floor(D / step).
struct MapGrid {
    double step = kDefaultMapStep;
    int columns = 0;
    int rows = 0;
    double x(int column) const { return step * (column + 0.5); }
    double y(int row) const { return step * (row + 0.5); }
    std::int64_t points() const { return std::int64_t{columns} * rows; }
};

// The most points a map holds: a few MB of results and a minute or so of work at most,
// whatever the room. A larger grid is refused, or coarsened where no step was asked for.
inline constexpr std::int64_t kMostMapPoints = 250000;

// A room dimension a hair below a whole number of steps (2.70 / 0.05 in doubles) still
// counts that whole number.
MapGrid mapGrid(double width, double depth, double step);

// The smallest step, a whole number of centimetres and not below `step`, whose grid over
// the room has at most kMostMapPoints points.
double fittingMapStep(double width, double depth, double step);

// Refuses a grid over kMostMapPoints with a UserError naming the bound and the step
// that would fit.
void checkMapGrid(double width, double depth, double step);

// The scene with the moving marker at plan point (x, y).
Scene withMarkerAt(const Scene& scene, MapMarker marker, double x, double y);

// Row-major (y outer, x inner): point index row * columns + column.
struct ResponseMap {
    MapGrid grid;
    std::vector<double> spread;         // NaN where unknown (a failed calculation) or not done
    std::vector<std::uint8_t> computed; // 1 where the point has been computed
    int passes = 0;                     // passes finished: 3 when the map is whole
    bool cancelled = false;
};

// The grid stride of pass 0, 1, 2: every 4th point in each direction, then every 2nd,
// then all; each pass computes only the points the earlier ones left.
inline constexpr int kMapPasses = 3;
int mapPassStride(int pass);

struct MapProgress {
    long long done = 0;
    long long total = 0;
};

struct MapCallbacks {
    // After each pass, in the calling thread, with the map so far.
    std::function<void(const ResponseMap&, int pass)> passDone;
    // After every few points, from whichever worker computed them, one call at a time.
    std::function<void(MapProgress)> progress;
};

// Computes the map of `scene` (its reflection count and corrections as they stand) over
// `band`. Blocks the calling thread until the map is whole or `stop` is requested; a stop
// is noticed within a few points per worker and the map keeps what is done. Work memory
// is per worker, whatever the number of points (the area figure keeps one spread per
// point besides, shared by the neighbours where 0.10 m is a whole number of steps). A grid
// over kMostMapPoints is refused (see checkMapGrid) before anything is allocated.
ResponseMap computeResponseMap(const Scene& scene, MapMarker marker, Band band, double step,
                               const MapCallbacks& callbacks = {}, std::stop_token stop = {},
                               MapFigure figure = MapFigure::Point);

} // namespace kolmarin
