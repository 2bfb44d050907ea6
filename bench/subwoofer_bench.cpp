// Times the subwoofer optimiser on the default room (N = 30) with six seats, two rows of
// three around the listener, choosing four subwoofers from the default candidates, each
// with a shared EQ of four filters, run right after the 5 cm listener map in the same
// process:
//
//   SubwoofersAgainstMap  counters map_s, subs_s (the spectra and the search together),
//                         spectra_s, ratio (subs_s over map_s; the aim is 5 or less, and
//                         subs_s under 10 s), configurations (evaluated) and candidates
//   SubwooferSpectra      the candidates' spectra at the six seats alone
#include "model/acoustics/bass_setup.h"
#include "model/acoustics/response_map.h"
#include "model/acoustics/subwoofer_candidates.h"
#include "model/acoustics/subwoofer_problem.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>

namespace {

kolmarin::Scene sixSeats() {
    kolmarin::SceneTexts texts;
    kolmarin::Scene scene = kolmarin::readCalculationScene(texts, '.', nullptr);
    scene.seats.clear();
    for (double y : {2.90, 3.40})
        for (double x : {0.86, 1.36, 1.86})
            scene.seats.push_back({x, y, 1.0});
    return scene;
}

double seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

kolmarin::SubwooferSpectra spectraOf(const kolmarin::Scene& scene) {
    return kolmarin::prepareSubwooferSpectra(
        scene, 0, false, {20, 120},
        kolmarin::defaultSubwooferCandidates(scene.width, scene.depth, scene.height));
}

void BM_SubwoofersAgainstMap(benchmark::State& state) {
    const kolmarin::Scene scene = sixSeats();
    kolmarin::Scene mapScene = scene;
    mapScene.seats.resize(1);
    double map = 0, spectra = 0, subs = 0;
    long long configurations = 0;
    std::size_t candidates = 0;
    for (auto _ : state) {
        map = seconds([&] {
            benchmark::DoNotOptimize(kolmarin::computeResponseMap(mapScene, kolmarin::MapMarker::Listener, {},
                                                                  kolmarin::kDefaultMapStep));
        });
        kolmarin::SubwooferSpectra prepared;
        spectra = seconds([&] { prepared = spectraOf(scene); });
        subs = spectra + seconds([&] {
                   kolmarin::OptimiserOptions options;
                   options.count = 4;
                   options.goal.eqFilters = 4;
                   configurations = kolmarin::optimiseSubwoofers(prepared, options).evaluated;
               });
        candidates = prepared.positions.size();
    }
    state.counters["map_s"] = map;
    state.counters["subs_s"] = subs;
    state.counters["spectra_s"] = spectra;
    state.counters["ratio"] = subs / map;
    state.counters["configurations"] = static_cast<double>(configurations);
    state.counters["candidates"] = static_cast<double>(candidates);
}
BENCHMARK(BM_SubwoofersAgainstMap)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_SubwooferSpectra(benchmark::State& state) {
    const kolmarin::Scene scene = sixSeats();
    for (auto _ : state)
        benchmark::DoNotOptimize(spectraOf(scene));
}
BENCHMARK(BM_SubwooferSpectra)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

BENCHMARK_MAIN();
