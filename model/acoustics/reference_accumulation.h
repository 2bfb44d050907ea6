#pragma once
// The straightforward image-source loop: every image of every source, in index order,
// added at its whole-sample delay. The fast accumulation is checked against it and hands
// it the scenes whose values come near the limits of a double.

#include "model/acoustics/impulse_responses.h"
#include "model/acoustics/scene.h"

namespace kolmarin {

// Clears and fills `out` with the responses at seat `seat`. Throws UserError at the first
// floating-point fault in loop order.
void accumulateImpulseResponsesReference(const Scene& scene, ImpulseResponses& out, int seat = 0);

} // namespace kolmarin
