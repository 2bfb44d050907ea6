#include "model/fft/self_sorting_plan.h"

#include "model/fft/complex.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace kolmarin::detail {

namespace {

std::shared_ptr<const SortingPlan> buildSortingPlan(std::int32_t n, const PassPlan& passes) {
    auto plan = std::make_shared<SortingPlan>();
    plan->n = n;
    plan->passes = passes;
    std::size_t total = 0;
    for (int i = 1; i <= passes.count; ++i) {
        plan->offset[i] = total;
        if (passes.sofar[i] > 1)
            total += (static_cast<std::size_t>(passes.sofar[i]) + kTwiddleBlock - 1) / kTwiddleBlock *
                     kTwiddleBlock * static_cast<std::size_t>(passes.factor[i] - 1);
    }
    plan->re.resize(total);
    plan->im.resize(total);
    for (int i = 1; i <= passes.count; ++i) {
        const std::int32_t sofar = passes.sofar[i];
        const int radix = passes.factor[i];
        if (sofar == 1)
            continue;
        double* re = plan->re.data() + plan->offset[i];
        double* im = plan->im.data() + plan->offset[i];
        const Complex step = twiddleStep(sofar, radix);
        Complex tw{1.0, 0.0};
        for (std::int32_t d = 0; d < sofar; ++d) {
            Complex power = tw;
            for (int b = 1; b < radix; ++b) {
                if (b > 1)
                    power = tw * power;
                re[twiddleIndex(d, b, radix)] = power.re;
                im[twiddleIndex(d, b, radix)] = power.im;
            }
            tw = step * tw;
        }
    }
    return plan;
}

} // namespace

std::shared_ptr<const SortingPlan> sortingPlanFor(std::int32_t n, const PassPlan& passes) {
    constexpr std::size_t kKeptPlans = 4;
    static std::mutex mutex;
    static std::vector<std::shared_ptr<const SortingPlan>> kept;
    {
        std::lock_guard lock(mutex);
        for (const auto& plan : kept)
            if (plan->n == n)
                return plan;
    }
    auto plan = buildSortingPlan(n, passes);
    std::lock_guard lock(mutex);
    if (kept.size() >= kKeptPlans)
        kept.erase(kept.begin());
    kept.push_back(plan);
    return plan;
}

SortingScratch::SortingScratch(std::int32_t n) {
    constexpr std::int32_t kKeptScratch = 1 << 16;
    // Three cache lines between the arrays beyond a whole number of vectors, so that
    // the same index in each of them does not fall into the same cache set.
    const std::size_t stride = (static_cast<std::size_t>(n) + 7) / 8 * 8 + 24;
    const std::size_t size = 4 * stride + 8;
    std::vector<double>* storage = &local_;
    if (n <= kKeptScratch) {
        thread_local std::vector<double> kept;
        storage = &kept;
    }
    if (storage->size() < size)
        storage->resize(size);
    const auto address = reinterpret_cast<std::uintptr_t>(storage->data());
    double* base = storage->data() + (64 - address % 64) % 64 / sizeof(double);
    for (int k = 0; k < 4; ++k)
        arrays_[k] = base + static_cast<std::size_t>(k) * stride;
}

} // namespace kolmarin::detail
