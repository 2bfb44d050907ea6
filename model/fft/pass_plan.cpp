#include "model/fft/pass_plan.h"

#include "model/fft/fft.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kolmarin {

namespace detail {

namespace {

constexpr long double kTwoPiExtended = 6.283185307179586477L;

// Greatest q with q*q <= n.
std::int32_t floorSqrt(std::int32_t n) {
    std::int64_t q = static_cast<std::int64_t>(std::sqrt(static_cast<double>(n)));
    while (q * q > n)
        --q;
    while ((q + 1) * (q + 1) <= n)
        ++q;
    return static_cast<std::int32_t>(q);
}

} // namespace

double fullTurnOver(std::int64_t denominator) {
    return static_cast<double>(kTwoPiExtended / static_cast<long double>(denominator));
}

void splitInto(std::int32_t n, PassPlan& plan) {
    std::array<std::int32_t, kFactorSlots> found{};
    int count = 0;
    if (n == 1)
        found[count++] = 1;

    static constexpr std::array<std::int32_t, 6> kRadices = {10, 8, 5, 4, 3, 2};
    std::size_t candidate = 0;
    while (n > 1 && candidate < kRadices.size()) {
        if (n % kRadices[candidate] == 0) {
            found[count++] = kRadices[candidate];
            n /= kRadices[candidate];
        } else {
            ++candidate;
        }
    }

    // A trailing 8*2 becomes 4*4: two balanced passes cost less than an 8 and a 2, and
    // every power of two from 4 on then runs in radix-8 and radix-4 passes only.
    if (count > 0 && found[count - 1] == 2) {
        for (int i = count - 2; i >= 0; --i) {
            if (found[i] == 8) {
                found[i] = 4;
                found[count - 1] = 4;
                break;
            }
        }
    }

    if (n > 1) {
        const std::int32_t q = floorSqrt(n);
        for (std::int32_t k = 2; k <= q && n > 1; ++k) {
            while (n % k == 0) {
                found[count++] = k;
                n /= k;
            }
        }
        if (n > 1)
            found[count++] = n;
    }

    plan.count = count;
    for (int i = 0; i < count; ++i)
        plan.factor[i + 1] = found[count - 1 - i];
}

void fillPassTables(std::int32_t n, PassPlan& plan) {
    plan.remain[0] = n;
    plan.sofar[1] = 1;
    plan.remain[1] = n / plan.factor[1];
    for (int i = 2; i <= plan.count; ++i) {
        plan.sofar[i] = plan.sofar[i - 1] * plan.factor[i - 1];
        plan.remain[i] = plan.remain[i - 1] / plan.factor[i];
    }
    plan.remain[plan.count + 1] = 0;
}

} // namespace detail

std::vector<int> splitLength(std::int32_t n) {
    if (n <= 0)
        return {};
    detail::PassPlan plan;
    detail::splitInto(n, plan);
    return std::vector<int>(plan.factor.begin() + 1, plan.factor.begin() + 1 + plan.count);
}

} // namespace kolmarin
