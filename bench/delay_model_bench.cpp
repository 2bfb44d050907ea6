// The two delay models side by side in one run, on the default room. The first argument of
// each is the model: 0 whole-sample (the default), 1 continuous.
//
//   Calculation/model/N      the whole calculation at N = 30, 100, 200; for the continuous
//                            model the counter largest_dev_db is the largest difference from
//                            the direct sum of w e^(-j 2 pi f r / c) / r over every image, in
//                            double precision, where that curve lies within 40 dB of its
//                            largest (at every plotted frequency for N = 30, every 5 Hz for
//                            N = 100, every 20 Hz for N = 200: the direct sum is slow)
//   ListenerMap/model        the 5 cm listener map (N = 30, all threads)
//   SubwooferOptimiser/model four subwoofers for six seats from the default candidates:
//                            the candidates' spectra and the search together
//   SpreadAlongALine/model   the 20-200 Hz spread at listener positions 1 cm apart along
//                            y = 2.00 .. 3.50 m (x = 1.36 m): counters mean_change_db and
//                            largest_change_db, the change from one position to the next
#include "model/acoustics/response.h"
#include "model/acoustics/response_map.h"
#include "model/acoustics/spread.h"
#include "model/acoustics/subwoofer_candidates.h"
#include "model/acoustics/subwoofer_optimiser.h"
#include "model/acoustics/subwoofer_problem.h"
#include "model/acoustics/worker_pool.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <string>
#include <vector>

namespace {

using kolmarin::DelayModel;

kolmarin::Scene benchScene(DelayModel delays, int n = 30) {
    kolmarin::SceneTexts texts;
    texts.reflectionCount = std::to_string(n);
    texts.delays = delays;
    return kolmarin::readCalculationScene(texts, '.', nullptr);
}

DelayModel modelOf(const benchmark::State& state) {
    return state.range(0) == 0 ? DelayModel::Sample : DelayModel::Continuous;
}

// The Total's spectrum at frequencies j/2 Hz, j = first, first + every, ...: every image of both
// loudspeakers (room-centred coordinates, the y axis turned round, image i at
// sigma(i) p + i L with its reflections split between the axis's walls), summed directly.
std::vector<std::complex<double>> directTotal(const kolmarin::Scene& s, int first, int every, int count) {
    const int n = s.reflectionCount;
    const auto factor = [](double positive, double negative, int i) {
        const int plus = i >= 0 ? (i + 1) / 2 : -i / 2;
        return std::pow(positive, plus) * std::pow(negative, std::abs(i) - plus);
    };
    const kolmarin::Point3 l = s.seats[0];
    const auto points = static_cast<std::size_t>(count);
    std::vector<std::vector<std::complex<double>>> parts(static_cast<std::size_t>(2 * n + 1),
                                                         std::vector<std::complex<double>>(points));
    kolmarin::WorkerPool::shared().run(2 * n + 1, [&](int index) {
        const int a = index - n;
        auto& sum = parts[static_cast<std::size_t>(index)];
        for (const kolmarin::Source& source : s.sources)
            for (int b = -n; b <= n; ++b)
                for (int c = -n; c <= n; ++c) {
                    const double sx = (a % 2 == 0 ? 1 : -1) * (source.position.x - s.width / 2) + a * s.width;
                    const double sy = (b % 2 == 0 ? 1 : -1) * (s.depth / 2 - source.position.y) + b * s.depth;
                    const double sz =
                        (c % 2 == 0 ? 1 : -1) * (source.position.z - s.height / 2) + c * s.height;
                    const double r = std::hypot(sx - (l.x - s.width / 2), sy - (s.depth / 2 - l.y),
                                                sz - (l.z - s.height / 2));
                    const double w = factor(s.reflRight, s.reflLeft, a) * factor(s.reflFront, s.reflBack, b) *
                                     factor(s.reflCeiling, s.reflFloor, c) / r;
                    // e^(-j 2 pi f r / c) from one frequency to the next by one turn.
                    const std::complex<double> step = std::polar(1.0, -std::numbers::pi * every * r / 344.0);
                    std::complex<double> term = std::polar(w, -std::numbers::pi * first * r / 344.0);
                    for (std::size_t k = 0; k < points; ++k, term *= step)
                        sum[k] += term;
                }
    });
    std::vector<std::complex<double>> total(points);
    for (const auto& part : parts)
        for (std::size_t k = 0; k < points; ++k)
            total[k] += part[k];
    return total;
}

double largestDeviation(const kolmarin::Scene& scene, const kolmarin::ResponseCurves& curves, int every) {
    const int first = 2 * scene.startFrequency;
    const int count = (2 * scene.endFrequency - first) / every + 1;
    const std::vector<std::complex<double>> direct = directTotal(scene, first, every, count);
    double largest = -1e300;
    for (const auto& z : direct)
        largest = std::max(largest, 20 * std::log10(std::abs(z)));
    double deviation = 0.0;
    for (int k = 0; k < count; ++k) {
        const double expected = 20 * std::log10(std::abs(direct[static_cast<std::size_t>(k)]));
        if (expected >= largest - 40)
            deviation = std::max(
                deviation, std::fabs(curves.total[static_cast<std::size_t>(first + k * every)] - expected));
    }
    return deviation;
}

void BM_Calculation(benchmark::State& state) {
    const int n = static_cast<int>(state.range(1));
    const kolmarin::Scene scene = benchScene(modelOf(state), n);
    kolmarin::ResponseCurves curves;
    for (auto _ : state)
        kolmarin::calculateResponse(scene, curves);
    if (scene.delays == DelayModel::Continuous)
        state.counters["largest_dev_db"] = largestDeviation(scene, curves, n <= 30 ? 1 : n <= 100 ? 10 : 40);
}
BENCHMARK(BM_Calculation)
    ->ArgsProduct({{0, 1}, {30, 100, 200}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_ListenerMap(benchmark::State& state) {
    const kolmarin::Scene scene = benchScene(modelOf(state));
    for (auto _ : state)
        benchmark::DoNotOptimize(kolmarin::computeResponseMap(scene, kolmarin::MapMarker::Listener, {},
                                                              kolmarin::kDefaultMapStep));
}
BENCHMARK(BM_ListenerMap)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_SubwooferOptimiser(benchmark::State& state) {
    kolmarin::Scene scene = benchScene(modelOf(state));
    scene.seats.clear();
    for (double y : {2.90, 3.40})
        for (double x : {0.86, 1.36, 1.86})
            scene.seats.push_back({x, y, 1.0});
    long long configurations = 0;
    for (auto _ : state) {
        const kolmarin::SubwooferSpectra spectra = kolmarin::prepareSubwooferSpectra(
            scene, 0, false, {20, 120},
            kolmarin::defaultSubwooferCandidates(scene.width, scene.depth, scene.height));
        kolmarin::OptimiserOptions options;
        options.count = 4;
        configurations = kolmarin::optimiseSubwoofers(spectra, options).evaluated;
    }
    state.counters["configurations"] = static_cast<double>(configurations);
}
BENCHMARK(BM_SubwooferOptimiser)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_SpreadAlongALine(benchmark::State& state) {
    kolmarin::Scene scene = benchScene(modelOf(state));
    std::vector<double> spreads;
    for (auto _ : state) {
        spreads.clear();
        for (int cm = 200; cm <= 350; ++cm) {
            scene.seats[0].y = cm / 100.0;
            spreads.push_back(kolmarin::spreadOf(scene, {20, 200}).value_or(0.0));
        }
    }
    double sum = 0.0, largest = 0.0;
    for (std::size_t i = 1; i < spreads.size(); ++i) {
        const double change = std::fabs(spreads[i] - spreads[i - 1]);
        sum += change;
        largest = std::max(largest, change);
    }
    state.counters["mean_change_db"] = sum / static_cast<double>(spreads.size() - 1);
    state.counters["largest_change_db"] = largest;
}
BENCHMARK(BM_SpreadAlongALine)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace

BENCHMARK_MAIN();
