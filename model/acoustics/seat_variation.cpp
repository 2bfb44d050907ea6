#include "model/acoustics/seat_variation.h"

namespace kolmarin {

SeatFigures seatFigures(const std::vector<std::vector<double>>& levels) {
    SeatFigures f;
    const int seats = static_cast<int>(levels.size());
    const int points = static_cast<int>(levels.front().size());
    double meanSum = 0.0;
    for (const std::vector<double>& seat : levels) {
        f.spread.push_back(populationStandardDeviation(seat.data(), points));
        double sum = 0.0;
        for (double v : seat)
            sum += v;
        f.mean.push_back(sum / points);
        meanSum += f.mean.back();
    }
    f.meanLevel = meanSum / seats;
    std::vector<double> across(static_cast<std::size_t>(seats));
    double deviations = 0.0;
    for (int p = 0; p < points; ++p) {
        for (int s = 0; s < seats; ++s)
            across[static_cast<std::size_t>(s)] =
                levels[static_cast<std::size_t>(s)][static_cast<std::size_t>(p)];
        deviations += populationStandardDeviation(across.data(), seats);
    }
    f.variation = deviations / points;
    return f;
}

} // namespace kolmarin
