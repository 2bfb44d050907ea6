// Times the response calculation and its parts. Counters report nanoseconds per image
// source, both loudspeakers' images counted: 2 (2N + 1)^3 per calculation.
//
//   Accumulate*   the image-source accumulation alone (reference loop; fast one with one
//                 thread and with every thread of the pool; fast one per instruction set)
//   Roofline      one square root and one division per image on every thread, with the
//                 widest vectors the processor has: what a loop bound by them would take
//   Response*     the whole calculation: both loudspeakers, three transforms, levels;
//                 Response/0 is its fixed cost
#include "model/acoustics/image_accumulation.h"
#include "model/acoustics/response.h"
#include "model/acoustics/scene.h"
#include "model/acoustics/worker_pool.h"
#include "model/cpu_features.h"
#include "model/fft/fft.h"

#include <benchmark/benchmark.h>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

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
        benchmark::DoNotOptimize(h.h1.data());
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
        benchmark::DoNotOptimize(h.h1.data());
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
        benchmark::DoNotOptimize(h.h1.data());
    }
    setImageRate(state, n);
}
BENCHMARK(BM_AccumulateFastIsa)
    ->ArgsProduct({{100}, {static_cast<int>(VectorIsa::Baseline), static_cast<int>(VectorIsa::Avx2)}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

#if defined(__x86_64__)
// Roofline: per image, one square root and one division, summed so nothing is dropped;
// the squared distances come from a row constant and a table as in the real loop. (The
// zero-masked AVX-512 forms avoid GCC 12's warning about the plain ones' undefined input.)
__attribute__((target("avx512f"))) double
rootsAndQuotientsAvx512(const double* rows, int rowCount, const double* z, const double* w, int count) {
    __m512d sum0 = _mm512_setzero_pd(), sum1 = _mm512_setzero_pd();
    for (int r = 0; r < rowCount; ++r) {
        const __m512d row = _mm512_set1_pd(rows[r]);
        int i = 0;
        for (; i + 16 <= count; i += 16) {
            const __m512d r0 = _mm512_maskz_sqrt_pd(0xFF, _mm512_add_pd(row, _mm512_loadu_pd(z + i)));
            const __m512d r1 = _mm512_maskz_sqrt_pd(0xFF, _mm512_add_pd(row, _mm512_loadu_pd(z + i + 8)));
            sum0 = _mm512_add_pd(sum0, _mm512_div_pd(_mm512_loadu_pd(w + i), r0));
            sum1 = _mm512_add_pd(sum1, _mm512_div_pd(_mm512_loadu_pd(w + i + 8), r1));
        }
        for (; i < count; i += 8) {
            const __m512d r0 = _mm512_maskz_sqrt_pd(0xFF, _mm512_add_pd(row, _mm512_loadu_pd(z + i)));
            sum0 = _mm512_add_pd(sum0, _mm512_div_pd(_mm512_loadu_pd(w + i), r0));
        }
    }
    alignas(64) double lanes[8];
    _mm512_store_pd(lanes, _mm512_add_pd(sum0, sum1));
    double sum = 0.0;
    for (double l : lanes)
        sum += l;
    return sum;
}

__attribute__((target("avx2"))) double rootsAndQuotientsAvx2(const double* rows, int rowCount,
                                                             const double* z, const double* w, int count) {
    __m256d sum0 = _mm256_setzero_pd(), sum1 = _mm256_setzero_pd();
    for (int r = 0; r < rowCount; ++r) {
        const __m256d row = _mm256_set1_pd(rows[r]);
        for (int i = 0; i < count; i += 8) {
            const __m256d r0 = _mm256_sqrt_pd(_mm256_add_pd(row, _mm256_loadu_pd(z + i)));
            const __m256d r1 = _mm256_sqrt_pd(_mm256_add_pd(row, _mm256_loadu_pd(z + i + 4)));
            sum0 = _mm256_add_pd(sum0, _mm256_div_pd(_mm256_loadu_pd(w + i), r0));
            sum1 = _mm256_add_pd(sum1, _mm256_div_pd(_mm256_loadu_pd(w + i + 4), r1));
        }
    }
    alignas(32) double lanes[4];
    _mm256_store_pd(lanes, _mm256_add_pd(sum0, sum1));
    return (lanes[0] + lanes[1]) + (lanes[2] + lanes[3]);
}

#endif

double rootsAndQuotientsScalar(const double* rows, int rowCount, const double* z, const double* w,
                               int count) {
    double sum = 0.0;
    for (int r = 0; r < rowCount; ++r)
        for (int i = 0; i < count; ++i)
            sum += w[i] / std::sqrt(rows[r] + z[i]);
    return sum;
}

// Second argument: threads, 0 for all (the roofline proper; one thread shows the scaling).
void BM_Roofline(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const int maxThreads = static_cast<int>(state.range(1));
    const int count = 2 * n + 1;
    const int padded = (count + 15) / 16 * 16;
    // Two loudspeakers: twice the rows of one.
    const int rows = 2 * count * count;
    std::vector<double> rowValues(static_cast<std::size_t>(rows)), z(static_cast<std::size_t>(padded)),
        w(static_cast<std::size_t>(padded));
    for (int r = 0; r < rows; ++r)
        rowValues[static_cast<std::size_t>(r)] = 1.0 + 0.37 * (r % 977);
    for (int i = 0; i < padded; ++i) {
        z[static_cast<std::size_t>(i)] = 0.25 + 2.4 * i * i;
        w[static_cast<std::size_t>(i)] = i < count ? 0.9 : 0.0;
    }
#if defined(__x86_64__)
    auto* kernel = kolmarin::processorHasAvx512() ? rootsAndQuotientsAvx512
                   : kolmarin::processorHasAvx2() ? rootsAndQuotientsAvx2
                                                  : rootsAndQuotientsScalar;
#else
    auto* kernel = rootsAndQuotientsScalar;
#endif
    kolmarin::WorkerPool& pool = kolmarin::WorkerPool::shared();
    const int parts = maxThreads > 0 ? std::min(maxThreads, pool.size()) : pool.size();
    std::vector<double> sums(static_cast<std::size_t>(parts));
    for (auto _ : state) {
        pool.run(
            parts,
            [&](int p) {
                const int first = static_cast<int>(1LL * rows * p / parts);
                const int end = static_cast<int>(1LL * rows * (p + 1) / parts);
                sums[static_cast<std::size_t>(p)] =
                    kernel(rowValues.data() + first, end - first, z.data(), w.data(), count);
            },
            parts);
        benchmark::DoNotOptimize(sums.data());
    }
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

BENCHMARK_MAIN();
