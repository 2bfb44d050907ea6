// Times the response calculation and its parts. Counters report nanoseconds per image
// source, both loudspeakers' images counted: 2 (2N + 1)^3 per calculation.
//
//   Accumulate*   the image-source accumulation alone (reference loop; fast one with one
//                 thread and with every thread of the pool; fast one per instruction set)
//   Roofline      one square root and one division per image on every thread, with the
//                 widest vectors the processor has: what a loop bound by them would take
//   Response*     the whole calculation: both loudspeakers, three transforms, levels;
//                 Response/0 is its fixed cost
//   Waterfall     the default 30 slices of the default scene's Total, from its impulse
//                 response (compare with Response/200)
#include "model/acoustics/decay.h"
#include "model/acoustics/image_accumulation.h"
#include "model/acoustics/response.h"
#include "model/acoustics/scene.h"
#include "model/acoustics/worker_pool.h"
#include "model/cpu_features.h"
#include "model/fft/fft.h"
#include "roofline.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

using kolmarin::detail::VectorIsa;

kolmarin::Scene benchScene(int n) {
    kolmarin::SceneTexts texts;
    texts.reflectionCount = std::to_string(n);
    return kolmarin::readCalculationScene(texts, '.', nullptr);
}

void setImageRate(benchmark::State& state, int n) {
    const double images = 2.0 * (2.0 * n + 1) * (2.0 * n + 1) * (2.0 * n + 1);
    state.counters["ns_per_image"] =
        benchmark::Counter(images * static_cast<double>(state.iterations()) * 1e-9,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_AccumulateReference(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const auto scene = benchScene(n);
    kolmarin::ImpulseResponses h;
    for (auto _ : state) {
        kolmarin::accumulateImpulseResponsesReference(scene, h);
        benchmark::DoNotOptimize(h.sources[0].data());
    }
    setImageRate(state, n);
}
BENCHMARK(BM_AccumulateReference)->Arg(30)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime();

// Second argument: threads, 0 for all.
void BM_AccumulateFast(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const auto scene = benchScene(n);
    kolmarin::ImpulseResponses h;
    kolmarin::detail::FastAccumulationOptions options;
    options.maxThreads = static_cast<int>(state.range(1));
    for (auto _ : state) {
        kolmarin::detail::accumulateImagesFast(scene, h, options);
        benchmark::DoNotOptimize(h.sources[0].data());
    }
    setImageRate(state, n);
    state.counters["threads"] =
        options.maxThreads > 0 ? options.maxThreads : kolmarin::WorkerPool::shared().size();
}
BENCHMARK(BM_AccumulateFast)
    ->ArgsProduct({{30, 100, 200}, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The narrower row loops on one thread, for processors without AVX-512.
void BM_AccumulateFastIsa(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const auto isa = static_cast<VectorIsa>(state.range(1));
    if (!kolmarin::detail::isaAvailable(isa)) {
        state.SkipWithError("instruction set not available");
        return;
    }
    const auto scene = benchScene(n);
    kolmarin::ImpulseResponses h;
    const kolmarin::detail::FastAccumulationOptions options{1, isa};
    for (auto _ : state) {
        kolmarin::detail::accumulateImagesFast(scene, h, options);
        benchmark::DoNotOptimize(h.sources[0].data());
    }
    setImageRate(state, n);
}
BENCHMARK(BM_AccumulateFastIsa)
    ->ArgsProduct({{100}, {static_cast<int>(VectorIsa::Baseline), static_cast<int>(VectorIsa::Avx2)}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Second argument: threads, 0 for all (the roofline proper; one thread shows the scaling).
void BM_Roofline(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const int maxThreads = static_cast<int>(state.range(1));
    // Two loudspeakers: twice the rows of one.
    const int count = 2 * n + 1;
    kolmarin::bench::Roofline roofline(2 * count * count, count);
    for (auto _ : state)
        benchmark::DoNotOptimize(roofline.run(maxThreads));
    setImageRate(state, n);
}
BENCHMARK(BM_Roofline)->ArgsProduct({{30, 100, 200}, {0, 1}})->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ResponseReference(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const auto scene = benchScene(n);
    kolmarin::ResponseCurves curves;
    for (auto _ : state)
        kolmarin::calculateResponseReference(scene, curves);
    setImageRate(state, n);
}
BENCHMARK(BM_ResponseReference)->Arg(30)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Response(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const auto scene = benchScene(n);
    kolmarin::ResponseCurves curves;
    for (auto _ : state)
        kolmarin::calculateResponse(scene, curves);
    setImageRate(state, n);
}
BENCHMARK(BM_Response)->Arg(0)->Arg(30)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Fft8192(benchmark::State& state) {
    std::vector<kolmarin::Complex> in(8192), out(8192);
    for (int i = 0; i < 8192; ++i)
        in[i] = {1.0 / (1 + i % 97), 0.0};
    for (auto _ : state) {
        kolmarin::forwardFft(in.data(), out.data(), 8192);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_Fft8192)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

void BM_Waterfall(benchmark::State& state) {
    const auto impulse = kolmarin::impulseResponseAt(benchScene(30), kolmarin::ImpulseCurve::Total);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            kolmarin::computeWaterfall(impulse, {}, kolmarin::DelayModel::Sample).levels.data());
}
BENCHMARK(BM_Waterfall)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
