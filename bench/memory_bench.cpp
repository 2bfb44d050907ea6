// The resident memory of the response calculation run again and again, as the program
// runs it on every change: after a first calculation (worker threads, transform tables)
// nothing more stays behind, so the resident set after 1000 calculations is where it was
// before them. Counters in kB: rss_before and rss_after (current resident set),
// peak_before and peak_after (the process's peak, getrusage). A growth of more than
// 1 MB of either marks the run as an error.
//
// MapPoints: the same for the points of a response map.
//
//   memory_bench --benchmark_filter=Repeated
#include "model/acoustics/response.h"
#include "model/acoustics/response_map.h"
#include "model/acoustics/scene.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <fstream>
#include <string>

namespace {

double residentKb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1024;
}

double peakKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss);
}

void BM_RepeatedResponse(benchmark::State& state) {
    kolmarin::SceneTexts texts;
    texts.reflectionCount = std::to_string(state.range(0));
    const kolmarin::Scene scene = kolmarin::readCalculationScene(texts, '.', nullptr);
    kolmarin::ResponseCurves curves;
    kolmarin::calculateResponse(scene, curves);
    const double rssBefore = residentKb(), peakBefore = peakKb();
    for (auto _ : state) {
        kolmarin::calculateResponse(scene, curves);
        benchmark::DoNotOptimize(curves.total.data());
    }
    const double rssAfter = residentKb(), peakAfter = peakKb();
    state.counters["rss_before_kb"] = rssBefore;
    state.counters["rss_after_kb"] = rssAfter;
    state.counters["peak_before_kb"] = peakBefore;
    state.counters["peak_after_kb"] = peakAfter;
    if (rssAfter - rssBefore > 1024 || peakAfter - peakBefore > 1024)
        state.SkipWithError("the resident set grew by more than 1 MB");
}
// The start-up scene's 30 reflections 1000 times; the largest count, 200, a few times.
BENCHMARK(BM_RepeatedResponse)->Arg(30)->Iterations(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepeatedResponse)->Arg(200)->Iterations(5)->Unit(benchmark::kMillisecond);

// A listener map of 16 times the points of a first, coarse one (0.05 m against 0.2 m) at
// 10 reflections: it keeps one spread per point and no impulse responses, so the peak
// stays where the coarse map left it.
void BM_MapPoints(benchmark::State& state) {
    kolmarin::SceneTexts texts;
    texts.reflectionCount = "10";
    const kolmarin::Scene scene = kolmarin::readCalculationScene(texts, '.', nullptr);
    using kolmarin::MapMarker;
    benchmark::DoNotOptimize(kolmarin::computeResponseMap(scene, MapMarker::Listener, {}, 0.2));
    const double peakBefore = peakKb();
    for (auto _ : state)
        benchmark::DoNotOptimize(kolmarin::computeResponseMap(scene, MapMarker::Listener, {}, 0.05));
    const double peakAfter = peakKb();
    state.counters["peak_before_kb"] = peakBefore;
    state.counters["peak_after_kb"] = peakAfter;
    if (peakAfter - peakBefore > 1024)
        state.SkipWithError("the finer map raised the peak by more than 1 MB");
}
BENCHMARK(BM_MapPoints)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
