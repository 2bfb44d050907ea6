#include "model/acoustics/subwoofer_problem.h"

#include "model/acoustics/bass_setup.h"
#include "model/acoustics/represented_path.h"
#include "model/acoustics/seat_spectra.h"
#include "model/acoustics/source_mix.h"
#include "model/errors.h"

#include <algorithm>
#include <cmath>

namespace kolmarin {

namespace {

// Candidates calculated together: each batch holds its whole spectra (1 201 points per
// seat) only until the band is taken out, so the batch, not the list, sets the peak.
constexpr std::size_t kCandidateBatch = 16;

// Every `kept`th of `list`, spread evenly over it from its first, in its order.
std::vector<Point3> evenlyThinned(const std::vector<Point3>& list, std::size_t kept) {
    std::vector<Point3> out;
    for (std::size_t i = 0; i < kept; ++i)
        out.push_back(list[i * list.size() / kept]);
    return out;
}

} // namespace

std::size_t mostSubwooferCandidates(int seats, Band band) {
    const auto perCandidate = static_cast<std::size_t>(std::max(1, seats) * bandPoints(band));
    return std::clamp<std::size_t>(kMostSpectrumValues / perCandidate, kMostSubwoofers, kMostCandidates);
}

namespace {

// The candidates whose spectra are worth calculating, noting in `out` how many were left
// out and why. A candidate from which some seat lies beyond what the response can follow
// would rank by artefacts; it is left out before its spectra cost anything. Too many are
// thinned evenly to what the memory for spectra holds.
std::vector<Point3> candidatesToCalculate(const Scene& scene, const std::vector<Point3>& candidates,
                                          SubwooferSpectra& out) {
    std::vector<Point3> reachable;
    for (const Point3& candidate : candidates) {
        bool within = true;
        for (const Point3& seat : scene.seats)
            within = within && withinRepresentedPath(candidate, seat, scene.delays);
        if (within)
            reachable.push_back(candidate);
    }
    out.outOfReach = static_cast<int>(candidates.size() - reachable.size());
    if (const std::size_t most = mostSubwooferCandidates(out.seats, out.band); reachable.size() > most) {
        out.thinnedFrom = static_cast<int>(reachable.size());
        reachable = evenlyThinned(reachable, most);
    }
    return reachable;
}

// The main loudspeakers' sum at each seat through their drives: the part of the sound no
// subwoofer setting changes.
void addMainLoudspeakers(SubwooferSpectra& out, const Scene& scene, const std::vector<int>& mains,
                         const SeatSpectra& spectra) {
    const int points = bandPoints(out.band);
    const int first = 2 * out.band.low;
    for (std::size_t s = 0; s < mains.size(); ++s) {
        if (!spectra.failure[s].empty())
            throw UserError(spectra.failure[s]);
        const Source& source = scene.sources[static_cast<std::size_t>(mains[s])];
        const SourceDrive drive{source.levelDb, source.delayMs, source.reversed,
                                branchOf(source, out.crossover)};
        for (int p = 0; p < points; ++p) {
            const Complex gain = sourceGain(drive, binFrequency(first + p, spectra.delays), out.crossover);
            for (int seat = 0; seat < out.seats; ++seat) {
                Complex& z = out.fixed[static_cast<std::size_t>(p * out.seats + seat)];
                z = z + gain * spectra.spectra[static_cast<std::size_t>(seat)][s]
                                              [static_cast<std::size_t>(first + p)];
            }
        }
    }
}

// The main loudspeakers' mean level at the seats over the octave above the crossover, as
// driven (through their high-pass when bass-managed).
double mainLevel(const Scene& scene, const std::vector<int>& mains, const SeatSpectra& spectra,
                 double crossover) {
    double sum = 0.0;
    int count = 0;
    const auto elements = static_cast<int>(spectra.spectra.front().front().size());
    for (int e = 0; e < elements; ++e) {
        const double f = binFrequency(e, spectra.delays);
        if (f < crossover || f > 2.0 * crossover)
            continue;
        for (std::size_t seat = 0; seat < spectra.spectra.size(); ++seat) {
            Complex z{0.0, 0.0};
            for (std::size_t s = 0; s < mains.size(); ++s) {
                const Source& source = scene.sources[static_cast<std::size_t>(mains[s])];
                const SourceDrive drive{source.levelDb, source.delayMs, source.reversed,
                                        branchOf(source, crossover)};
                z = z +
                    sourceGain(drive, f, crossover) * spectra.spectra[seat][s][static_cast<std::size_t>(e)];
            }
            const double power = z.re * z.re + z.im * z.im;
            sum += power > 0.0 ? 10.0 * std::log10(power) : -300.0;
            ++count;
        }
    }
    return count > 0 ? sum / count : 0.0;
}

// Each candidate of the batch with its spectrum at every seat over the band; one a seat
// cannot hear (it stands on the seat) is left out.
void addCandidates(SubwooferSpectra& out, const std::vector<Point3>& batch, const SeatSpectra& spectra) {
    const int points = bandPoints(out.band);
    const int first = 2 * out.band.low;
    for (std::size_t c = 0; c < batch.size(); ++c) {
        if (!spectra.failure[c].empty())
            continue;
        std::vector<Complex> own(static_cast<std::size_t>(points * out.seats));
        for (int p = 0; p < points; ++p)
            for (int seat = 0; seat < out.seats; ++seat)
                own[static_cast<std::size_t>(p * out.seats + seat)] =
                    spectra.spectra[static_cast<std::size_t>(seat)][c][static_cast<std::size_t>(first + p)];
        out.positions.push_back(batch[c]);
        out.candidates.push_back(std::move(own));
    }
}

} // namespace

SubwooferSpectra prepareSubwooferSpectra(const Scene& scene, int crossover, bool subwoofersOnly, Band band,
                                         const std::vector<Point3>& candidates,
                                         const std::function<void(double)>& progress, std::stop_token stop) {
    SubwooferSpectra out;
    out.band = band;
    out.seats = static_cast<int>(scene.seats.size());
    out.crossover = crossover;
    out.delays = scene.delays;
    const int points = bandPoints(band);
    const std::vector<Point3> reachable = candidatesToCalculate(scene, candidates, out);

    // The main loudspeakers first, then the candidates a batch at a time; the fraction done
    // counts sources.
    std::vector<int> mains;
    std::vector<Point3> loudspeakers;
    for (std::size_t s = 0; s < scene.sources.size(); ++s)
        if (!scene.sources[s].subwoofer) {
            mains.push_back(static_cast<int>(s));
            loudspeakers.push_back(scene.sources[s].position);
        }
    const double total = static_cast<double>(loudspeakers.size() + reachable.size());
    double before = 0.0;
    const auto spectraOf = [&](const std::vector<Point3>& sources) {
        SeatSpectra s = computeSeatSpectra(
            scene, sources, scene.seats,
            [&](double f) {
                if (progress)
                    progress((before + f * static_cast<double>(sources.size())) / total);
            },
            stop);
        before += static_cast<double>(sources.size());
        return s;
    };
    out.fixed.assign(static_cast<std::size_t>(points * out.seats), Complex{0.0, 0.0});
    if (!loudspeakers.empty() && (!subwoofersOnly || crossover > 0)) {
        const SeatSpectra spectra = spectraOf(loudspeakers);
        if (spectra.cancelled)
            return out;
        if (!subwoofersOnly)
            addMainLoudspeakers(out, scene, mains, spectra);
        // A loudspeaker on a seat has no level there: then no window.
        if (crossover > 0 && std::all_of(spectra.failure.begin(), spectra.failure.end(),
                                         [](const std::string& f) { return f.empty(); }))
            out.mainLevelDb = mainLevel(scene, mains, spectra, crossover);
    } else {
        before = static_cast<double>(loudspeakers.size());
    }
    for (std::size_t from = 0; from < reachable.size(); from += kCandidateBatch) {
        const std::vector<Point3> batch(reachable.begin() + static_cast<std::ptrdiff_t>(from),
                                        reachable.begin() + static_cast<std::ptrdiff_t>(std::min(
                                                                reachable.size(), from + kCandidateBatch)));
        const SeatSpectra spectra = spectraOf(batch);
        if (spectra.cancelled) {
            out.positions.clear();
            out.candidates.clear();
            return out;
        }
        addCandidates(out, batch, spectra);
    }
    return out;
}

double preparingShare(const Scene& scene, std::size_t candidates, Band band,
                      const OptimiserOptions& options) {
    const int seats = std::max<int>(1, static_cast<int>(scene.seats.size()));
    const std::size_t calculated = std::min(candidates, mostSubwooferCandidates(seats, band));
    const double terms = std::pow(scene.reflectionCount + 1.0, 3.0);
    const auto mains = static_cast<std::size_t>(std::count_if(scene.sources.begin(), scene.sources.end(),
                                                              [](const Source& s) { return !s.subwoofer; }));
    const double preparing = kImageTermCost * static_cast<double>(mains + calculated) * seats * terms;
    const double searching =
        plannedEvaluations(static_cast<int>(calculated), options) * bandPoints(band) * seats;
    return preparing / (preparing + searching);
}

OptimiserProgress OptimiserRunClock::preparing(double fraction) const {
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    const double whole = share_ * fraction;
    return {whole, whole > 0.0 ? elapsed * (1.0 - whole) / whole : 0.0};
}

OptimiserProgress OptimiserRunClock::searching(OptimiserProgress search) const {
    return {share_ + (1.0 - share_) * search.fraction, search.secondsLeft};
}

std::string tooFewSubwooferCandidates(const SubwooferSpectra& spectra, int count) {
    const std::string needed = "残る候補が " + std::to_string(count) + " 個に足りません";
    if (spectra.outOfReach > 0)
        return "候補の位置 " + std::to_string(spectra.outOfReach) + " 個は、" + kBeyondRepresentedPath +
               "。" + needed;
    return "座席に重ならない候補の位置が " + std::to_string(count) + " 個に足りません";
}

std::string thinnedSubwooferCandidates(const SubwooferSpectra& spectra) {
    if (spectra.thinnedFrom == 0)
        return {};
    return "候補の位置が多いため、" + std::to_string(spectra.thinnedFrom) + " 個から等間隔に " +
           std::to_string(spectra.positions.size()) + " 個を選んで調べました";
}

} // namespace kolmarin
