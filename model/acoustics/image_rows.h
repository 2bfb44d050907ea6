#pragma once
// The inner work of the fast image-source accumulation: for one source, every image
// (a, b, c) of a band of rows a, added into one impulse response. Each instruction set
// has its own entry point, compiled in its own file with its own options; the caller
// picks one at run time.

#include <cstdint>

namespace kolmarin::detail {

// A band's response has the samples 0..8000 of the impulse response and spare ones above.
// Images within 8001 samples are added at their rounded delay, so one rounded up to 8001
// lands on the spare sample kOverflowSample, which the caller adds to sample 8000. Images
// farther than that arrive after sample 8000 whatever the rounding; their amplitudes are
// summed apart and added at sample 8000 too. Lanes that carry nothing point at the spare
// samples from kSpareSample on, which are never read.
inline constexpr int kLateSample = 8000;
inline constexpr int kOverflowSample = 8001;
inline constexpr int kSpareSample = 8002;
inline constexpr int kBandStride = 8016;
// A band's response is kept in this many copies, kBandStride apart; lane l of a block
// adds into copy l % kResponseCopies. Neighbouring images of a row often share a sample,
// and one copy would chain their additions through memory.
inline constexpr int kResponseCopies = 2;
// The squared delay, in samples, beyond which an image certainly arrives after sample 8000.
inline constexpr double kClampedSquare = 8001.0 * 8001.0;

// Table lengths are rounded up to this many entries so the widest vectors need no tail.
inline constexpr int kRowPadding = 8;

// One source's axis tables, each axis sorted by ascending squared distance with its
// reflection factors carried along. Distances are in samples: the squared components
// hold K^2 X^2 etc., so one image's three entries sum to its squared delay (K r)^2.
// z and rz run to `padded` entries; the padding repeats the last z with factor 0, so it
// adds exactly nothing. rz carries the factor K that turns 1/(K r) into 1/r.
// y and ry run to padded + kRowPadding entries, the padding with factor 0.
//
// A row (a, b) whose nearest image already arrives after sample 8000 adds, at sample 8000,
// rx[a] ry[b] F(xy) with xy = x[a] + y[b] and F(xy) = sum_c rz[c] / sqrt(xy + z[c]).
// F is smooth for positive xy; `late` gives it as F(xy) = G(v) / sqrt(xy) with
// v = zScale / xy and G a Chebyshev series in v over [0, vSpan], so such a row costs a
// few vector operations instead of 2N + 1 square roots.
struct LateRowSeries {
    int degree = -1; // -1: no series, every row is summed image by image
    double zScale = 0.0;
    double vSpan = 0.0;
    const double* coefficients = nullptr; // degree + 1 of them
};

struct SortedImageTables {
    int count = 0;
    int padded = 0;
    const double* x = nullptr;
    const double* rx = nullptr;
    const double* y = nullptr;
    const double* ry = nullptr;
    const double* z = nullptr;
    const double* rz = nullptr;
    LateRowSeries late;
};

// Rows a in [firstA, endA) of the sorted x table, all b and c, added into `response`,
// which has kResponseCopies copies of kBandStride samples (their sum is the band's
// response). `values` and `delays` are scratch space of at least
// 2 * tables->padded entries each. The caller guarantees that no image lies at distance
// 0 and that every sum and product stays far inside the range of a double.
struct RowBand {
    const SortedImageTables* tables = nullptr;
    int firstA = 0;
    int endA = 0;
    double* response = nullptr;
    double* values = nullptr;
    std::uint32_t* delays = nullptr;
};

void accumulateRowsAvx512(const RowBand& band);
void accumulateRowsAvx2(const RowBand& band);
void accumulateRowsBaseline(const RowBand& band);

} // namespace kolmarin::detail
