#pragma once
// The ranking step of a placement search: the evaluated lattice points best first, the
// best of them that are pairwise distinct, and the figures a row of the result shows.

#include "model/acoustics/placement.h"
#include "model/acoustics/placement_evaluation.h"
#include "model/acoustics/placement_lattice.h"

#include <vector>

namespace kolmarin::detail {

// Every lattice point whose objective is known, best first.
std::vector<Candidate> rankedCandidates(const PlacementEvaluator& evaluator);

// The best `count` candidates that are pairwise distinct (kDistinctPlacement apart in some
// coordinate), from a list sorted best first.
std::vector<Candidate> distinctBest(const std::vector<Candidate>& sorted, int count,
                                    const SearchLattice& lattice);

// The candidate's placement with its spreads, angle and distance; figures whose spreads
// are not known are NaN.
Placement withFigures(const Candidate& c, const SearchLattice& lattice, const PlacementEvaluator& evaluator);

} // namespace kolmarin::detail
