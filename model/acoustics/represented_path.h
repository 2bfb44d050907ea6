#pragma once
// How far the impulse response can follow a sound. An arrival lands on the sample of its
// path length; every arrival beyond the last sample the response keeps (kLateSample) is
// added to that one sample. When even the direct sound comes from farther, all of it lands
// there, and the "response" is the flat spectrum of a single click: no figure of it means
// anything, least of all a perfectly flat 0.000 dB.

#include "model/acoustics/image_rows.h"
#include "model/acoustics/response.h"
#include "model/acoustics/scene.h"

#include <cmath>

namespace kolmarin {

// About 672 m at 4096 samples a second and 344 m/s.
inline constexpr double kLongestRepresentedPath = detail::kLateSample / kSamplesPerMetre;

inline constexpr char kBeyondRepresentedPath[] =
    "スピーカーから座席までの音の道のりが、計算で追える約 672 m を超えます";

// Whether the delay model has that limit: the whole-sample one does; the continuous one puts
// every arrival at its own path length, however long.
inline bool limitsPaths(DelayModel delays) {
    return delays == DelayModel::Sample;
}

// Whether the direct sound from `source` reaches `receiver` on its own sample (always under
// a model without the limit).
inline bool withinRepresentedPath(const Point3& source, const Point3& receiver, DelayModel delays) {
    return !limitsPaths(delays) || std::hypot(source.x - receiver.x, source.y - receiver.y,
                                              source.z - receiver.z) < kLongestRepresentedPath;
}

// Whether some placement in the scene's room may lie beyond the limit: its diagonal reaches it.
inline bool roomBeyondRepresentedPath(const Scene& scene) {
    return limitsPaths(scene.delays) &&
           std::hypot(scene.width, scene.depth, scene.height) >= kLongestRepresentedPath;
}

} // namespace kolmarin
