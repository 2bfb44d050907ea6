#pragma once
// How the room rings at the listener after the sound stops. The calculation already builds
// the impulse response there (4096 samples a second); two views of its decay come from it:
// - a waterfall (cumulative spectral decay): the response cut by a window that slides
//   later in time, each cut's spectrum a slice, so a mode that keeps sounding stands out
//   as a ridge running to the back;
// - decay times: the time a band of the response takes to fall by 60 dB, from Schroeder's
//   backward integral of the band-filtered response.

#include "model/acoustics/response.h"
#include "model/acoustics/scene.h"
#include "model/acoustics/spread.h"

#include <optional>
#include <vector>

namespace kolmarin {

inline constexpr double kSampleRate = 4096.0; // impulse-response samples a second

enum class ImpulseCurve { Sp1, Sp2, Total };

// One loudspeaker's impulse response at the listener, or both together (their sum).
std::vector<double> impulseResponseOf(const ImpulseResponses& responses, ImpulseCurve curve);

// The sampled impulse response of one loudspeaker, or of both together, at the listener:
// the very samples the calculation transforms for the chart (kTransformLength of them).
// Throws UserError as the calculation does (a loudspeaker on the listener).
std::vector<double> impulseResponseAt(const Scene& scene, ImpulseCurve curve);

struct WaterfallSettings {
    Band band{15, 200};      // frequencies shown, whole hertz
    double firstMs = 0.0;    // start of the first slice's window
    double lastMs = 300.0;   // start of the last slice's window
    int slices = 30;         // evenly spaced from first to last
    double windowMs = 300.0; // length of each slice's window
    double riseMs = 5.0;     // raised-cosine rise at its start, and fall at its end
    bool operator==(const WaterfallSettings&) const = default;
};

inline constexpr int kMostSlices = 200;
inline constexpr double kLongestWindowMs = 2000.0; // the whole response

// Throws UserError with a message a user can act on when a setting is out of range.
void checkWaterfallSettings(const WaterfallSettings& settings);

// Levels in dB of slice s at element j (j/2 Hz, from the same transform bin the chart uses
// for the delay model the response came from: j + 1 under Sample, j under Continuous), for
// j from 2 low to 2 high. A slice whose window reaches past the response's end
// sees zeros there; a level of nothing is kSilence.
struct Waterfall {
    WaterfallSettings settings;
    std::vector<double> startMs; // per slice, the window's start as a whole sample
    int firstElement = 0;
    std::vector<std::vector<double>> levels; // [slice][j - firstElement]

    double frequency(int column) const { return (firstElement + column) / 2.0; }
    int columns() const { return levels.empty() ? 0 : static_cast<int>(levels.front().size()); }
};

inline constexpr double kSilence = -200.0; // dB

Waterfall computeWaterfall(const std::vector<double>& impulse, const WaterfallSettings& settings,
                           DelayModel delays);

// A spectrogram on the same grid: row s is the spectrum under a Hann window of windowMs
// centred on the row's time (startMs holds the centre; riseMs plays no part). Both ends
// taper to nothing, so the rows change smoothly as the window slides over the response's
// separate arrivals, where the waterfall's steep start steps down at each of them.
Waterfall computeSpectrogram(const std::vector<double>& impulse, const WaterfallSettings& settings,
                             DelayModel delays);

// T60 in seconds of the response's part between lowHz and highHz: the band is cut out by
// a zero-phase filter (flat in the band, raised-cosine skirts half the band's width on each
// side, so the filter's own ringing stays short), Schroeder's backward integral of its
// energy gives the decay curve, and a least-squares line through the curve from -5 to
// -25 dB is extended to -60 dB. Nothing when the band's decay never falls 25 dB, when the
// band holds no energy, or when the decay is too short for the band's filter to tell it
// from its own ringing (under about 4 / bandwidth: 0.86 s at 20 Hz, 0.17 s at 100 Hz for a
// third of an octave). The sample where the calculation piles up every later arrival
// (kLastDelaySample) and the ones after it are left out.
std::optional<double> decayTime(const std::vector<double>& impulse, double lowHz, double highHz);

// A third of an octave around `centre`: centre / 2^(1/6) .. centre * 2^(1/6).
std::optional<double> thirdOctaveDecayTime(const std::vector<double>& impulse, double centre);

// The nominal third-octave centres from 20 to 200 Hz.
const std::vector<double>& thirdOctaveCentres();

} // namespace kolmarin
