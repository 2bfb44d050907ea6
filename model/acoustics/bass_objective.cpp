#include "model/acoustics/bass_objective.h"

#include "model/acoustics/seat_variation.h"

#include <cmath>

namespace kolmarin {

double bassScore(const OptimiserGoal& goal, double variation, double seat1Spread, double targetDeviation,
                 double meanLevel, double outsideWindowDb) {
    double s = goal.seat1Weight * seat1Spread;
    if (goal.objective == BassObjective::Combined) {
        s += goal.variationWeight * variation + goal.targetWeight * targetDeviation;
        if (outsideWindowDb > 0.0)
            s += kOutsideScore + outsideWindowDb;
    } else {
        s += variation;
    }
    if (goal.leastMeanDb && !(meanLevel >= *goal.leastMeanDb))
        s += kOutsideScore + (*goal.leastMeanDb - meanLevel);
    return s;
}

BassFigures bassFigures(const std::vector<std::vector<double>>& levels, const std::vector<double>& target,
                        const OptimiserGoal& goal, std::optional<double> targetLevel) {
    const SeatFigures seats = seatFigures(levels);
    const std::size_t points = target.size();
    std::vector<double> away(points);
    double awaySum = 0.0;
    for (std::size_t p = 0; p < points; ++p) {
        double sum = 0.0;
        for (const std::vector<double>& seat : levels)
            sum += seat[p];
        away[p] = sum / static_cast<double>(levels.size()) - target[p];
        awaySum += away[p];
    }
    BassFigures f;
    f.variation = seats.variation;
    f.seat1Spread = seats.spread.front();
    f.meanLevel = seats.meanLevel;
    f.seatSpread = seats.spread;
    f.seatMean = seats.mean;
    f.targetDeviation = populationStandardDeviation(away.data(), static_cast<int>(points));
    if (targetLevel && goal.objective == BassObjective::Combined)
        f.levelOffset = awaySum / static_cast<double>(points) - *targetLevel;
    f.score = bassScore(goal, f.variation, f.seat1Spread, f.targetDeviation, f.meanLevel,
                        f.levelOffset ? outsideWindow(*f.levelOffset) : 0.0);
    return f;
}

} // namespace kolmarin
