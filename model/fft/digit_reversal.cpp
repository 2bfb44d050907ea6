#include "model/fft/digit_reversal.h"

#include "model/fft/radix_passes.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace kolmarin::detail {

namespace {

// Writes input in mixed-radix digit-reversed order: target[i] = input[k] where k has the
// digits of i in reverse. Digit j of i (radix factor[j], lowest first) weighs sofar[j] in i
// and remain[j] in k. The first and the last digit are run through as a small block, so
// that both the reads (the last digit steps k by 1) and the writes (the first digit steps
// i by 1) use whole cache lines; the digits between them are counted in count[], where a
// carry out of digit j takes back that digit's whole span remain[j-1] from k and steps the
// next digit by remain[j+1].
void digitReverseCopy(const Complex* input, Complex* target, std::int32_t n, const PassPlan& plan) {
    const int m = plan.count;
    if (m == 1) {
        std::copy(input, input + n, target);
        return;
    }
    const std::int32_t firstRadix = plan.factor[1];
    const std::int32_t lastRadix = plan.factor[m];
    const std::ptrdiff_t firstStepInK = plan.remain[1];
    const std::ptrdiff_t lastStepInI = plan.sofar[m];
    const std::int32_t blockCount = n / (firstRadix * lastRadix);

    std::array<std::int32_t, kFactorSlots> count{};
    std::ptrdiff_t k = 0;
    for (std::int32_t block = 0;; ++block) {
        Complex* out = target + static_cast<std::ptrdiff_t>(block) * firstRadix;
        for (std::int32_t first = 0; first < firstRadix; ++first) {
            const Complex* run = input + k + first * firstStepInK;
            for (std::int32_t last = 0; last < lastRadix; ++last)
                out[first + last * lastStepInI] = run[last];
        }
        if (block + 1 == blockCount)
            break;
        int j = 2;
        k += plan.remain[2];
        ++count[2];
        while (count[j] >= plan.factor[j]) {
            count[j] = 0;
            k = k - plan.remain[j - 1] + plan.remain[j + 1];
            ++j;
            ++count[j];
        }
    }
}

bool overlaps(const Complex* a, const Complex* b, std::int32_t n) {
    const std::less<const Complex*> before;
    return before(a, b + n) && before(b, a + n);
}

} // namespace

void digitReversalFft(const Complex* input, Complex* output, std::int32_t n, const PassPlan& plan) {
    if (overlaps(input, output, n)) {
        std::vector<Complex> copy(static_cast<std::size_t>(n));
        digitReverseCopy(input, copy.data(), n, plan);
        std::copy(copy.begin(), copy.end(), output);
    } else {
        digitReverseCopy(input, output, n, plan);
    }

    for (int i = 1; i <= plan.count; ++i)
        radixPass(output, plan.sofar[i], plan.factor[i], plan.remain[i]);
}

} // namespace kolmarin::detail
