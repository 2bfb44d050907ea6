#pragma once
// The candidates of a placement search: the layout's variables on the 1 cm lattice, the
// feasible points of a coarse grid over them, and a point's neighbours for a compass walk.

#include "model/acoustics/placement.h"
#include "model/acoustics/scene.h"

#include <array>
#include <stop_token>
#include <vector>

namespace kolmarin::detail {

// The layout's variables on the 1 cm lattice, in centimetres: stereo (SP1 x, ys, yl),
// seats (the listener's x, y; y alone on the centre line), speakers (SP1 x, ys). Unused
// ones stay 0.
using Lattice = std::array<int, 3>;

// How a search spends its spreads: the coarse grid is the finest whose feasible points
// stay within `budget`, trying `base` first and its multiples (coarser) and 5, 2, 1 cm
// (finer) beside it; then `starts` compass searches.
struct Plan {
    long long budget;
    int base; // centimetres
    int starts;
};
Plan planFor(Layout layout, Objective objective);

struct Range {
    int low = 0, high = -1; // centimetres, inclusive
};

// The points of a coarse grid, all feasible, and their spacing.
struct CoarseGrid {
    std::vector<Lattice> points;
    int step = 1; // centimetres
};

class SearchLattice {
  public:
    // Placements in `scene` (which must outlive the lattice) over the box of `room`'s
    // constraints for the layout.
    SearchLattice(const Scene& scene, const Scene& room, Layout layout,
                  const PlacementConstraints& constraints);

    // The placement at lattice point `v`. The mirrored x and the centre line go through the
    // position form; the mirror is worked out once per lattice value, not once per point.
    Placement place(const Lattice& v) const;
    bool feasible(const Lattice& v) const;

    // Every feasible point of the finest grid within the plan's budget, on multiples of its
    // step (so the grid's points are one another's listening-area neighbours): the grids
    // are tried from the coarsest on, until one has too many points or too large a box.
    CoarseGrid coarseGrid(const Plan& plan, std::stop_token stop) const;

    // The feasible points one step away along an axis; with `surrounding`, every one of
    // the 3^d - 1 lattice points around `at` instead.
    std::vector<Lattice> neighbours(const Lattice& at, int step, bool surrounding) const;

  private:
    const Scene& scene_;
    Layout layout_;
    PlacementConstraints constraints_;
    int dims_;
    std::array<Range, 3> ranges_;
    double centre_; // the listener's x where the layout holds it on the centre line
    std::vector<double> mirrored_;
};

} // namespace kolmarin::detail
