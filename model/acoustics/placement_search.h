#pragma once
// The placement search: where to sit and where to put the loudspeakers so that the Total
// level over a band is as flat as the room allows, at the listener alone or over its
// listening area (see listening_area.h). Global and deterministic: every point of a coarse
// grid over the layout's feasible region is tried, so no valley is missed, then compass
// searches from the best distinct points walk the 1 cm lattice down to a point no
// neighbour improves on. Positions are held as the read-outs show them (two decimals), and
// every spread is computed at exactly those positions, once: the listening area's
// neighbours are lattice points too, so neighbouring placements share their spreads.

#include "model/acoustics/listening_area.h"
#include "model/acoustics/scene.h"
#include "model/acoustics/spread.h"

#include <cmath>

#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace kolmarin {

// Stereo: SP1 = (W/2 - s, ys), SP2 = (W/2 + s, ys), listener = (W/2, yl).
// Listener: the listener anywhere, the loudspeakers where they stand.
// Speakers: the pair symmetric about the centre line as in stereo, the listener where it
// stands. Heights are never changed.
enum class Layout { Stereo, Listener, Speakers };

// What the search ranks by: the spread at the listener, or the listening area's spread.
enum class Objective { Point, Area };

// Metres; y grows away from the front wall.
struct PlacementConstraints {
    double wallClearance = 0.30;   // from every wall, for every object that moves
    double frontNearest = 0.30;    // the loudspeakers' distance from the front wall, a range;
    double frontFarthest = NAN;    //   NaN: half the room's depth (layouts that move them)
    double distanceNearest = 0.5;  // the listening distance (listeningDistance), a range;
    double distanceFarthest = NAN; //   NaN: the room's depth
    double narrowestAngle = 50.0;  // degrees the loudspeakers subtend at the listener, in
    double widestAngle = 70.0;     //   the plan (stereo only)
    double leastSpacing = 1.0;     // between the loudspeakers (layouts that move them)
};

struct Placement {
    Point3 sp1, sp2, listener;
    double spread = 0.0;   // dB at the listener
    double robust = 0.0;   // dB, the worst of the listening area ("最悪 ±0.10 m"); NaN unknown
    double area = 0.0;     // dB, the listening area's spread; NaN unknown
    double angle = 0.0;    // degrees the loudspeakers subtend at the listener, in the plan
    double distance = 0.0; // metres the listener sits behind the loudspeakers' line
};

struct SearchOptions {
    Layout layout = Layout::Stereo;
    Objective objective = Objective::Area;
    Band band;
    PlacementConstraints constraints;
    int top = 10;
};

struct SearchProgress {
    double fraction = 0.0;    // 0 .. 1
    double secondsLeft = 0.0; // estimate
};

struct SearchResult {
    std::vector<Placement> best;         // at most `top`, best of the objective first
    std::optional<double> currentSpread; // of the scene as it stands
    std::optional<double> currentArea;   // its listening area's spread
    std::optional<Placement> coarseBest; // the best point of the coarse grid
    long long calculations = 0;          // spreads computed, the rows' figures included
    bool cancelled = false;
    int gridStep = 0;           // centimetres between the coarse grid's points
    bool gridCoarsened = false; // its step is coarser than the layout's own: a large room
};

// "部屋が大きいため、探索の格子を 40 cm に粗くしました" when the search's coarse grid was
// coarsened for a large room; empty otherwise.
std::string coarsenedGridNote(const SearchResult& result);

// A position as the read-outs hold it: formatPosition's two decimals, read back.
double roundedPosition(double metres);

// Degrees SP1 and SP2 subtend at the listener, in the plan.
double stereoAngle(const Placement& placement);
// Metres from the loudspeakers' line (their mean y) back to the listener.
double listeningDistance(const Placement& placement);

// Whether the placement of `scene`'s room keeps every constraint of the layout: the one
// test every placement the search looks at, and every row it reports, passes. A pair the
// layout moves keeps SP1 on the left (SP1 x <= SP2 x).
bool keepsConstraints(const Scene& room, const Placement& placement, Layout layout,
                      const PlacementConstraints& constraints);

// The scene with the placement's positions: the first two sources and the first seat.
Scene withPlacement(Scene scene, const Placement& placement);
// The placement the scene's first two sources and first seat stand in.
Placement placementOf(const Scene& scene);

// Placements at least this far apart in some coordinate count as distinct.
inline constexpr double kDistinctPlacement = 0.15;

// Searches on worker threads of its own; blocks the calling thread. `progress` is called at least
// once a second, from a worker, one call at a time. A stop ends the search within one
// spread per worker with the best placements found so far (figures not computed by then
// are unknown). Work and memory are bounded whatever the room: in a room too large for a
// 1 cm walk the coarse grid coarsens and the walk ends at a bound.
SearchResult searchPlacements(const Scene& scene, const SearchOptions& options,
                              const std::function<void(SearchProgress)>& progress = {},
                              std::stop_token stop = {});

} // namespace kolmarin
