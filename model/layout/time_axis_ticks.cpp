#include "model/layout/time_axis_ticks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kolmarin {

namespace {

std::string label(double ms, int decimals) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f ms", decimals, ms);
    return text;
}

} // namespace

std::vector<TimeTick> timeAxisTicks(double firstMs, double lastMs, int most) {
    const double span = lastMs - firstMs;
    if (!(span > 0) || most < 2)
        return {{firstMs, label(firstMs, firstMs == std::round(firstMs) ? 0 : 1)}};
    // Start a decade below the span's share per tick and walk up 1, 2, 5, 10, 20, ...
    for (int power = static_cast<int>(std::floor(std::log10(span / most))) - 1;; ++power)
        for (const double mantissa : {1.0, 2.0, 5.0}) {
            const double step = mantissa * std::pow(10.0, power);
            // A hair of tolerance, so 300 ms in steps of 0.1 ms still ends on 300.
            const double tolerance = step * 1e-9;
            const double first = std::ceil((firstMs - tolerance) / step);
            const double last = std::floor((lastMs + tolerance) / step);
            if (last - first + 1 > most)
                continue;
            std::vector<TimeTick> ticks;
            for (double k = first; k <= last; ++k) {
                const double ms = k == 0 ? 0.0 : k * step; // never "-0 ms"
                ticks.push_back({ms, label(ms, std::max(0, -power))});
            }
            return ticks;
        }
}

} // namespace kolmarin
