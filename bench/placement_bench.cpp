// Times the spread, the response maps and the placement search on the default room.
//
//   Spread            one placement's spread (one calculation in the calling thread)
//   ListenerMap       the whole listener map at 0.05 m (54 x 90 points), N = 30, all threads
//   ListenerMapFirst  its coarse pass alone (every 4th point each way)
//   StereoSearch      the stereo search with every default, robustness included
//
//   MapRoofline       the roofline of response_bench (one square root and one division per
//                     image, on every thread) for the listener map's images: 4860 x 2 x 61^3
#include "model/acoustics/placement_search.h"
#include "model/acoustics/response_map.h"
#include "model/acoustics/spread.h"
#include "roofline.h"

#include <benchmark/benchmark.h>

#include <stop_token>
#include <string>

namespace {

kolmarin::Scene benchScene(int n) {
    kolmarin::SceneTexts texts;
    texts.reflectionCount = std::to_string(n);
    return kolmarin::readCalculationScene(texts, '.', nullptr);
}

void BM_Spread(benchmark::State& state) {
    const auto scene = benchScene(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(kolmarin::spreadOf(scene, {}));
}
BENCHMARK(BM_Spread)->Arg(0)->Arg(30)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_ListenerMap(benchmark::State& state) {
    const auto scene = benchScene(30);
    for (auto _ : state)
        benchmark::DoNotOptimize(kolmarin::computeResponseMap(scene, kolmarin::MapMarker::Listener, {},
                                                              kolmarin::kDefaultMapStep));
    state.counters["points"] =
        kolmarin::mapGrid(scene.width, scene.depth, kolmarin::kDefaultMapStep).points();
}
BENCHMARK(BM_ListenerMap)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

void BM_MapRoofline(benchmark::State& state) {
    const auto scene = benchScene(30);
    const int count = 2 * 30 + 1;
    const long long points = kolmarin::mapGrid(scene.width, scene.depth, kolmarin::kDefaultMapStep).points();
    kolmarin::bench::Roofline roofline(points * 2 * count * count, count);
    for (auto _ : state)
        benchmark::DoNotOptimize(roofline.run(0));
}
BENCHMARK(BM_MapRoofline)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

void BM_ListenerMapFirst(benchmark::State& state) {
    const auto scene = benchScene(30);
    for (auto _ : state) {
        std::stop_source stop;
        kolmarin::MapCallbacks callbacks;
        callbacks.passDone = [&](const kolmarin::ResponseMap&, int) { stop.request_stop(); };
        benchmark::DoNotOptimize(kolmarin::computeResponseMap(scene, kolmarin::MapMarker::Listener, {},
                                                              kolmarin::kDefaultMapStep, callbacks,
                                                              stop.get_token()));
    }
}
BENCHMARK(BM_ListenerMapFirst)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StereoSearch(benchmark::State& state) {
    const auto scene = benchScene(30);
    long long calculations = 0;
    for (auto _ : state)
        calculations = kolmarin::searchPlacements(scene, {}).calculations;
    state.counters["calculations"] = static_cast<double>(calculations);
}
BENCHMARK(BM_StereoSearch)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace

BENCHMARK_MAIN();
