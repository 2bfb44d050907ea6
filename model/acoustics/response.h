#pragma once
// The standing-wave response at the listener: an image-source model of the rectangular
// room gives one sampled impulse response per loudspeaker, an 8192-point transform turns
// each (and their sum) into a spectrum, and the levels in dB are kept in ResponseCurves.

#include "model/acoustics/scene.h"

#include <array>
#include <cstdint>
#include <vector>

namespace kolmarin {

inline constexpr int kCurvePoints = 1201;                  // 0 to 600 Hz in 0.5 Hz steps
inline constexpr int kTransformLength = 8192;              // impulse-response and transform length
inline constexpr int kLastDelaySample = 8000;              // later arrivals are added here
inline constexpr double kSamplesPerMetre = 4096.0 / 344.0; // 4096 samples/s, c = 344 m/s

// Levels in dB; element j belongs to j/2 Hz. Every calculation overwrites only the
// elements of its own frequency range.
struct ResponseCurves {
    std::array<double, kCurvePoints> sp1{};
    std::array<double, kCurvePoints> sp2{};
    std::array<double, kCurvePoints> total{};
};

struct ImpulseResponses {
    std::vector<double> h1 = std::vector<double>(kTransformLength, 0.0); // SP1
    std::vector<double> h2 = std::vector<double>(kTransformLength, 0.0); // SP2
};

// The straightforward image-source loop, kept as the reference the fast one is checked
// against. Clears and fills `out`. Throws UserError at the first floating-point fault.
void accumulateImpulseResponsesReference(const Scene& scene, ImpulseResponses& out);

// The image-source accumulation used by the program.
void accumulateImpulseResponses(const Scene& scene, ImpulseResponses& out);

// One whole calculation on a corrected scene: impulse responses, three transforms and
// the levels of bins 2f+1 stored at element 2f for f = start..end. Nothing is stored
// when start > end, and nothing at all when a floating-point fault is raised.
void calculateResponse(const Scene& scene, ResponseCurves& curves);
// The same, handing out the impulse responses the levels came from (untouched on a failure).
void calculateResponse(const Scene& scene, ResponseCurves& curves, ImpulseResponses& impulses);
// The same calculation with the same result, run wholly in the calling thread without the
// worker pool: for tasks that run many scenes side by side on the pool.
void calculateResponseInCaller(const Scene& scene, ResponseCurves& curves);
// Only the Total levels of calculateResponseInCaller, the same bits and the same errors,
// for callers that need no other curve (the spread of many placements); SP1's and SP2's
// curves are left as they were.
void calculateTotalInCaller(const Scene& scene, ResponseCurves& curves);
void calculateResponseReference(const Scene& scene, ResponseCurves& curves);

// The element range [first, last] of ResponseCurves that frequencies start..end cover,
// clipped to the stored 0..1200; empty (first > last) when nothing of it is stored.
struct ElementRange {
    int first = 0;
    int last = -1;
};
ElementRange storedElements(std::int32_t start, std::int32_t end);

} // namespace kolmarin
