#pragma once
// The standing-wave response at a seat: an image-source model of the rectangular room
// gives one sampled impulse response per source, an 8192-point transform turns each (and
// their sum) into a spectrum, and the levels in dB are kept in ResponseCurves. Calls that
// take a seat index work at that seat of the scene; the main window's listener is seat 0.

#include "model/acoustics/scene.h"

#include <array>
#include <cstdint>
#include <vector>

namespace kolmarin {

inline constexpr int kCurvePoints = 1201;                  // 0 to 600 Hz in 0.5 Hz steps
inline constexpr int kTransformLength = 8192;              // impulse-response and transform length
inline constexpr int kLastDelaySample = 8000;              // later arrivals are added here
inline constexpr double kSamplesPerMetre = 4096.0 / 344.0; // 4096 samples/s, c = 344 m/s

using Curve = std::array<double, kCurvePoints>;

// Levels in dB at one seat; element j belongs to j/2 Hz. Every calculation overwrites
// only the elements of its own frequency range. A calculation whose scene has another
// number of sources starts the source curves afresh at 0.
struct ResponseCurves {
    std::vector<Curve> sources = std::vector<Curve>(2); // each source alone
    Curve total{};                                      // all sources together
};

// One sampled response per source at one seat, kTransformLength samples each.
struct ImpulseResponses {
    // Two silent responses, each zeroed in place rather than copied from a first one:
    // a calculation of a map point starts from here.
    ImpulseResponses() : sources(2) {
        for (std::vector<double>& h : sources)
            h.resize(kTransformLength);
    }
    std::vector<std::vector<double>> sources;
    // The model that placed the images: under Sample, element j of the curves is the
    // level of transform bin j + 1; under Continuous, of bin j itself.
    DelayModel delays = DelayModel::Sample;
};

// The straightforward image-source loop, kept as the reference the fast one is checked
// against. Clears and fills `out`. Throws UserError at the first floating-point fault.
void accumulateImpulseResponsesReference(const Scene& scene, ImpulseResponses& out, int seat = 0);

// The image-source accumulation used by the program. Under the continuous delay model the
// responses are band-limited ones whose transform holds the spectrum at bins k/2 Hz.
void accumulateImpulseResponses(const Scene& scene, ImpulseResponses& out, int seat = 0);

// One whole calculation on a corrected scene: impulse responses, one transform per source
// and one of their sum, and the levels of bins 2f+1 stored at element 2f for
// f = start..end; under the continuous delay model the level at f itself (see
// continuous_delays.h). A source's level, delay and polarity act on its spectrum, and the
// Total is the sum of the spectra so changed. Nothing is stored when start > end, and
// nothing at all when a floating-point fault is raised; an overflow says in its detail
// what overflowed (see overflow_detail.h), here and in the calls below.
void calculateResponse(const Scene& scene, ResponseCurves& curves, int seat = 0);
// The same, handing out the impulse responses the levels came from (untouched on a failure).
void calculateResponse(const Scene& scene, ResponseCurves& curves, ImpulseResponses& impulses, int seat = 0);
// The same calculation with the same result, run wholly in the calling thread without the
// worker pool: for tasks that run many scenes side by side on the pool.
void calculateResponseInCaller(const Scene& scene, ResponseCurves& curves, int seat = 0);
// Only the Total levels of calculateResponseInCaller, the same bits and the same errors,
// for callers that need no other curve (the spread of many placements); the sources'
// curves are left as they were. Under the continuous model, plain sources' images are
// added into one set of grids: the Total agrees to rounding, and only its own faults are
// raised.
void calculateTotalInCaller(const Scene& scene, ResponseCurves& curves, int seat = 0);
void calculateResponseReference(const Scene& scene, ResponseCurves& curves, int seat = 0);

// The element range [first, last] of ResponseCurves that frequencies start..end cover,
// clipped to the stored 0..1200; empty (first > last) when nothing of it is stored.
struct ElementRange {
    int first = 0;
    int last = -1;
};
ElementRange storedElements(std::int32_t start, std::int32_t end);

} // namespace kolmarin
