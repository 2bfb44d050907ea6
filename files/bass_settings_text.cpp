#include "files/bass_settings_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kolmarin {

namespace {

constexpr double kMetresPerMs = 0.344;

QByteArray formatted(const char* format, auto... values) {
    char text[160];
    const int n = std::snprintf(text, sizeof text, format, values...);
    // A number too long for the line is cut rather than read past the buffer.
    return QByteArray(text, std::clamp(n, 0, static_cast<int>(sizeof text) - 1));
}

const char* polarityOf(const SubwooferSignal& s) {
    return s.reversed ? "-" : "+";
}

// A level or gain rounded to the step it is written in, without a "-0.0".
double written(double value, double step) {
    const double rounded = std::nearbyint(value / step) * step;
    return rounded == 0.0 ? 0.0 : rounded;
}

} // namespace

QByteArray filterLine(int number, const PeakingFilter& filter) {
    return formatted("Filter %d: ON PK Fc %.1f Hz Gain %.1f dB Q %.2f", number, filter.frequencyHz,
                     written(filter.gainDb, 0.1), filter.q);
}

QByteArray bassSettingsText(const std::vector<SubwooferSignal>& subwoofers,
                            const std::vector<PeakingFilter>& eq) {
    QByteArray out = "Kolmarin2 subwoofer settings\n";
    for (std::size_t i = 0; i < subwoofers.size(); ++i) {
        const SubwooferSignal& s = subwoofers[i];
        out += formatted("SW%d: Level %.1f dB Delay %.2f ms (%.3f m) Polarity %s\n", static_cast<int>(i) + 1,
                         written(s.levelDb, 0.1), s.delayMs, s.delayMs * kMetresPerMs, polarityOf(s));
    }
    if (!eq.empty())
        out +=
            formatted("EQ shared by the subwoofers, peaking filters at %.0f Hz sampling:\n", kEqSampleRate);
    for (std::size_t i = 0; i < eq.size(); ++i)
        out += filterLine(static_cast<int>(i) + 1, eq[i]) + '\n';
    return out;
}

QByteArray bassSettingsCsv(const std::vector<SubwooferSignal>& subwoofers,
                           const std::vector<PeakingFilter>& eq) {
    QByteArray out = "kind,number,level_db,delay_ms,distance_m,polarity,fc_hz,gain_db,q\n";
    for (std::size_t i = 0; i < subwoofers.size(); ++i) {
        const SubwooferSignal& s = subwoofers[i];
        out += formatted("subwoofer,%d,%.2f,%.3f,%.4f,%s,,,\n", static_cast<int>(i) + 1,
                         written(s.levelDb, 0.01), s.delayMs, s.delayMs * kMetresPerMs, polarityOf(s));
    }
    for (std::size_t i = 0; i < eq.size(); ++i)
        out += formatted("filter,%d,,,,,%.2f,%.2f,%.3f\n", static_cast<int>(i) + 1, eq[i].frequencyHz,
                         written(eq[i].gainDb, 0.01), eq[i].q);
    return out;
}

} // namespace kolmarin
