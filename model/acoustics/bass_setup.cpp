#include "model/acoustics/bass_setup.h"

#include "model/acoustics/crossover.h"
#include "model/acoustics/decay.h"
#include "model/acoustics/overflow_detail.h"
#include "model/acoustics/seat_spectra.h"
#include "model/acoustics/source_mix.h"
#include "model/acoustics/subwoofer_optimiser.h"
#include "model/errors.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace kolmarin {

namespace {

std::vector<Point3> positionsOf(const Scene& scene) {
    std::vector<Point3> out;
    for (const Source& s : scene.sources)
        out.push_back(s.position);
    return out;
}

// The sources that play, and how each is driven: through its branch of the crossover
// (branchOf), the main loudspeakers left out for the subwoofers alone.
void chosenSources(const Scene& scene, int crossover, bool subwoofersOnly, std::vector<int>& sources,
                   std::vector<SourceDrive>& drives) {
    for (int s = 0; s < static_cast<int>(scene.sources.size()); ++s) {
        const Source& source = scene.sources[static_cast<std::size_t>(s)];
        if (!source.subwoofer && subwoofersOnly)
            continue;
        sources.push_back(s);
        drives.push_back({source.levelDb, source.delayMs, source.reversed, branchOf(source, crossover),
                          source.subwoofer ? &scene.subwooferEq : nullptr});
    }
    if (sources.empty())
        throw UserError("サブウーファーがありません");
}

// Every source's spectrum at every seat, or the first failure's message.
SeatSpectra spectraOf(const Scene& scene) {
    SeatSpectra spectra = computeSeatSpectra(scene, positionsOf(scene), scene.seats);
    for (const std::string& failure : spectra.failure)
        if (!failure.empty())
            throw UserError(failure);
    return spectra;
}

} // namespace

std::string setupProblem(const BassSetup& setup) {
    char text[200];
    if (std::string problem = loudspeakerListProblem(setup.loudspeakers); !problem.empty())
        return problem;
    const int sources = static_cast<int>(setup.texts.sources.size());
    if (sources != setup.loudspeakerCount() + setup.subwooferCount())
        return "音源の数がメインのスピーカーとサブウーファーの数に合いません";
    if (setup.subwooferCount() > kMostSubwoofers)
        return "サブウーファーは 4 台までです";
    if (setup.texts.seats.empty() || static_cast<int>(setup.texts.seats.size()) > 1 + kMostExtraSeats)
        return "座席は聴取位置と、ほかに 16 席までです";
    for (int i = 0; i < setup.subwooferCount(); ++i) {
        const SubwooferSignal& s = setup.subwoofers[static_cast<std::size_t>(i)];
        if (!(s.levelDb >= kLowestSubwooferLevel && s.levelDb <= kHighestSubwooferLevel)) {
            std::snprintf(text, sizeof text, "SW%d のレベルは -20 から +10 dB までです", i + 1);
            return text;
        }
        if (!(s.delayMs >= 0.0 && s.delayMs <= kLongestSubwooferDelay)) {
            std::snprintf(text, sizeof text, "SW%d の遅れは 0 から 30 ms までです", i + 1);
            return text;
        }
    }
    if (setup.crossover != 0 && (setup.crossover < kLowestCrossover || setup.crossover > kHighestCrossover))
        return "クロスオーバー周波数は 40 から 160 Hz までです";
    return eqProblem(setup.subwooferEq, kSetupEqLimits);
}

BassSetup withSubwoofersOf(BassSetup setup, const BassSetup& from) {
    const std::size_t subwoofers = std::min(from.subwoofers.size(), from.texts.sources.size());
    setup.texts.sources.resize(std::min(setup.loudspeakers.size(), setup.texts.sources.size()));
    setup.texts.sources.insert(setup.texts.sources.end(),
                               from.texts.sources.end() - static_cast<std::ptrdiff_t>(subwoofers),
                               from.texts.sources.end());
    setup.subwoofers = from.subwoofers;
    setup.subwooferEq = from.subwooferEq;
    return setup;
}

BassSetup withLoudspeaker(BassSetup setup, Loudspeaker speaker, const PositionTexts& position) {
    auto at = setup.loudspeakers.begin();
    while (at != setup.loudspeakers.end() && at->role < speaker.role)
        ++at;
    const auto index = at - setup.loudspeakers.begin();
    if (index > static_cast<std::ptrdiff_t>(setup.texts.sources.size()))
        throw UserError("音源の数がメインのスピーカーとサブウーファーの数に合いません");
    const auto source = setup.texts.sources.begin() + index;
    if (at != setup.loudspeakers.end() && at->role == speaker.role) {
        *at = speaker;
        *source = position;
    } else {
        setup.loudspeakers.insert(at, speaker);
        setup.texts.sources.insert(source, position);
    }
    return setup;
}

std::vector<std::string> sourceLabels(const BassSetup& setup) {
    std::vector<std::string> labels;
    for (const Loudspeaker& speaker : setup.loudspeakers)
        labels.push_back(loudspeakerLabel(speaker.role));
    for (int i = 1; i <= setup.subwooferCount(); ++i)
        labels.push_back("SW" + std::to_string(i));
    return labels;
}

CrossoverBranch branchOf(const Source& source, int crossover) {
    return crossover == 0     ? CrossoverBranch::Full
           : source.subwoofer ? CrossoverBranch::LowPass
           : source.large     ? CrossoverBranch::Full
                              : CrossoverBranch::HighPass;
}

Scene setupScene(const BassSetup& setup, char decimalSeparator) {
    if (const std::string problem = setupProblem(setup); !problem.empty())
        throw UserError(problem);
    Scene scene = readCalculationScene(setup.texts, decimalSeparator, nullptr);
    for (std::size_t s = 0; s < setup.loudspeakers.size(); ++s)
        scene.sources[s].large = setup.loudspeakers[s].large;
    for (std::size_t i = 0; i < setup.subwoofers.size(); ++i) {
        Source& source = scene.sources[setup.loudspeakers.size() + i];
        const SubwooferSignal& signal = setup.subwoofers[i];
        source.subwoofer = true;
        source.levelDb = signal.levelDb;
        source.delayMs = signal.delayMs;
        source.reversed = signal.reversed;
    }
    if (setup.crossover != 0)
        for (Source& source : scene.sources) {
            source.branch = branchOf(source, setup.crossover);
            source.crossoverHz = setup.crossover;
        }
    if (!setup.subwoofers.empty())
        scene.subwooferEq = setup.subwooferEq;
    return scene;
}

namespace {

// The sources' spectra at every seat, computed at the first need and kept for the next.
class SharedSpectra {
  public:
    explicit SharedSpectra(const Scene& scene) : scene_(scene) {}
    const SeatSpectra& get() {
        if (!spectra_)
            spectra_ = spectraOf(scene_);
        return *spectra_;
    }

  private:
    const Scene& scene_;
    std::optional<SeatSpectra> spectra_;
};

// The Totals of the seats from `firstSeat` on.
std::vector<Curve> seatTotalsOf(const Scene& scene, int crossover, bool subwoofersOnly, ElementRange range,
                                SharedSpectra& shared, std::size_t firstSeat = 0) {
    std::vector<Curve> totals(scene.seats.size() - std::min(firstSeat, scene.seats.size()), Curve{});
    if (range.first > range.last)
        return totals;
    if (crossover == 0 && !subwoofersOnly && scene.subwooferEq.empty()) {
        for (std::size_t seat = firstSeat; seat < scene.seats.size(); ++seat) {
            ResponseCurves curves;
            Scene ranged = scene;
            ranged.startFrequency = range.first / 2;
            ranged.endFrequency = range.last / 2;
            calculateResponse(ranged, curves, static_cast<int>(seat));
            totals[seat - firstSeat] = curves.total;
        }
        return totals;
    }
    std::vector<int> sources;
    std::vector<SourceDrive> drives;
    chosenSources(scene, crossover, subwoofersOnly, sources, drives);
    const SeatSpectra& spectra = shared.get();
    for (std::size_t seat = firstSeat; seat < scene.seats.size(); ++seat) {
        std::vector<const std::vector<Complex>*> chosen;
        for (int s : sources)
            chosen.push_back(&spectra.spectra[seat][static_cast<std::size_t>(s)]);
        mixLevels(chosen, drives, crossover, range, totals[seat - firstSeat], spectra.delays);
    }
    return totals;
}

SeatFigures figuresOf(const Scene& scene, int crossover, bool subwoofersOnly, Band band,
                      SharedSpectra& shared) {
    const ElementRange range{2 * band.low, 2 * band.high};
    std::vector<std::vector<double>> levels;
    for (const Curve& total : seatTotalsOf(scene, crossover, subwoofersOnly, range, shared))
        levels.emplace_back(total.begin() + range.first, total.begin() + range.last + 1);
    return seatFigures(levels);
}

ResponseCurves seatCurvesOf(const Scene& scene, int crossover, bool subwoofersOnly, int seat) {
    const ElementRange range = storedElements(scene.startFrequency, scene.endFrequency);
    ResponseCurves curves;
    if (crossover == 0 && !subwoofersOnly && scene.subwooferEq.empty()) {
        calculateResponse(scene, curves, seat);
        return curves;
    }
    Scene one = scene;
    one.seats = {scene.seats.at(static_cast<std::size_t>(seat))};
    const SeatSpectra spectra = spectraOf(one);
    // Every source's own curve through its branch, also those the Total leaves out.
    std::vector<int> all;
    std::vector<SourceDrive> allDrives;
    chosenSources(scene, crossover, false, all, allDrives);
    curves.sources.assign(scene.sources.size(), Curve{});
    for (std::size_t s = 0; s < all.size(); ++s)
        mixLevels({&spectra.spectra[0][s]}, {allDrives[s]}, crossover, range, curves.sources[s],
                  spectra.delays);
    std::vector<int> sources;
    std::vector<SourceDrive> drives;
    chosenSources(scene, crossover, subwoofersOnly, sources, drives);
    std::vector<const std::vector<Complex>*> chosen;
    for (int s : sources)
        chosen.push_back(&spectra.spectra[0][static_cast<std::size_t>(s)]);
    mixLevels(chosen, drives, crossover, range, curves.total, spectra.delays);
    return curves;
}

} // namespace

std::vector<Curve> seatTotals(const Scene& scene, int crossover, bool subwoofersOnly, ElementRange range) {
    return explainingOverflow(scene, 0, [&] {
        SharedSpectra shared(scene);
        return seatTotalsOf(scene, crossover, subwoofersOnly, range, shared);
    });
}

ResponseCurves seatCurves(const Scene& scene, int crossover, bool subwoofersOnly, int seat) {
    return explainingOverflow(scene, seat,
                              [&] { return seatCurvesOf(scene, crossover, subwoofersOnly, seat); });
}

SeatFigures setupFigures(const Scene& scene, int crossover, bool subwoofersOnly, Band band) {
    return explainingOverflow(scene, 0, [&] {
        SharedSpectra shared(scene);
        return figuresOf(scene, crossover, subwoofersOnly, band, shared);
    });
}

OtherSeatResults otherSeatResults(const Scene& scene, int crossover, bool subwoofersOnly, ElementRange range,
                                  Band band) {
    return explainingOverflow(scene, 0, [&] {
        SharedSpectra shared(scene);
        OtherSeatResults results;
        results.totals = seatTotalsOf(scene, crossover, false, range, shared, 1);
        if (scene.seats.size() > 1)
            results.figures = figuresOf(scene, crossover, subwoofersOnly, band, shared);
        return results;
    });
}

std::vector<double> totalImpulseAt(const Scene& scene, int seat) {
    ImpulseResponses h;
    if (std::all_of(scene.sources.begin(), scene.sources.end(), [](const Source& s) { return s.plain(); })) {
        accumulateImpulseResponses(scene, h, seat);
    } else {
        ResponseCurves curves;
        calculateResponse(scene, curves, h, seat);
    }
    return impulseResponseOf(h, ImpulseCurve::Total);
}

} // namespace kolmarin
