#pragma once
// A placement of the two loudspeakers and the listener in the plan, the layouts a search
// moves them in, and the constraints every placement it looks at keeps. The other seats
// follow the listener: each keeps its offset from it.

#include "model/acoustics/scene.h"

#include <cmath>
#include <vector>

namespace kolmarin {

// Stereo: SP1 = (W/2 - s, ys), SP2 = (W/2 + s, ys), listener = (W/2, yl), the other seats
// with it.
// Seats: the listener and the seats with it anywhere, the loudspeakers where they stand.
// Speakers: the pair symmetric about the centre line as in stereo, the seats where they
// stand. Heights are never changed.
enum class Layout { Stereo, Seats, Speakers };

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
    double widestAngle = 70.0;     //   the plan (layouts that move the loudspeakers)
    double leastSpacing = 1.0;     // between the loudspeakers (layouts that move them)
    // The seats' middle (their mean x; the listener alone when it is the only seat) on the
    // centre line, for the layouts that move the seats: the listener at centredListenerX.
    // And the pair symmetric about it, for those that move the pair. Stereo without it puts
    // the listener itself there.
    bool centreLine = false;
};

struct Placement {
    Point3 sp1, sp2, listener;
    double spread = 0.0;   // dB at the listener
    double robust = 0.0;   // dB, the worst of the listening area ("最悪 ±0.10 m"); NaN unknown
    double area = 0.0;     // dB, the listening area's spread; NaN unknown
    double angle = 0.0;    // degrees the loudspeakers subtend at the listener, in the plan
    double distance = 0.0; // metres the listener sits behind the loudspeakers' line
    // With more than one seat, the search ranks by the bass objective over every seat
    // (bass_objective.h) instead of the spreads above, and `spread` is seat 1's: the score,
    // the seat-to-seat variation and the deviation of the seats' mean curve from flat, dB;
    // NaN with one seat or unknown.
    double seatScore = NAN;
    double seatVariation = NAN;
    double targetDeviation = NAN;
};

// How far a search has come, as it reports it.
struct SearchProgress {
    double fraction = 0.0;    // 0 .. 1
    double secondsLeft = 0.0; // estimate
};

// Metres by which a position may miss a bound and still keep it: the lattice's positions
// are read back from their two-decimal form.
inline constexpr double kPlacementTolerance = 1e-9;

// The bounds of PlacementConstraints whose NaN stands for a default of the room's.
double frontFarthest(const Scene& room, const PlacementConstraints& constraints);
double distanceFarthest(const Scene& room, const PlacementConstraints& constraints);

// A position as the read-outs hold it: formatPosition's two decimals, read back.
double roundedPosition(double metres);

// Degrees SP1 and SP2 subtend at the listener, in the plan.
double stereoAngle(const Placement& placement);
// Metres from the loudspeakers' line (their mean y) back to the listener.
double listeningDistance(const Placement& placement);

// Metres the seats' middle may miss the centre line by: the listener's place that centres
// them is rounded to the centimetre, and so is each seat's when it was not already.
inline constexpr double kCentreLineTolerance = 0.01;

// Whether the placement of `scene`'s room keeps every constraint of the layout: the one
// test every placement the search looks at, and every row it reports, passes. A pair the
// layout moves keeps SP1 on the left (SP1 x <= SP2 x). The room's seats after the first
// stand where seatsWith puts them.
bool keepsConstraints(const Scene& room, const Placement& placement, Layout layout,
                      const PlacementConstraints& constraints);

// Every seat of `room` moved with its first to `listener`: each keeps its offset in the
// plan, in the position form (two decimals), and its height; the first is `listener` itself.
std::vector<Point3> seatsWith(const Scene& room, const Point3& listener);

// The listener's x, in the position form, that puts the middle of `room`'s seats (their
// mean x) on the centre line.
double centredListenerX(const Scene& room);

// The scene with the placement's positions: the first two sources, and the seats as
// seatsWith moves them.
Scene withPlacement(Scene scene, const Placement& placement);
// The placement the scene's first two sources and first seat stand in.
Placement placementOf(const Scene& scene);

// Placements at least this far apart in some coordinate count as distinct.
inline constexpr double kDistinctPlacement = 0.15;

} // namespace kolmarin
