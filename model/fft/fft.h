#pragma once
// Forward discrete Fourier transform of any positive length whose prime factors are at
// most kMaxPrimeFactor, one pass per factor with the small transforms for 2, 3, 4, 5, 8,
// 10 and a general one for other odd primes. forwardFft takes the self-sorting route
// (no reordering copy, vectors as wide as the processor has) whenever every radix has its
// own small transform and there is more than one pass, as for the program's 8192 points;
// any other length takes the digit-reversal route: reorder, then every pass in place.
// Both routes give the same bits.

#include "model/fft/complex.h"

#include <cstdint>
#include <vector>

namespace kolmarin {

inline constexpr int kMaxPrimeFactor = 1021;
inline constexpr int kMaxFactorCount = 20;

// The factor list of a length, in the order the passes run (8192 -> 4, 4, 8, 8, 8).
std::vector<int> splitLength(std::int32_t n);

// output[k] = sum_j input[j] * exp(-2 pi i jk / n), unscaled. input and output may be the
// same sequence. n <= 0 does nothing. Throws UserError(msg::kFftPrimeFactor) before touching
// the output if a prime factor exceeds kMaxPrimeFactor. Safe to call from several threads
// at once: the twiddle tables it keeps for the last few lengths are shared read-only.
void forwardFft(const Complex* input, Complex* output, std::int32_t n);

namespace detail {

// The ways a transform can run; all give the same bits. DigitReversal reorders the input
// and runs the passes in place; SelfSorting* (lengths whose radices all have their own
// small transform) run the same groups between work arrays, with vectors of 2, 4 or 8
// lanes; Widest is the self-sorting form with the widest lanes the processor has.
enum class FftPath { DigitReversal, SelfSorting2, SelfSorting4, SelfSorting8, Widest };

// False for SelfSorting4 and SelfSorting8 on processors without AVX2 or AVX-512.
bool fftPathAvailable(FftPath path);

// forwardFft along `path`; lengths the self-sorting form does not take use DigitReversal.
void forwardFftBy(FftPath path, const Complex* input, Complex* output, std::int32_t n);

} // namespace detail

} // namespace kolmarin
