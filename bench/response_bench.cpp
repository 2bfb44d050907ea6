// Times the image-source accumulation and the 8192-point transform. Counters report
// nanoseconds per image source (both loudspeakers' images counted).
#include "model/ffts.h"
#include "model/response.h"
#include "model/scene.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

kolmarin::Scene benchScene(int n) {
    kolmarin::SceneTexts texts;
    texts.reflectionCount = std::to_string(n);
    return kolmarin::readCalculationScene(texts, '.', nullptr);
}

void setImageRate(benchmark::State& state, int n) {
    const double images = 2.0 * (2.0 * n + 1) * (2.0 * n + 1) * (2.0 * n + 1);
    state.counters["ns_per_image"] = benchmark::Counter(
        images * static_cast<double>(state.iterations()) * 1e-9,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_ResponseReference(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const auto scene = benchScene(n);
    kolmarin::ResponseCurves curves;
    for (auto _ : state)
        kolmarin::calculateResponseReference(scene, curves);
    setImageRate(state, n);
}
BENCHMARK(BM_ResponseReference)->Arg(30)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

void BM_Response(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const auto scene = benchScene(n);
    kolmarin::ResponseCurves curves;
    for (auto _ : state)
        kolmarin::calculateResponse(scene, curves);
    setImageRate(state, n);
}
BENCHMARK(BM_Response)->Arg(30)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

void BM_Fft8192(benchmark::State& state) {
    std::vector<kolmarin::TComplexNum> in(8192), out(8192);
    for (int i = 0; i < 8192; ++i)
        in[i] = {1.0 / (1 + i % 97), 0.0};
    for (auto _ : state) {
        kolmarin::ForwardFft(in.data(), out.data(), 8192);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_Fft8192)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
