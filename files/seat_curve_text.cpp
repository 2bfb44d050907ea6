#include "files/seat_curve_text.h"

#include "files/curve_text.h"
#include "model/acoustics/bass_setup.h"
#include "model/acoustics/seat_spectra.h"
#include "model/acoustics/source_mix.h"
#include "model/errors.h"

#include <cmath>
#include <numbers>

namespace kolmarin {

std::vector<SeatCurveFile> sourceCurveTexts(const Scene& scene, int crossover,
                                            const std::vector<std::string>& labels) {
    std::vector<Point3> positions;
    for (const Source& s : scene.sources)
        positions.push_back(s.position);
    const SeatSpectra spectra = computeSeatSpectra(scene, positions, scene.seats);
    for (const std::string& failure : spectra.failure)
        if (!failure.empty())
            throw UserError(failure);
    const ElementRange range = storedElements(scene.startFrequency, scene.endFrequency);
    std::vector<SeatCurveFile> files;
    for (std::size_t s = 0; s < scene.sources.size(); ++s) {
        const Source& source = scene.sources[s];
        const QString name = s < labels.size() ? QString::fromStdString(labels[s])
                             : s < 2           ? QStringLiteral("SP%1").arg(s + 1)
                                               : QStringLiteral("SW%1").arg(s - 1);
        const SourceDrive drive{source.levelDb, source.delayMs, source.reversed, branchOf(source, crossover)};
        for (std::size_t seat = 0; seat < scene.seats.size(); ++seat) {
            std::vector<CurvePoint> points;
            for (int j = range.first; j <= range.last; ++j) {
                const Complex z = sourceGain(drive, binFrequency(j, spectra.delays), crossover) *
                                  spectra.spectra[seat][s][static_cast<std::size_t>(j)];
                points.push_back({j / 2.0, mixLevel(z.re * z.re + z.im * z.im),
                                  std::atan2(z.im, z.re) * 180.0 / std::numbers::pi});
            }
            const QByteArray heading =
                QStringLiteral("Kolmarin2: %1 alone at seat %2, simulated").arg(name).arg(seat + 1).toUtf8();
            files.push_back(
                {QStringLiteral("%1_seat%2.txt").arg(name).arg(seat + 1),
                 curveTextBytes(points, simulatedCurveHeading(heading, scene.delays,
                                                              "Freq(Hz) SPL(dB) Phase(degrees)"))});
        }
    }
    return files;
}

} // namespace kolmarin
