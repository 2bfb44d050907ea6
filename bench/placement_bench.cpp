// Times the spread, the response maps and the placement search on the default room.
//
//   Spread            one placement's spread (one calculation in the calling thread)
//   ListenerMap       the whole listener map at 0.05 m (54 x 90 points), N = 30, all threads
//   ListenerMapFirst  its coarse pass alone (every 4th point each way)
//   StereoSearch      the stereo search with every default, robustness included
//   SearchAgainstMap  each layout's search on each objective timed right after the 5 cm
//                     listener map in the same run: counters map_s, search_s, ratio (search
//                     time over map time; the area searches aim at 3 or less), spreads (the
//                     search's) and map_points
//   SearchGap         rank 1 of the listener search on each objective against every point
//                     of the 1 cm lattice (about 80 000 spreads, half a minute at N = 30):
//                     counter gap_db, rank 1's figure minus the lattice's best (aim: <= 0.01)
//   StereoGap         rank 1 of the stereo search on the area spread against every point of
//                     the 2 cm lattice (every other centimetre; about 300 000 spreads, a few
//                     minutes): counter gap_db as above
//
//   MapRoofline       the roofline of response_bench (one square root and one division per
//                     image, on every thread) for the listener map's images: 4860 x 2 x 61^3
#include "model/acoustics/placement_search.h"
#include "model/acoustics/response_map.h"
#include "model/acoustics/spread.h"
#include "roofline.h"

#include <benchmark/benchmark.h>

#include "model/acoustics/worker_pool.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <functional>
#include <set>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

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

double seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_SearchAgainstMap(benchmark::State& state) {
    const auto scene = benchScene(30);
    kolmarin::SearchOptions options;
    options.layout = static_cast<kolmarin::Layout>(state.range(0));
    options.objective = static_cast<kolmarin::Objective>(state.range(1));
    double map = 0, search = 0;
    long long spreads = 0;
    for (auto _ : state) {
        map = seconds([&] {
            benchmark::DoNotOptimize(kolmarin::computeResponseMap(scene, kolmarin::MapMarker::Listener, {},
                                                                  kolmarin::kDefaultMapStep));
        });
        search = seconds([&] { spreads = kolmarin::searchPlacements(scene, options).calculations; });
    }
    state.counters["map_s"] = map;
    state.counters["search_s"] = search;
    state.counters["ratio"] = search / map;
    state.counters["spreads"] = static_cast<double>(spreads);
    state.counters["map_points"] =
        kolmarin::mapGrid(scene.width, scene.depth, kolmarin::kDefaultMapStep).points();
}
// Layout (0 stereo, 1 listener, 2 speakers), objective (0 point, 1 area).
BENCHMARK(BM_SearchAgainstMap)
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({2, 1})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

void BM_SearchGap(benchmark::State& state) {
    const auto scene = benchScene(30);
    kolmarin::SearchOptions options;
    options.layout = kolmarin::Layout::Seats;
    options.objective = static_cast<kolmarin::Objective>(state.range(0));
    const bool area = options.objective == kolmarin::Objective::Area;
    // Every listener place of the lattice, reach of the listening area included.
    const int w = static_cast<int>(std::lround(scene.width * 100));
    const int d = static_cast<int>(std::lround(scene.depth * 100));
    std::vector<double> spreads(static_cast<std::size_t>((w + 1) * (d + 1)), NAN);
    kolmarin::WorkerPool workers(static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
    double gap = 0;
    for (auto _ : state) {
        workers.run(w + 1, [&](int x) {
            for (int y = 0; y <= d; ++y) {
                kolmarin::Scene s = scene;
                s.seats[0].x = x / 100.0;
                s.seats[0].y = y / 100.0;
                spreads[static_cast<std::size_t>(x * (d + 1) + y)] = kolmarin::spreadOf(s, {}).value_or(NAN);
            }
        });
        double best = INFINITY;
        for (int x = 0; x <= w; ++x)
            for (int y = 0; y <= d; ++y) {
                kolmarin::Placement p = kolmarin::placementOf(scene);
                p.listener.x = x / 100.0;
                p.listener.y = y / 100.0;
                if (!kolmarin::keepsConstraints(scene, p, options.layout, options.constraints))
                    continue;
                double sum = 0;
                for (int dx = area ? -10 : 0; dx <= (area ? 10 : 0); dx += 10)
                    for (int dy = area ? -10 : 0; dy <= (area ? 10 : 0); dy += 10)
                        sum += spreads[static_cast<std::size_t>((x + dx) * (d + 1) + y + dy)];
                best = std::min(best, sum / (area ? 9 : 1));
            }
        const kolmarin::Placement first = kolmarin::searchPlacements(scene, options).best.at(0);
        gap = (area ? first.area : first.spread) - best;
    }
    state.counters["gap_db"] = gap;
}
BENCHMARK(BM_SearchGap)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_StereoGap(benchmark::State& state) {
    const auto scene = benchScene(30);
    const kolmarin::SearchOptions options;
    const int w = static_cast<int>(std::lround(scene.width * 100));
    const int d = static_cast<int>(std::lround(scene.depth * 100));
    const int centre = w / 2; // the default room is 270 cm wide
    std::vector<std::array<int, 3>> states;
    std::set<std::array<int, 4>> places; // SP1 x, ys, listener x, listener y
    for (int x = 0; x <= centre; x += 2)
        for (int ys = 0; ys <= d; ys += 2)
            for (int yl = ys; yl <= d; yl += 2) {
                kolmarin::Placement p = kolmarin::placementOf(scene);
                p.sp1 = {x / 100.0, ys / 100.0, p.sp1.z};
                p.sp2 = {(w - x) / 100.0, ys / 100.0, p.sp2.z};
                p.listener = {centre / 100.0, yl / 100.0, p.listener.z};
                if (!kolmarin::keepsConstraints(scene, p, kolmarin::Layout::Stereo, options.constraints))
                    continue;
                states.push_back({x, ys, yl});
                for (int dx = -10; dx <= 10; dx += 10)
                    for (int dy = -10; dy <= 10; dy += 10)
                        places.insert({x, ys, centre + dx, yl + dy});
            }
    const std::vector<std::array<int, 4>> list(places.begin(), places.end());
    std::vector<double> spreads(list.size());
    kolmarin::WorkerPool workers(static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
    double gap = 0;
    for (auto _ : state) {
        workers.run(static_cast<int>(list.size()), [&](int i) {
            const auto& k = list[static_cast<std::size_t>(i)];
            kolmarin::Scene s = scene;
            s = kolmarin::withPlacement(s, {{k[0] / 100.0, k[1] / 100.0, s.sources[0].position.z},
                                            {(w - k[0]) / 100.0, k[1] / 100.0, s.sources[1].position.z},
                                            {k[2] / 100.0, k[3] / 100.0, s.seats[0].z}});
            spreads[static_cast<std::size_t>(i)] = kolmarin::spreadOf(s, {}).value_or(NAN);
        });
        double best = INFINITY;
        for (const auto& v : states) {
            double sum = 0;
            for (int dx = -10; dx <= 10; dx += 10)
                for (int dy = -10; dy <= 10; dy += 10) {
                    const auto at = std::lower_bound(list.begin(), list.end(),
                                                     std::array<int, 4>{v[0], v[1], centre + dx, v[2] + dy});
                    sum += spreads[static_cast<std::size_t>(at - list.begin())];
                }
            best = std::min(best, sum / 9);
        }
        gap = kolmarin::searchPlacements(scene, options).best.at(0).area - best;
    }
    state.counters["gap_db"] = gap;
    state.counters["lattice_spreads"] = static_cast<double>(list.size());
}
BENCHMARK(BM_StereoGap)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace

BENCHMARK_MAIN();
