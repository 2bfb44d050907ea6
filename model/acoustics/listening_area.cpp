#include "model/acoustics/listening_area.h"

#include "model/text/number_text.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kolmarin {

namespace {

double rounded(double metres) {
    return parseDecimal(formatPosition(metres));
}

} // namespace

std::array<Point3, 9> listeningArea(const Point3& listener) {
    std::array<Point3, 9> places;
    places.fill(listener);
    int k = 1;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            if (dx == 0 && dy == 0)
                continue;
            places[static_cast<std::size_t>(k)].x = rounded(listener.x + dx * kRobustnessMove);
            places[static_cast<std::size_t>(k)].y = rounded(listener.y + dy * kRobustnessMove);
            ++k;
        }
    return places;
}

AreaFigures areaFigures(const std::array<double, 9>& spreads) {
    AreaFigures figures{spreads[0], spreads[0], 0.0};
    double sum = 0.0;
    for (double s : spreads) {
        figures.worst = std::max(figures.worst, s);
        sum += s;
    }
    figures.area = sum / 9.0;
    // std::max drops a NaN that comes second: an unknown spread leaves the worst unknown.
    if (std::isnan(sum))
        figures.worst = figures.area = std::numeric_limits<double>::quiet_NaN();
    return figures;
}

std::optional<AreaFigures> areaFiguresOf(const Scene& scene, Band band) {
    std::array<double, 9> spreads{};
    const std::array<Point3, 9> places = listeningArea(scene.seats[0]);
    for (std::size_t i = 0; i < places.size(); ++i) {
        Scene moved = scene;
        moved.seats[0] = places[i];
        spreads[i] = spreadOf(moved, band).value_or(std::numeric_limits<double>::quiet_NaN());
        if (i == 0 && std::isnan(spreads[0]))
            return std::nullopt;
    }
    return areaFigures(spreads);
}

} // namespace kolmarin
