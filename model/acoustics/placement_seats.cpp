#include "model/acoustics/placement_seats.h"

#include "model/acoustics/represented_path.h"
#include "model/acoustics/response.h"
#include "model/acoustics/seat_variation.h"

#include <vector>

namespace kolmarin {

std::optional<BassFigures> allSeatsFigures(const Scene& scene, Band band) {
    const Scene banded = sceneForBand(scene, band);
    const auto first = static_cast<std::ptrdiff_t>(2 * band.low);
    std::vector<std::vector<double>> levels;
    for (std::size_t seat = 0; seat < scene.seats.size(); ++seat) {
        for (const Source& source : scene.sources)
            if (!withinRepresentedPath(source.position, scene.seats[seat], scene.delays))
                return std::nullopt;
        ResponseCurves curves;
        try {
            calculateTotalInCaller(banded, curves, static_cast<int>(seat));
        } catch (const UserError&) {
            return std::nullopt;
        }
        levels.emplace_back(curves.total.begin() + first, curves.total.begin() + first + bandPoints(band));
    }
    OptimiserGoal goal;
    goal.objective = BassObjective::Combined;
    goal.variationWeight = goal.targetWeight = 1.0;
    goal.seat1Weight = 0.0;
    goal.target = TargetCurve{};
    return bassFigures(levels, std::vector<double>(static_cast<std::size_t>(bandPoints(band)), 0.0), goal,
                       std::nullopt);
}

} // namespace kolmarin
