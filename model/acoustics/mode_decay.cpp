#include "model/acoustics/mode_decay.h"

#include "model/text/number_text.h"

#include <array>
#include <cmath>

namespace kolmarin {

namespace {

constexpr double kSpeedOfSound = 344.0; // m/s, as in the eigenmode frequencies

} // namespace

std::optional<double> modeDecayTime(const Scene& scene, int nx, int ny, int nz) {
    struct Axis {
        double index, length, reflections;
    };
    const std::array<Axis, 3> axes{
        {{double(nx), std::fabs(scene.width), scene.reflRight * scene.reflLeft},
         {double(ny), std::fabs(scene.depth), scene.reflFront * scene.reflBack},
         {double(nz), std::fabs(scene.height), scene.reflFloor * scene.reflCeiling}}};
    double squares = 0;
    for (const Axis& a : axes)
        squares += (a.index / a.length) * (a.index / a.length);
    const double hz = kSpeedOfSound / 2 * std::sqrt(squares);
    if (!(hz > 0))
        return std::nullopt;
    double dbPerSecond = 0;
    for (const Axis& a : axes) {
        if (a.index == 0)
            continue; // the mode's waves run parallel to these walls
        const double roundTrips = kSpeedOfSound * kSpeedOfSound * a.index / (4 * a.length * a.length * hz);
        const double kept = std::fabs(a.reflections);
        if (kept == 0)
            return 0.0;
        dbPerSecond -= roundTrips * 20 * std::log10(kept);
    }
    if (!(dbPerSecond > 0))
        return std::nullopt;
    return 60.0 / dbPerSecond;
}

std::vector<std::string> modeDecayColumn(const ModeTable& table, const Scene& scene, char decimalSeparator) {
    std::vector<std::string> column{"T60(秒)"};
    for (std::size_t r = 1; r < table.rows.size(); ++r) {
        const ModeRow& row = table.rows[r];
        const std::optional<double> t60 =
            modeDecayTime(scene, parseWhole(row[1]), parseWhole(row[2]), parseWhole(row[3]));
        column.push_back(t60 ? formatFixed(*t60, 0, 2, decimalSeparator) : "-");
    }
    return column;
}

} // namespace kolmarin
