#pragma once
// What the placement search ranks by when the scene has more than one seat: the bass
// objective (bass_objective.h) over every seat's Total at the band's 0.5 Hz points, against
// a flat target, the variation and the target weighing 1 each, with no level window.

#include "model/acoustics/bass_objective.h"
#include "model/acoustics/scene.h"
#include "model/acoustics/spread.h"

#include <optional>

namespace kolmarin {

// The figures of every seat of `scene` over `band`, each seat's Total from the chart's own
// calculation in the calling thread; nothing when one of them fails (a level it cannot
// take, a seat beyond what the response can follow, a loudspeaker on a seat).
std::optional<BassFigures> allSeatsFigures(const Scene& scene, Band band);

} // namespace kolmarin
