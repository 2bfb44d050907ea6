#pragma once
// Per-axis tables of the image-source model, the first step of every calculation: the
// reference loop, the fast one and the continuous delay model all start from them. Image
// i along an axis of length L sits at sigma(i) * p' + i * L in room-centred coordinates;
// its |i| reflections alternate between the axis's two walls.

#include "model/acoustics/impulse_responses.h"
#include "model/acoustics/scene.h"

#include <cstddef>

#include <vector>

namespace kolmarin::detail {

// Squared distance components from one source's images to the seat, per axis.
struct SourceTables {
    std::vector<double> x2, y2, z2;
};

struct AxisTables {
    int count = 0;                     // 2N + 1 entries, index i + N for i = -N..N
    std::vector<SourceTables> sources; // one per source of the scene
    std::vector<double> rx, ry, rz;    // reflection factors per axis, shared by all sources
};

// Builds the tables for seat `seat`; throws UserError(kOverflow) when a table value
// overflows.
AxisTables buildAxisTables(const Scene& scene, int seat);

// Gives `out` one cleared response for each of `sources`.
void clearResponses(ImpulseResponses& out, std::size_t sources);

} // namespace kolmarin::detail
