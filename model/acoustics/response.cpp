#include "model/acoustics/response.h"

#include "model/acoustics/continuous_delays.h"
#include "model/acoustics/image_accumulation.h"
#include "model/acoustics/overflow_detail.h"
#include "model/acoustics/response_levels.h"
#include "model/acoustics/response_transform.h"
#include "model/acoustics/source_shaping.h"
#include "model/acoustics/worker_pool.h"
#include "model/errors.h"

#include <algorithm>
#include <functional>
#include <utility>

namespace kolmarin {

namespace {

// Runs task(0..count-1) on the pool, or one after another in the caller.
void runCurves(int count, const std::function<void(int)>& task, bool inCaller) {
    if (inCaller) {
        for (int curve = 0; curve < count; ++curve)
            task(curve);
    } else {
        WorkerPool::shared().run(count, task);
    }
}

// Transforms the impulse responses and stores the levels of bins 2f+1 at elements 2f for
// the scene's range. Returns false, storing nothing and raising nothing, when the first
// faulty bin has a power at most its curve's `noisePower` (a negative bound never applies).
bool storeLevels(const Scene& scene, const ImpulseResponses& h, ResponseCurves& curves,
                 const std::vector<double>& noisePower, bool inCaller) {
    const std::size_t curveCount = h.sources.size() + 1;
    const ElementRange range = storedElements(scene.startFrequency, scene.endFrequency);
    detail::TransformBuffers& b = detail::transformBuffers(curveCount);
    std::vector<detail::LevelFault> faults(curveCount);
    const auto levels = [&](std::size_t curve) {
        faults[curve] = detail::takeLevels(b.spectra[curve], b.levels[curve], range, noisePower[curve]);
    };
    if (detail::allPlain(scene) && detail::transformsCannotOverflow(h)) {
        // The transforms and their levels are independent: they run side by side.
        runCurves(
            static_cast<int>(curveCount),
            [&](int curve) {
                detail::transformCurve(static_cast<std::size_t>(curve), h, b);
                levels(static_cast<std::size_t>(curve));
            },
            inCaller);
    } else {
        detail::transformCurvesChecked(scene, h, b);
        for (std::size_t curve = 0; curve < curveCount; ++curve)
            levels(curve);
    }
    return detail::storeUnlessFaulty(faults, b.levels, range, curves);
}

// The continuous model's curves over `range`, transformed and shaped. Images are left out
// only where they cannot show in any curve over `range`; otherwise every image counts.
std::vector<std::vector<Complex>> continuousCurves(const Scene& scene, int seat, int bins, ElementRange range,
                                                   bool inCaller, bool totalOnly) {
    detail::ContinuousCurves curves;
    for (const bool prune : {true, false}) {
        curves = detail::shapeContinuousSpectra(
            scene, detail::continuousSpectra(scene, seat, bins, inCaller, prune, totalOnly), bins, range,
            totalOnly);
        if (!curves.leftOutMayShow)
            break;
    }
    return std::move(curves.spectra);
}

// The continuous model's calculation: the levels of element j at its own frequency j/2 Hz.
// As in the whole-sample one, every level is taken before the first is stored, and the
// fault raised is the first met going through the elements, each source and then the
// Total at each.
void calculateContinuous(const Scene& scene, ResponseCurves& curves, bool inCaller, int seat,
                         ImpulseResponses* impulses, bool totalOnly = false) {
    const ElementRange range = storedElements(scene.startFrequency, scene.endFrequency);
    const int bins = impulses ? detail::kSpectrumBins : std::max(range.last + 1, 1);
    const std::vector<std::vector<Complex>> spectra =
        continuousCurves(scene, seat, bins, range, inCaller, totalOnly);
    // The Total is the last curve, or the only one.
    const std::size_t sources = spectra.size() - 1;
    detail::storeCurves(detail::continuousLevels(spectra, range), sources, range, curves, totalOnly);
    if (impulses) {
        impulses->sources.resize(sources);
        for (std::size_t s = 0; s < sources; ++s)
            impulses->sources[s] = detail::impulseOfSpectrum(spectra[s]);
        impulses->delays = DelayModel::Continuous;
    }
}

// One calculation, on the pool or wholly in the calling thread; the same steps either way.
void calculate(const Scene& scene, ResponseCurves& curves, bool inCaller, int seat,
               ImpulseResponses* impulses = nullptr) {
    if (scene.delays == DelayModel::Continuous) {
        calculateContinuous(scene, curves, inCaller, seat, impulses);
        return;
    }
    ImpulseResponses h;
    detail::FastAccumulationOptions options;
    options.inCaller = inCaller;
    detail::accumulateImagesFast(scene, h, options, seat);
    // Where a level is rounding noise, the straightforward order of the images decides it,
    // as it decides whether an exact zero fails.
    if (!storeLevels(scene, h, curves, detail::roundingNoisePowers(scene, h, seat), inCaller)) {
        accumulateImpulseResponsesReference(scene, h, seat);
        storeLevels(scene, h, curves, detail::noNoiseBound(h), inCaller);
    }
    if (impulses) {
        for (std::size_t s = 0; s < h.sources.size(); ++s)
            if (!scene.sources[s].plain())
                detail::shapeImpulse(scene.sources[s], h.sources[s]);
        *impulses = std::move(h);
    }
}

// The Total of two plain sources from one packed transform of both and one of their sum,
// when both loudspeakers' levels certainly have no fault and the Total's lie above the
// noise. Returns false, storing nothing, where the whole calculation must decide.
bool storePairTotal(const Scene& scene, ResponseCurves& curves, int seat) {
    ImpulseResponses h;
    detail::FastAccumulationOptions options;
    options.inCaller = true;
    detail::accumulateImagesFast(scene, h, options, seat);
    const ElementRange range = storedElements(scene.startFrequency, scene.endFrequency);
    const bool small = range.first <= range.last && detail::transformsCannotOverflow(h);
    const std::vector<double> noise = detail::roundingNoisePowers(scene, h, seat);
    detail::TransformBuffers& b = detail::transformBuffers(3);
    if (!small || !detail::pairLevelsSound(range, detail::transformPackedPair(h, b), noise))
        return false;
    Curve& total = b.levels[2];
    const detail::LevelFault fault = detail::takeLevels(detail::transformTotal(h, b), total, range, noise[2]);
    if (fault.withinNoise)
        return false;
    if (fault.message)
        throw UserError(fault.message);
    std::copy(total.begin() + range.first, total.begin() + range.last + 1,
              curves.total.begin() + range.first);
    return true;
}

// The impulse responses alone, as the calculation builds them.
void accumulateImpulses(const Scene& scene, ImpulseResponses& out, int seat) {
    if (scene.delays == DelayModel::Continuous) {
        // The sources as the room gives them, every image kept.
        const detail::ContinuousSpectra spectra =
            detail::continuousSpectra(scene, seat, detail::kSpectrumBins, false, false);
        out.sources.clear();
        for (const std::vector<Complex>& spectrum : spectra.sources)
            out.sources.push_back(detail::impulseOfSpectrum(spectrum));
        out.delays = DelayModel::Continuous;
        return;
    }
    detail::accumulateImagesFast(scene, out, {}, seat);
    out.delays = DelayModel::Sample;
}

} // namespace

void calculateTotalInCaller(const Scene& scene, ResponseCurves& curves, int seat) {
    // Under the continuous model plain sources' images go into one set of grids, their
    // Total. Under the whole-sample model two plain sources take the packed shortcut.
    // Any other scene, or a pair the shortcut cannot decide, takes the whole calculation.
    if (scene.delays == DelayModel::Continuous && detail::allPlain(scene)) {
        calculateContinuous(scene, curves, true, seat, nullptr, true);
        return;
    }
    if (scene.sources.size() != 2 || !detail::allPlain(scene) || !storePairTotal(scene, curves, seat))
        calculate(scene, curves, true, seat);
}

void calculateResponse(const Scene& scene, ResponseCurves& curves, int seat) {
    explainingOverflow(scene, seat, [&] { calculate(scene, curves, false, seat); });
}

void calculateResponse(const Scene& scene, ResponseCurves& curves, ImpulseResponses& impulses, int seat) {
    explainingOverflow(scene, seat, [&] { calculate(scene, curves, false, seat, &impulses); });
}

void calculateResponseInCaller(const Scene& scene, ResponseCurves& curves, int seat) {
    explainingOverflow(scene, seat, [&] { calculate(scene, curves, true, seat); });
}

void calculateResponseReference(const Scene& scene, ResponseCurves& curves, int seat) {
    ImpulseResponses h;
    accumulateImpulseResponsesReference(scene, h, seat);
    storeLevels(scene, h, curves, detail::noNoiseBound(h), false);
}

void accumulateImpulseResponses(const Scene& scene, ImpulseResponses& out, int seat) {
    explainingOverflow(scene, seat, [&] { accumulateImpulses(scene, out, seat); });
}

} // namespace kolmarin
