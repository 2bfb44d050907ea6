#pragma once
// The continuous delay model's spectra: every image at its true path length r, adding
// w e^(-j 2 pi f r / c) / r at the frequencies f = k/2 Hz themselves.
//
// The grids run at 2048 samples a second over the 2 s the bins k/2 Hz repeat in. An image's
// delay there is u = r K / 2 (K = 4096/344 per metre); with n the nearest sample and
// d = u - n in [-1/2, 1/2], its term at bin k is e^(-j w n) e^(-j w d), w = 2 pi k / 4096.
// Below 600 Hz, |w d| < 0.93 rad, where e^(-j w d) equals a polynomial of degree 7 in d to
// within 1e-7 (the one through its values at the eight Chebyshev points of [-1/2, 1/2]).
// So an image adds its weight times d^p to grid p at sample n, one transform per grid
// gives G_p(k), and the spectrum is the sum over p of c_p(k) G_p(k), c_p(k) being that
// polynomial's coefficients at bin k. An image later than the grids' 2 s is added 4096
// samples earlier, which changes nothing at those bins: none is clamped. Above 1024 Hz
// the spectra are zero.
//
// Images whose weights are far too small to show (a thousand reflections at 0.8 weigh
// 1e-97) are left out by rows, and a bound on all that is left out is kept, so the caller
// can tell that they could not change any level it shows, or calculate again with them.

#include "model/acoustics/impulse_responses.h"
#include "model/acoustics/response_curves.h"
#include "model/acoustics/scene.h"
#include "model/fft/complex.h"

#include <vector>

namespace kolmarin::detail {

inline constexpr int kSpectrumBins = kTransformLength / 2 + 1; // 0 Hz to 2048 Hz

// The longest path the model places, in metres: delays are wrapped as whole numbers of
// samples of the finer grids (2048 a second), which must stay far below 2^51.
inline constexpr double kLongestContinuousPath = 1e15 / (kSamplesPerMetre / 2);

struct ContinuousSpectra {
    std::vector<std::vector<Complex>> sources; // per source: element k at k/2 Hz
    std::vector<double> leftOut;               // per source: a bound on |what was left out|
};

// The spectra of every source of `scene` at seat `seat`, elements 0 .. bins - 1, with the
// sources' levels, delays, polarities and crossover not applied. With `prune`, images are
// left out only where their weights together stay below 1e-9 of the direct sound's.
// With `summed`, the one spectrum of all sources added together (plain sources' Total).
// Throws UserError as the whole-sample calculation does: "0 による浮動小数点数除算" for a
// path of length zero, an overflow for values beyond a double's range.
ContinuousSpectra continuousSpectra(const Scene& scene, int seat, int bins, bool inCaller, bool prune,
                                    bool summed = false);

// The images left out could move a level within 40 dB of its curve's maximum by more than
// a thousandth of a decibel: `leftOut` is above 1e-7 of the largest |spectrum| over
// elements first..last.
bool leftOutMayShow(const std::vector<Complex>& spectrum, double leftOut, ElementRange range);

// The real impulse response of kTransformLength samples whose transform has `spectrum`
// (kSpectrumBins elements) at bins 0 .. 4096 and its mirror image above, band-limited:
// unchanged to 600 Hz, nothing from 1000 Hz on.
std::vector<double> impulseOfSpectrum(const std::vector<Complex>& spectrum);

} // namespace kolmarin::detail
