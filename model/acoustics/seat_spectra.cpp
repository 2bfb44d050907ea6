#include "model/acoustics/seat_spectra.h"

#include "model/acoustics/continuous_delays.h"
#include "model/acoustics/image_accumulation.h"
#include "model/acoustics/source_mix.h"
#include "model/acoustics/worker_pool.h"
#include "model/errors.h"

#include <atomic>
#include <mutex>

namespace kolmarin {

namespace {

// Each source's spectrum elements (see SeatSpectra::delays), calculated in this thread.
std::vector<std::vector<Complex>> spectraOfSources(const Scene& scene) {
    if (scene.delays == DelayModel::Continuous) {
        // Images are left out only where no source's spectrum could show them.
        const ElementRange all{0, kCurvePoints - 1};
        for (const bool prune : {true, false}) {
            detail::ContinuousSpectra spectra =
                detail::continuousSpectra(scene, 0, kCurvePoints, true, prune);
            bool shows = false;
            for (std::size_t s = 0; s < spectra.sources.size(); ++s)
                shows = shows || detail::leftOutMayShow(spectra.sources[s], spectra.leftOut[s], all);
            if (!shows || !prune)
                return std::move(spectra.sources);
        }
    }
    detail::FastAccumulationOptions options;
    options.inCaller = true;
    ImpulseResponses h;
    detail::accumulateImagesFast(scene, h, options);
    std::vector<std::vector<Complex>> spectra;
    for (const std::vector<double>& impulse : h.sources)
        spectra.push_back(sourceSpectrum(impulse));
    return spectra;
}

} // namespace

SeatSpectra computeSeatSpectra(const Scene& room, const std::vector<Point3>& sources,
                               const std::vector<Point3>& seats, const std::function<void(double)>& progress,
                               std::stop_token stop) {
    SeatSpectra out;
    const int sourceCount = static_cast<int>(sources.size());
    const int seatCount = static_cast<int>(seats.size());
    out.spectra.assign(static_cast<std::size_t>(seatCount),
                       std::vector<std::vector<Complex>>(static_cast<std::size_t>(sourceCount)));
    out.failure.assign(static_cast<std::size_t>(sourceCount), std::string());
    out.delays = room.delays;
    // One pass of the accumulation takes two sources at once, as it takes SP1 and SP2.
    const int pairs = (sourceCount + 1) / 2;
    const int tasks = pairs * seatCount;
    std::atomic<int> done{0};
    std::mutex mutex; // failures and progress
    WorkerPool::shared().run(tasks, [&](int task) {
        if (stop.stop_requested())
            return;
        const int seat = task / pairs;
        const int first = 2 * (task % pairs);
        const bool both = first + 1 < sourceCount;
        Scene scene = room;
        scene.seats = {seats[static_cast<std::size_t>(seat)]};
        scene.sources = {Source{sources[static_cast<std::size_t>(first)]}};
        if (both)
            scene.sources.push_back(Source{sources[static_cast<std::size_t>(first + 1)]});
        auto& row = out.spectra[static_cast<std::size_t>(seat)];
        try {
            std::vector<std::vector<Complex>> spectra = spectraOfSources(scene);
            for (std::size_t s = 0; s < scene.sources.size(); ++s)
                row[static_cast<std::size_t>(first) + s] = std::move(spectra[s]);
        } catch (const UserError&) {
            // Which of the two failed: each alone.
            for (std::size_t s = 0; s < scene.sources.size(); ++s) {
                Scene alone = scene;
                alone.sources = {scene.sources[s]};
                try {
                    row[static_cast<std::size_t>(first) + s] = std::move(spectraOfSources(alone)[0]);
                } catch (const UserError& e) {
                    const std::lock_guard lock(mutex);
                    std::string& failure = out.failure[static_cast<std::size_t>(first) + s];
                    if (failure.empty())
                        failure = e.what();
                }
            }
        }
        const int finished = done.fetch_add(1) + 1;
        if (progress) {
            const std::lock_guard lock(mutex);
            progress(static_cast<double>(finished) / tasks);
        }
    });
    out.cancelled = stop.stop_requested();
    return out;
}

std::vector<std::vector<double>> mixedSeatLevels(const SeatSpectra& spectra, const std::vector<int>& sources,
                                                 const std::vector<SourceDrive>& drives, double crossover,
                                                 Band band) {
    const ElementRange range{2 * band.low, 2 * band.high};
    std::vector<std::vector<double>> levels;
    for (const auto& seat : spectra.spectra) {
        std::vector<const std::vector<Complex>*> chosen;
        for (int s : sources)
            chosen.push_back(&seat[static_cast<std::size_t>(s)]);
        std::array<double, kCurvePoints> curve{};
        mixLevels(chosen, drives, crossover, range, curve, spectra.delays);
        levels.emplace_back(curve.begin() + range.first, curve.begin() + range.last + 1);
    }
    return levels;
}

} // namespace kolmarin
