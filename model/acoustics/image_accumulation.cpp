#include "model/acoustics/image_accumulation.h"

#include "model/acoustics/image_rows.h"
#include "model/acoustics/image_tables.h"
#include "model/acoustics/late_rows.h"
#include "model/acoustics/reference_accumulation.h"
#include "model/acoustics/worker_pool.h"
#include "model/cpu_features.h"
#include "model/errors.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <mutex>
#include <numeric>
#include <optional>
#include <vector>

namespace kolmarin::detail {

namespace {

// Samples 0..8000 of the impulse responses receive images.
constexpr int kBandSamples = kLateSample + 1;
// Image counts below this are not worth waking the helper threads for.
constexpr long long kSmallestParallelWork = 100000;

bool processorHas(VectorIsa isa) {
#if defined(KOLMARIN_X86_ROW_LOOPS)
    switch (isa) {
    case VectorIsa::Avx512:
        return processorHasAvx512();
    case VectorIsa::Avx2:
        return processorHasAvx2() && processorHasFma();
    case VectorIsa::Baseline:
        return true;
    }
    return false;
#else
    return isa == VectorIsa::Baseline;
#endif
}

// Limits a scene must keep to take the fast path: squared distances and amplitudes this
// far inside the range of a double cannot overflow or lose their reciprocal square root
// in any order of summation, so the only fault left is an image at distance zero.
constexpr double kLargestSquaredDistance = 1e280;
constexpr double kSmallestSquaredDistance = 1e-280;
constexpr long double kLargestAmplitudeSum = 1e300L;

double maxAbs(const std::vector<double>& v) {
    double m = 0.0;
    for (double e : v)
        m = std::max(m, std::fabs(e));
    return m;
}

// Whether sums of three entries, their square roots and the amplitudes of all images stay
// well inside the range of a double.
bool staysInRange(const AxisTables& t, const SourceTables& s) {
    const double largest = (maxAbs(s.x2) + maxAbs(s.y2)) + maxAbs(s.z2);
    if (!(largest <= kLargestSquaredDistance))
        return false;
    double smallestPositive = kLargestSquaredDistance;
    for (const auto* table : {&s.x2, &s.y2, &s.z2})
        for (double e : *table)
            if (e > 0.0)
                smallestPositive = std::min(smallestPositive, e);
    if (smallestPositive < kSmallestSquaredDistance)
        return false;
    const long double rowFactor = static_cast<long double>(maxAbs(t.rx)) * maxAbs(t.ry);
    const long double images = std::pow(static_cast<long double>(t.count), 3);
    const long double amplitudes = rowFactor * maxAbs(t.rz) * images * kSamplesPerMetre /
                                   std::sqrt(static_cast<long double>(smallestPositive));
    return rowFactor < kLargestAmplitudeSum && amplitudes < kLargestAmplitudeSum;
}

struct ImageIndex {
    int a, b, c;
    auto operator<=>(const ImageIndex&) const = default;
};

// The first image in loop order at distance zero from the seat, if any.
std::optional<ImageIndex> firstImageOnSeat(const SourceTables& s) {
    auto firstZero = [](const std::vector<double>& v) {
        return static_cast<int>(std::find(v.begin(), v.end(), 0.0) - v.begin());
    };
    const ImageIndex i{firstZero(s.x2), firstZero(s.y2), firstZero(s.z2)};
    const int count = static_cast<int>(s.x2.size());
    if (i.a == count || i.b == count || i.c == count)
        return std::nullopt;
    return i;
}

// Raises the fault of the first image at distance zero (the earlier source first at the
// same image): 0/0 when its reflection factor is zero, a division by zero otherwise. In a
// scene that stays in range nothing can fail earlier in loop order.
void raiseImageOnSeat(const AxisTables& t) {
    std::optional<ImageIndex> first;
    for (const SourceTables& source : t.sources) {
        const auto i = firstImageOnSeat(source);
        if (i && (!first || *i < *first))
            first = i;
    }
    if (!first)
        return;
    const ImageIndex i = *first;
    const double factor = t.rx[i.a] * t.ry[i.b] * t.rz[i.c];
    throw UserError(factor == 0.0 ? msg::kInvalidOperation : msg::kZeroDivide);
}

// Storage of one accumulation, kept between calculations so a run allocates nothing once
// it has met its largest scene.
struct Workspace {
    std::mutex mutex;
    std::vector<double> tables;
    std::vector<std::vector<double>> lateSeries; // one per source
    std::vector<double> responses;
    std::vector<double> values;
    std::vector<std::uint32_t> delays;
};

Workspace& workspace() {
    static Workspace w;
    return w;
}

template <class T> T* alignedStart(std::vector<T>& storage, std::size_t count) {
    storage.resize(count + 64 / sizeof(T));
    const auto address = reinterpret_cast<std::uintptr_t>(storage.data());
    return storage.data() + (64 - address % 64) % 64 / sizeof(T);
}

constexpr double kSquareScale = kSamplesPerMetre * kSamplesPerMetre;

// One axis sorted by its squared distance, scaled to squared samples, with its
// reflection factors in the same order. Equal distances keep their index order.
void sortAxis(const std::vector<double>& squares, const std::vector<double>& factors, double factorScale,
              double* sortedSquares, double* sortedFactors) {
    std::vector<int> order(squares.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int i, int j) { return squares[i] < squares[j]; });
    for (std::size_t k = 0; k < order.size(); ++k) {
        sortedSquares[k] = squares[order[k]] * kSquareScale;
        sortedFactors[k] = factors[order[k]] * factorScale;
    }
}

// Bands per source: a fixed split that depends only on the table length, never on
// the threads, so every run adds the same numbers in the same order. A band of about a
// quarter million images or more is worth its own response buffer; narrow bands also keep
// the delays one band reaches, and so the samples it touches, close together.
int bandCount(int count) {
    const long long images = 1LL * count * count * count;
    return static_cast<int>(std::clamp<long long>(images >> 18, 1, std::min(32, count)));
}

using RowLoop = void (*)(const RowBand&);

RowLoop rowLoopFor(VectorIsa isa) {
#if defined(KOLMARIN_X86_ROW_LOOPS)
    switch (isa) {
    case VectorIsa::Avx512:
        return accumulateRowsAvx512;
    case VectorIsa::Avx2:
        return accumulateRowsAvx2;
    case VectorIsa::Baseline:
        break;
    }
#else
    (void)isa;
#endif
    return accumulateRowsBaseline;
}

// Every source's axis tables sorted and padded for the row loop, in the workspace.
struct SortedScene {
    std::vector<SortedImageTables> tables;
    std::size_t tableLength = 0; // entries per axis table, padding included
};

// Sorts the three axes of each source into the workspace, pads them for the widest
// vectors and fits the late-row series where some rows arrive late as a whole.
SortedScene sortTables(const AxisTables& t, Workspace& w) {
    SortedScene sorted;
    const std::size_t sources = t.sources.size();
    sorted.tables.resize(sources);
    if (w.lateSeries.size() < sources)
        w.lateSeries.resize(sources);
    const int count = t.count;
    const int padded = (count + kRowPadding - 1) / kRowPadding * kRowPadding;
    // Per source: x, rx of `count` entries, z and rz of `padded`, y and ry of
    // `padded` + kRowPadding entries.
    const std::size_t tableLength = static_cast<std::size_t>(padded + kRowPadding);
    sorted.tableLength = tableLength;
    double* tableStart = alignedStart(w.tables, sources * 6 * tableLength);
    for (std::size_t s = 0; s < sources; ++s) {
        const SourceTables& src = t.sources[s];
        double* p = tableStart + s * 6 * tableLength;
        double* x = p;
        double* rx = p + tableLength;
        double* y = p + 2 * tableLength;
        double* ry = p + 3 * tableLength;
        double* z = p + 4 * tableLength;
        double* rz = p + 5 * tableLength;
        sortAxis(src.x2, t.rx, 1.0, x, rx);
        sortAxis(src.y2, t.ry, 1.0, y, ry);
        sortAxis(src.z2, t.rz, kSamplesPerMetre, z, rz);
        // Padding repeats the farthest image with no amplitude: it lands wherever that image
        // does and adds exact zeros, so a row needs no partial last block.
        for (int i = count; i < padded; ++i) {
            z[i] = z[count - 1];
            rz[i] = 0.0;
        }
        for (int i = count; i < padded + kRowPadding; ++i) {
            y[i] = y[count - 1];
            ry[i] = 0.0;
        }
        sorted.tables[s] = {count, padded, x, rx, y, ry, z, rz, {}};
        // Rows whose nearest image is late, if there are any, have xy above both of these.
        if ((x[count - 1] + y[count - 1]) + z[0] > kClampedSquare) {
            const double lowestLateRow = std::max(kClampedSquare - z[0], x[0] + y[0]);
            sorted.tables[s].late = fitLateRowSeries(z, rz, count, lowestLateRow, w.lateSeries[s]);
        }
    }
    return sorted;
}

// The samples a band can reach: its nearest and farthest images bound them, and its late
// images add at sample 8000 (and 8001). Elsewhere its response stays zero and is neither
// cleared nor summed.
struct SampleSpan {
    int first, last;
};

// The jobs of one accumulation: band b of source s at job b * sources + s, nearest rows
// first, each with its own response buffer and scratch rows in the workspace.
struct BandPlan {
    std::vector<RowBand> bands;
    std::vector<SampleSpan> spans;
    int sources = 0;
    int jobs() const { return static_cast<int>(bands.size()); }
};

BandPlan planBands(const SortedScene& sorted, int count, Workspace& w) {
    const int bands = bandCount(count);
    const int sources = static_cast<int>(sorted.tables.size());
    const int jobs = sources * bands;
    const std::size_t tableLength = sorted.tableLength;
    double* responses =
        alignedStart(w.responses, static_cast<std::size_t>(jobs) * kResponseCopies * kBandStride);
    double* values = alignedStart(w.values, static_cast<std::size_t>(jobs) * 2 * tableLength);
    std::uint32_t* delays = alignedStart(w.delays, static_cast<std::size_t>(jobs) * 2 * tableLength);
    BandPlan plan;
    plan.sources = sources;
    plan.spans.resize(static_cast<std::size_t>(jobs));
    plan.bands.resize(static_cast<std::size_t>(jobs));
    const auto sampleNear = [](double squaredDelay, int margin) {
        const double delay = std::sqrt(squaredDelay);
        return delay < kLateSample ? std::clamp(static_cast<int>(delay) + margin, 0, kLateSample - 1)
                                   : kLateSample - 1;
    };
    for (int j = 0; j < jobs; ++j) {
        const SortedImageTables& tables = sorted.tables[static_cast<std::size_t>(j % sources)];
        const int band = j / sources;
        RowBand& r = plan.bands[static_cast<std::size_t>(j)];
        r.tables = &tables;
        r.firstA = static_cast<int>(1LL * count * band / bands);
        r.endA = static_cast<int>(1LL * count * (band + 1) / bands);
        r.response = responses + static_cast<std::size_t>(j) * kResponseCopies * kBandStride;
        r.values = values + static_cast<std::size_t>(j) * 2 * tableLength;
        r.delays = delays + static_cast<std::size_t>(j) * 2 * tableLength;
        plan.spans[static_cast<std::size_t>(j)] = {
            sampleNear((tables.x[r.firstA] + tables.y[0]) + tables.z[0], -2),
            sampleNear((tables.x[r.endA - 1] + tables.y[count - 1]) + tables.z[count - 1], 2)};
    }
    return plan;
}

// Runs task(0..count-1) on the pool, or one after another in the caller when `threads`
// is negative.
void runJobs(int count, const std::function<void(int)>& task, int threads) {
    if (threads < 0) {
        for (int i = 0; i < count; ++i)
            task(i);
        return;
    }
    WorkerPool::shared().run(count, task, threads);
}

// Every band into its own response, spread over the pool.
void accumulateBands(const BandPlan& plan, RowLoop rowLoop, int threads) {
    runJobs(
        plan.jobs(),
        [&](int j) {
            const RowBand& r = plan.bands[static_cast<std::size_t>(j)];
            const SampleSpan span = plan.spans[static_cast<std::size_t>(j)];
            for (int copy = 0; copy < kResponseCopies; ++copy) {
                double* response = r.response + copy * kBandStride;
                std::fill(response + span.first, response + span.last + 1, 0.0);
                response[kLateSample] = 0.0;
                response[kOverflowSample] = 0.0;
            }
            rowLoop(r);
            // The other copies into the first, in copy order.
            for (int copy = 1; copy < kResponseCopies; ++copy) {
                const double* response = r.response + copy * kBandStride;
                for (int n = span.first; n <= span.last; ++n)
                    r.response[n] += response[n];
                r.response[kLateSample] += response[kLateSample];
                r.response[kOverflowSample] += response[kOverflowSample];
            }
        },
        threads);
}

// Each sample is the sum of the bands in band order, whoever computed them.
void sumBands(const BandPlan& plan, ImpulseResponses& out, int threads) {
    const int jobs = plan.jobs();
    const int sumPieces = jobs > plan.sources ? 4 : 1;
    runJobs(
        sumPieces,
        [&](int piece) {
            const int begin = kBandSamples * piece / sumPieces;
            const int end = kBandSamples * (piece + 1) / sumPieces;
            for (int j = 0; j < jobs; ++j) {
                const double* band = plan.bands[static_cast<std::size_t>(j)].response;
                double* h = out.sources[static_cast<std::size_t>(j % plan.sources)].data();
                const SampleSpan span = plan.spans[static_cast<std::size_t>(j)];
                for (int n = std::max(begin, span.first); n < std::min(end, span.last + 1); ++n)
                    h[n] += band[n];
                if (begin <= kLateSample && kLateSample < end) {
                    h[kLateSample] += band[kLateSample];
                    h[kLateSample] += band[kOverflowSample];
                }
            }
        },
        threads);
}

} // namespace

bool isaAvailable(VectorIsa isa) {
    return processorHas(isa);
}

VectorIsa widestAvailableIsa() {
    for (VectorIsa isa : {VectorIsa::Avx512, VectorIsa::Avx2})
        if (processorHas(isa))
            return isa;
    return VectorIsa::Baseline;
}

void accumulateImagesFast(const Scene& scene, ImpulseResponses& out, const FastAccumulationOptions& options,
                          int seat) {
    const AxisTables t = buildAxisTables(scene, seat);
    clearResponses(out, scene.sources.size());
    if (t.count == 0 || t.sources.empty())
        return;
    if (!std::all_of(t.sources.begin(), t.sources.end(),
                     [&](const SourceTables& source) { return staysInRange(t, source); })) {
        accumulateImpulseResponsesReference(scene, out, seat);
        return;
    }
    raiseImageOnSeat(t);

    thread_local Workspace own;
    Workspace& w = options.inCaller ? own : workspace();
    std::unique_lock lock(w.mutex, std::defer_lock);
    if (!options.inCaller)
        lock.lock();
    const SortedScene sorted = sortTables(t, w);

    VectorIsa isa = options.isa;
    while (!processorHas(isa))
        isa = static_cast<VectorIsa>(static_cast<int>(isa) - 1);
    const RowLoop rowLoop = rowLoopFor(isa);

    const BandPlan plan = planBands(sorted, t.count, w);
    // Waking a helper costs some tens of microseconds: small scenes run in the caller alone.
    // The bands and their order are the same either way.
    const long long images = static_cast<long long>(t.sources.size()) * t.count * t.count * t.count;
    const int threads = options.inCaller ? -1 : images < kSmallestParallelWork ? 1 : options.maxThreads;
    accumulateBands(plan, rowLoop, threads);
    sumBands(plan, out, threads);

    const auto finite = [](const std::vector<double>& h) {
        return std::all_of(h.begin(), h.end(), [](double v) { return std::isfinite(v); });
    };
    if (!std::all_of(out.sources.begin(), out.sources.end(), finite))
        accumulateImpulseResponsesReference(scene, out, seat);
}

} // namespace kolmarin::detail
