#include "model/acoustics/subwoofer_problem.h"

#include "model/acoustics/bass_setup.h"
#include "model/acoustics/represented_path.h"
#include "model/acoustics/seat_spectra.h"
#include "model/acoustics/source_mix.h"
#include "model/errors.h"

namespace kolmarin {

SubwooferSpectra prepareSubwooferSpectra(const Scene& scene, int crossover, bool subwoofersOnly, Band band,
                                         const std::vector<Point3>& candidates,
                                         const std::function<void(double)>& progress, std::stop_token stop) {
    SubwooferSpectra out;
    out.band = band;
    out.seats = static_cast<int>(scene.seats.size());
    out.crossover = crossover;
    out.delays = scene.delays;
    const int points = bandPoints(band);
    const int first = 2 * band.low;
    std::vector<Point3> sources;
    for (int s = 0; s < kLoudspeakerCount; ++s)
        sources.push_back(scene.sources.at(static_cast<std::size_t>(s)).position);
    // A candidate from which some seat lies beyond what the response can follow would
    // rank by artefacts; it is left out before its spectra cost anything.
    std::vector<Point3> reachable;
    for (const Point3& candidate : candidates) {
        bool within = true;
        for (const Point3& seat : scene.seats)
            within = within && withinRepresentedPath(candidate, seat);
        if (within)
            reachable.push_back(candidate);
    }
    sources.insert(sources.end(), reachable.begin(), reachable.end());
    const SeatSpectra spectra = computeSeatSpectra(scene, sources, scene.seats, progress, stop);
    if (spectra.cancelled)
        return out;
    out.fixed.assign(static_cast<std::size_t>(points * out.seats), Complex{0.0, 0.0});
    if (!subwoofersOnly) {
        for (int s = 0; s < kLoudspeakerCount; ++s) {
            if (!spectra.failure[static_cast<std::size_t>(s)].empty())
                throw UserError(spectra.failure[static_cast<std::size_t>(s)]);
            const Source& source = scene.sources[static_cast<std::size_t>(s)];
            const SourceDrive drive{source.levelDb, source.delayMs, source.reversed,
                                    crossover == 0 ? CrossoverBranch::Full : CrossoverBranch::HighPass};
            for (int p = 0; p < points; ++p) {
                const Complex gain = sourceGain(drive, binFrequency(first + p, spectra.delays), crossover);
                for (int seat = 0; seat < out.seats; ++seat) {
                    Complex& z = out.fixed[static_cast<std::size_t>(p * out.seats + seat)];
                    z = z + gain * spectra.spectra[static_cast<std::size_t>(seat)][static_cast<std::size_t>(
                                       s)][static_cast<std::size_t>(first + p)];
                }
            }
        }
    }
    for (std::size_t c = 0; c < reachable.size(); ++c) {
        const std::size_t s = kLoudspeakerCount + c;
        if (!spectra.failure[s].empty())
            continue;
        std::vector<Complex> own(static_cast<std::size_t>(points * out.seats));
        for (int p = 0; p < points; ++p)
            for (int seat = 0; seat < out.seats; ++seat)
                own[static_cast<std::size_t>(p * out.seats + seat)] =
                    spectra.spectra[static_cast<std::size_t>(seat)][s][static_cast<std::size_t>(first + p)];
        out.positions.push_back(reachable[c]);
        out.candidates.push_back(std::move(own));
    }
    return out;
}

} // namespace kolmarin
