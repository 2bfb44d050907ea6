#pragma once
// Ticks of the waterfall's time axis at round times: multiples of 1, 2 or 5 times a power
// of ten, so a reader sees 0, 50, 100 ms rather than the start of every fifth slice.

#include <string>
#include <vector>

namespace kolmarin {

struct TimeTick {
    double ms = 0;
    std::string label; // "50 ms", with as many decimals as the step needs
};

// The ticks from firstMs to lastMs (both included when they fall on the step), with the
// smallest round step that gives at most `most` of them. A range of no length gets one
// tick at firstMs.
std::vector<TimeTick> timeAxisTicks(double firstMs, double lastMs, int most);

} // namespace kolmarin
