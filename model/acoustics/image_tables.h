#pragma once
// Per-axis tables of the image-source model, shared by the reference loop and the fast
// one. Image i along an axis of length L sits at sigma(i) * p' + i * L in room-centred
// coordinates; its |i| reflections alternate between the axis's two walls.

#include "model/acoustics/scene.h"

#include <vector>

namespace kolmarin::detail {

struct AxisTables {
    int count = 0;                           // 2N + 1 entries, index i + N for i = -N..N
    std::vector<double> sp1X2, sp1Y2, sp1Z2; // squared distance components, SP1
    std::vector<double> sp2X2, sp2Y2, sp2Z2; // SP2
    std::vector<double> rx, ry, rz;          // reflection factors per axis
};

// Builds the tables; throws UserError(kOverflow) when a table value overflows.
AxisTables buildAxisTables(const Scene& scene);

// Walks every image in loop order with full checks and throws the first fault it meets
// (division by zero, invalid operation, overflow). Returns normally when there is none.
void raiseFirstImageFault(const AxisTables& tables);

} // namespace kolmarin::detail
