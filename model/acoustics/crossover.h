#pragma once
// Bass management: below the crossover frequency the subwoofers play, above it the main
// loudspeakers. Both branches are 4th-order Linkwitz-Riley filters, the square of a
// 2nd-order Butterworth at fc, so each is 6 dB down at fc and their sum has a flat
// magnitude at every frequency (it is an all-pass).

#include "model/fft/complex.h"

namespace kolmarin {

// Crossover frequencies the user may choose, whole hertz.
inline constexpr int kLowestCrossover = 40;
inline constexpr int kHighestCrossover = 160;

enum class CrossoverBranch { Full, HighPass, LowPass };

// The filter's response at `frequency` Hz for a crossover at `crossover` Hz:
// low-pass 1 / (1 + sqrt2 s/wc + (s/wc)^2)^2, high-pass (s/wc)^4 times the same, s = j 2 pi f.
// Full passes everything (1).
Complex crossoverResponse(CrossoverBranch branch, double frequency, double crossover);

} // namespace kolmarin
