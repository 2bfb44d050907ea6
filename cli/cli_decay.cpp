#include "cli/cli_decay.h"

#include <cstdio>

namespace kolmarin::cli {

// The C locale is in force (nothing calls setlocale), so printf writes a point.
QByteArray thirdOctaveDecayTable(const std::vector<double>& impulse) {
    QByteArray out("帯域中心 Hz  T60 秒\n");
    for (const double centre : thirdOctaveCentres()) {
        char line[64];
        const std::optional<double> t60 = thirdOctaveDecayTime(impulse, centre);
        const int n = t60 ? std::snprintf(line, sizeof line, "%11.1f  %6.2f\n", centre, *t60)
                          : std::snprintf(line, sizeof line, "%11.1f    不明\n", centre);
        out.append(line, n);
    }
    return out;
}

QByteArray waterfallCsv(const Waterfall& waterfall) {
    QByteArray out("time_ms,frequency_hz,level_db\n");
    for (std::size_t s = 0; s < waterfall.levels.size(); ++s)
        for (int c = 0; c < waterfall.columns(); ++c) {
            char line[80];
            const int n =
                std::snprintf(line, sizeof line, "%.3f,%.1f,%.6f\n", waterfall.startMs[s],
                              waterfall.frequency(c), waterfall.levels[s][static_cast<std::size_t>(c)]);
            out.append(line, n);
        }
    return out;
}

} // namespace kolmarin::cli
