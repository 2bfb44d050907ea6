#pragma once
// The placement search: where to sit and where to put the loudspeakers so that the Total
// level over a band is as flat as the room allows, at the listener alone or over its
// listening area (see listening_area.h); with more than one seat, so that every seat hears
// the same, flat bass (the bass objective over every seat, placement_seats.h). Global and deterministic:
// every point of a coarse grid over the layout's feasible region is tried, so no valley is missed, then
// compass searches from the best distinct points walk the 1 cm lattice down to a point no neighbour improves
// on. Positions are held as the read-outs show them (two decimals), and every spread is computed at exactly
// those positions, once: the listening area's neighbours are lattice points too, so neighbouring placements
// share their spreads.

#include "model/acoustics/listening_area.h"
#include "model/acoustics/placement.h"
#include "model/acoustics/scene.h"
#include "model/acoustics/spread.h"

#include <cmath>

#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace kolmarin {

struct SearchOptions {
    Layout layout = Layout::Stereo;
    Objective objective = Objective::Area;
    Band band;
    PlacementConstraints constraints;
    int top = 10;
};

struct SearchResult {
    std::vector<Placement> best;            // at most `top`, best of the objective first
    std::optional<double> currentSpread;    // of the scene as it stands
    std::optional<double> currentArea;      // its listening area's spread
    std::optional<double> currentSeatScore; // with several seats, its objective over them all
    bool allSeats = false;                  // ranked by the objective over every seat
    std::optional<Placement> coarseBest;    // the best point of the coarse grid
    long long calculations = 0;             // spreads computed, the rows' figures included
    bool cancelled = false;
    int gridStep = 0;           // centimetres between the coarse grid's points
    bool gridCoarsened = false; // its step is coarser than the layout's own: a large room
};

// "部屋が大きいため、探索の格子を 40 cm に粗くしました" when the search's coarse grid was
// coarsened for a large room; empty otherwise.
std::string coarsenedGridNote(const SearchResult& result);

// Searches on worker threads of its own; blocks the calling thread. `progress` is called at least
// once a second, from a worker, one call at a time. A stop ends the search within one
// spread per worker with the best placements found so far (figures not computed by then
// are unknown). Work and memory are bounded whatever the room: in a room too large for a
// 1 cm walk the coarse grid coarsens and the walk ends at a bound.
SearchResult searchPlacements(const Scene& scene, const SearchOptions& options,
                              const std::function<void(SearchProgress)>& progress = {},
                              std::stop_token stop = {});

} // namespace kolmarin
