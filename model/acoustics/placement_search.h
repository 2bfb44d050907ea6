#pragma once
// The placement search: where to sit and where to put the loudspeakers so that the Total
// level over a band is as flat as the room allows (lowest spread, see spread.h). Global
// and deterministic: every point of a coarse grid over the layout's variables is tried,
// so no valley of the spread is missed, then a compass search refines the best distinct
// candidates down to 1 cm. Positions are held as the read-outs show them (two decimals),
// and every spread is computed at exactly those positions.

#include "model/acoustics/scene.h"
#include "model/acoustics/spread.h"

#include <functional>
#include <optional>
#include <stop_token>
#include <vector>

namespace kolmarin {

// Stereo: SP1 = (W/2 - s, ys), SP2 = (W/2 + s, ys), listener = (W/2, yl).
// Listener: the listener anywhere, the loudspeakers where they stand.
// Speakers: the pair symmetric about the centre line as in stereo, the listener where it
// stands. Heights are never changed.
enum class Layout { Stereo, Listener, Speakers };

struct PlacementConstraints {
    double wallClearance = 0.30;  // metres from every wall, for every object that moves
    double listenerBehind = 0.5;  // yl >= ys + this (y grows away from the front wall)
    double narrowestAngle = 50.0; // degrees the loudspeakers subtend at the listener,
    double widestAngle = 70.0;    // in the plan (stereo only)
};

struct Placement {
    Point3 sp1, sp2, listener;
    double spread = 0.0; // dB
    double robust = 0.0; // dB: worst spread with the listener moved by up to 0.10 m; NaN unknown
};

struct SearchOptions {
    Layout layout = Layout::Stereo;
    Band band;
    PlacementConstraints constraints;
    int top = 10;
};

struct SearchProgress {
    double fraction = 0.0;    // 0 .. 1
    double secondsLeft = 0.0; // estimate
};

struct SearchResult {
    std::vector<Placement> best;         // at most `top`, lowest spread first
    std::optional<double> currentSpread; // of the scene as it stands
    std::optional<Placement> coarseBest; // the best point of the coarse grid
    long long calculations = 0;          // spreads computed, robustness included
    bool cancelled = false;
};

// A position as the read-outs hold it: formatPosition's two decimals, read back.
double roundedPosition(double metres);

// Whether the placement of `scene`'s room keeps every constraint of the layout.
bool keepsConstraints(const Scene& room, const Placement& placement, Layout layout,
                      const PlacementConstraints& constraints);

// The scene with the placement's positions.
Scene withPlacement(Scene scene, const Placement& placement);

// Placements at least this far apart in some coordinate count as distinct.
inline constexpr double kDistinctPlacement = 0.15;
// The listener's moves for the robustness figure.
inline constexpr double kRobustnessMove = 0.10;

// Searches on worker threads of its own; blocks the calling thread. `progress` is called at least
// once a second, from a worker, one call at a time. A stop ends the search promptly with
// the best placements found so far (their robustness then unknown).
SearchResult searchPlacements(const Scene& scene, const SearchOptions& options,
                              const std::function<void(SearchProgress)>& progress = {},
                              std::stop_token stop = {});

} // namespace kolmarin
