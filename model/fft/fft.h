#pragma once
// Forward discrete Fourier transform of any positive length whose prime factors are at
// most cMaxPrimeFactor: mixed-radix digit reversal, then one pass per factor with the
// small transforms for 2, 3, 4, 5, 8, 10 and a general one for other odd primes.

#include "model/fft/complex.h"

#include <cstdint>
#include <vector>

namespace kolmarin {

inline constexpr int cMaxPrimeFactor = 1021;
inline constexpr int cMaxFactorCount = 20;

// The factor list of a length, in the order the passes run (8192 -> 4, 4, 8, 8, 8).
std::vector<int> SplitLength(std::int32_t n);

// output[k] = sum_j input[j] * exp(-2 pi i jk / n), unscaled. input and output may be the
// same sequence. n <= 0 does nothing. Throws UserError(msg::kFftPrimeFactor) before touching
// the output if a prime factor exceeds cMaxPrimeFactor. Safe to call from several threads
// at once: the twiddle tables it keeps for the last few lengths are shared read-only.
void ForwardFft(const TComplexNum* input, TComplexNum* output, std::int32_t n);

namespace detail {

// The ways a transform can run; all give the same bits. DigitReversal reorders the input
// and runs the passes in place; SelfSorting* (lengths whose radices all have their own
// small transform) run the same groups between work arrays, with vectors of 2, 4 or 8
// lanes; Widest is the self-sorting form with the widest lanes the processor has.
enum class FftPath { DigitReversal, SelfSorting2, SelfSorting4, SelfSorting8, Widest };

// Whether this processor can run `path`.
bool fftPathAvailable(FftPath path);

// ForwardFft along `path`; lengths the self-sorting form does not take use DigitReversal.
void ForwardFftBy(FftPath path, const TComplexNum* input, TComplexNum* output, std::int32_t n);

} // namespace detail

} // namespace kolmarin
