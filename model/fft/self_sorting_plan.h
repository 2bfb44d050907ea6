#pragma once
// What the self-sorting form keeps for a length: the twiddles of its passes, shared by
// every thread, and the work arrays of one transform.

#include "model/fft/pass_plan.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace kolmarin::detail {

// The twiddles tw_d^b of every pass with sofar > 1, built once per length with the
// repeated products of the in-place passes: tw_0 = 1, tw_{d+1} = step * tw_d and
// tw_d^b = tw_d * tw_d^(b-1). Pass i keeps them from offset[i] on, in blocks of eight
// positions: a block holds b = 1..r-1 one after another, eight positions each, so the
// twiddles of one group of lanes share a few neighbouring cache lines.
constexpr std::size_t kTwiddleBlock = 8;

inline std::size_t twiddleIndex(std::size_t d, std::size_t b, std::size_t radix) {
    return ((d / kTwiddleBlock) * (radix - 1) + (b - 1)) * kTwiddleBlock + d % kTwiddleBlock;
}

struct SortingPlan {
    std::int32_t n = 0;
    PassPlan passes;
    std::array<std::size_t, kFactorSlots> offset{};
    std::vector<double> re;
    std::vector<double> im;
};

// The plans of the last few lengths, shared by every thread; the program itself uses one
// length only. A plan in use stays alive through its shared pointer when it is replaced.
std::shared_ptr<const SortingPlan> sortingPlanFor(std::int32_t n, const PassPlan& passes);

// Work arrays of one transform: two pairs of real and imaginary arrays of n values each,
// aligned for the widest vectors. Kept per thread for lengths up to kKeptScratch.
class SortingScratch {
  public:
    explicit SortingScratch(std::int32_t n);
    double* array(int k) const { return arrays_[k]; }

  private:
    std::vector<double> local_;
    std::array<double*, 4> arrays_{};
};

} // namespace kolmarin::detail
