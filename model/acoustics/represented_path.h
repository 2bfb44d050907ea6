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

// Whether the direct sound from `source` reaches `receiver` on its own sample.
inline bool withinRepresentedPath(const Point3& source, const Point3& receiver) {
    return std::hypot(source.x - receiver.x, source.y - receiver.y, source.z - receiver.z) <
           kLongestRepresentedPath;
}

} // namespace kolmarin
