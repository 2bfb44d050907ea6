#pragma once
// The walk step of a placement search: compass searches from the best points of the
// coarse grid down the 1 cm lattice.

#include "model/acoustics/placement_evaluation.h"
#include "model/acoustics/placement_lattice.h"

#include <stop_token>
#include <vector>

namespace kolmarin::detail {

// Compass searches from `seeds` in lockstep, so each round's spreads are computed side by
// side: the best improving neighbour along an axis at the current step (first half the
// grid's `gridStep`), else half the step; at 1 cm every one of the 3^d - 1 surrounding
// lattice points must fail to improve (a valley lying diagonally stops an axis-only walk
// short of its floor). The points they meet are left evaluated in `evaluator`. Ends at a
// stop, or where the evaluator holds as many spreads as a search may.
void walkDown(const std::vector<Candidate>& seeds, int gridStep, const SearchLattice& lattice,
              PlacementEvaluator& evaluator, std::stop_token stop);

} // namespace kolmarin::detail
