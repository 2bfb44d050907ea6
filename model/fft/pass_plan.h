#pragma once
// How a transform length is split into passes: the radix of each pass and the tables that
// place its groups, and the angles the twiddles of every pass are built from.

#include "model/fft/complex.h"
#include "model/fft/fft.h"

#include <array>
#include <cmath>
#include <cstdint>

namespace kolmarin::detail {

// Every factor is at least 2 apart from a single leading 1 for n = 1, at most one factor
// is 2 and all others are at least 3, so a 32-bit length has at most 1 + log3(2^30) < 20
// factors. Index 0 and the slot after the last factor are used by the pass tables.
constexpr int kFactorSlots = kMaxFactorCount + 2;

// The factors of a length and the pass tables built from them, 1-based as the passes use
// them: factor[i] is the radix of pass i, sofar[i] the product of the radices before it
// and remain[i] = n / (factor[1]..factor[i]); remain[0] = n and remain[count + 1] = 0.
struct PassPlan {
    int count = 0;
    std::array<std::int32_t, kFactorSlots> factor{};
    std::array<std::int32_t, kFactorSlots> sofar{};
    std::array<std::int32_t, kFactorSlots> remain{};
};

// Splits n (> 0) into pass radices, largest hand-written radix first, then any factors
// without 2, 3 or 5 by trial division; the list is finally reversed into pass order.
void splitInto(std::int32_t n, PassPlan& plan);

// Fills sofar and remain from the factors splitInto left in plan.
void fillPassTables(std::int32_t n, PassPlan& plan);

// 2pi/denominator: the quotient is taken at extended precision and then rounded to double,
// so the cosine and sine are those of the double nearest the extended quotient.
double fullTurnOver(std::int64_t denominator);

// Step between the twiddle bases of neighbouring positions: exp(-2 pi i / (sofar*radix)).
inline Complex twiddleStep(std::int32_t sofar, int radix) {
    const double omega = fullTurnOver(static_cast<std::int64_t>(sofar) * radix);
    return Complex{std::cos(omega), -std::sin(omega)};
}

} // namespace kolmarin::detail
