#include "model/acoustics/spread.h"

#include "model/acoustics/represented_path.h"
#include "model/errors.h"

#include <cmath>

namespace kolmarin {

bool isValidBand(Band band) {
    return kLowestFrequency <= band.low && band.low < band.high && band.high <= kHighestFrequency;
}

double populationStandardDeviation(const double* values, int count) {
    double sum = 0.0;
    for (int i = 0; i < count; ++i)
        sum += values[i];
    const double mean = sum / count;
    double squares = 0.0;
    for (int i = 0; i < count; ++i)
        squares += (values[i] - mean) * (values[i] - mean);
    return std::sqrt(squares / count);
}

Scene sceneForBand(Scene scene, Band band) {
    scene.startFrequency = band.low;
    scene.endFrequency = band.high;
    return scene;
}

double totalSpread(const ResponseCurves& curves, Band band) {
    return populationStandardDeviation(curves.total.data() + 2 * band.low, 2 * (band.high - band.low) + 1);
}

std::optional<double> spreadOf(const Scene& scene, Band band) {
    // A listener beyond what the response can follow has no spread to rank.
    for (const Source& source : scene.sources)
        if (!withinRepresentedPath(source.position, scene.seats.at(0), scene.delays))
            return std::nullopt;
    ResponseCurves curves;
    try {
        calculateTotalInCaller(sceneForBand(scene, band), curves);
    } catch (const UserError&) {
        return std::nullopt;
    }
    return totalSpread(curves, band);
}

} // namespace kolmarin
