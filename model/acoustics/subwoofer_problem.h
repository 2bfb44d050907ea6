#pragma once
// The optimiser's input for a scene: every candidate's spectrum at every seat over the
// band, and what the optimiser leaves as it is (the loudspeakers through their branch of
// the crossover, or nothing when the subwoofers are judged alone). The scene's own
// subwoofers are left out: the optimiser's replace them.

#include "model/acoustics/subwoofer_optimiser.h"

#include <functional>
#include <stop_token>

namespace kolmarin {

// Candidates that cannot be calculated at some seat (one standing on a seat) are left out
// of spectra.positions. Throws UserError when a loudspeaker cannot be calculated. A stop
// leaves the candidates unfilled.
SubwooferSpectra prepareSubwooferSpectra(const Scene& scene, int crossover, bool subwoofersOnly, Band band,
                                         const std::vector<Point3>& candidates,
                                         const std::function<void(double)>& progress = {},
                                         std::stop_token stop = {});

} // namespace kolmarin
