#pragma once
// Where a subwoofer may go when the user gives no list: against the walls, where a
// subwoofer usually stands and where it couples to the most modes. The corners excite
// every mode, the wall midpoints cancel the odd modes along that wall, and the points in
// between let the optimiser find anything else.

#include "model/acoustics/scene.h"

#include <string>
#include <vector>

namespace kolmarin {

inline constexpr double kCandidateClearance = 0.30; // metres from each wall and the floor
inline constexpr double kCandidateSpacing = 0.25;   // metres between points along a wall

// The four corners, the four wall midpoints, then points every kCandidateSpacing along each
// wall (front, right, back, left), all kCandidateClearance from the walls and above the
// floor, held to the centimetre as positions are, each position once. Nothing for a room
// too small to keep the clearance.
std::vector<Point3> defaultSubwooferCandidates(double width, double depth, double height);
// Why a room has no default candidates, for the user (walls beyond 1 000 m would take
// millions of points); empty when it has them.
std::string missingDefaultCandidates(double width, double depth, double height);

} // namespace kolmarin
