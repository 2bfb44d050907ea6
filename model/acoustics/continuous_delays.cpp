#include "model/acoustics/continuous_delays.h"

#include "model/acoustics/image_tables.h"
#include "model/acoustics/worker_pool.h"
#include "model/cpu_features.h"
#include "model/errors.h"
#include "model/fft/fft.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <numeric>
#include <tuple>
#include <utility>

#if defined(KOLMARIN_X86_ROW_LOOPS)
#include <immintrin.h>
#endif

namespace kolmarin::detail {

namespace {

// The grids span the same 2 s as the impulse response, so their transform has the same
// bins k/2 Hz. At half its rate (4096 samples of 1/2048 s) they serve the whole chart and
// the impulse responses, to 1024 Hz. A band that ends by 250 Hz takes a quarter of its rate
// (2048 samples): there the polynomial's error at the band's end is what it is at 500 Hz
// on the finer grids, and the grids, half as long, stay in the processor's nearest cache.
struct GridShape {
    int length;             // samples in 2 s, a power of two
    double samplesPerMetre; // at 344 m/s
};
constexpr GridShape kFineGrid{kTransformLength / 2, kSamplesPerMetre / 2};
constexpr GridShape kCoarseGrid{kTransformLength / 4, kSamplesPerMetre / 4};
constexpr int kLastCoarseBin = 500; // 250 Hz
constexpr int kDegree = 7;
constexpr int kGrids = kDegree + 1;

// Adding and taking away 1.5 * 2^52 rounds a double below 2^51 to a whole number, halves to
// even, without a library call.
constexpr double kRounder = 6755399441055744.0;

// c_p(k) at [k * kGrids + p] for k = 0 .. length / 2: the coefficients of the polynomial in
// d through e^(-j w d) at the eight Chebyshev points of [-1/2, 1/2], w = 2 pi k / length.
// Its error, below (w/2)^8 / (2^7 8!), is 1e-7 at w = 1.53 (the top of the chart on the fine
// grids, 250 Hz on the coarse ones) and 2e-8 at 500 Hz on the fine grids.
std::vector<Complex> coefficientTable(int length) {
    std::array<double, kGrids> nodes{};
    for (int i = 0; i < kGrids; ++i)
        nodes[static_cast<std::size_t>(i)] = 0.5 * std::cos((2 * i + 1) * std::numbers::pi / (2 * kGrids));
    // The inverse of the Vandermonde matrix V[i][p] = nodes[i]^p, by Gauss-Jordan
    // elimination with partial pivoting on [V | I].
    std::array<std::array<double, 2 * kGrids>, kGrids> m{};
    for (int i = 0; i < kGrids; ++i) {
        double power = 1.0;
        for (int p = 0; p < kGrids; ++p, power *= nodes[static_cast<std::size_t>(i)])
            m[i][p] = power;
        m[i][kGrids + i] = 1.0;
    }
    for (int col = 0; col < kGrids; ++col) {
        int pivot = col;
        for (int row = col + 1; row < kGrids; ++row)
            if (std::fabs(m[row][col]) > std::fabs(m[pivot][col]))
                pivot = row;
        std::swap(m[col], m[pivot]);
        const double scale = m[col][col];
        for (double& v : m[col])
            v /= scale;
        for (int row = 0; row < kGrids; ++row)
            if (row != col) {
                const double f = m[row][col];
                for (int j = 0; j < 2 * kGrids; ++j)
                    m[row][j] -= f * m[col][j];
            }
    }
    const int bins = length / 2 + 1;
    std::vector<Complex> c(static_cast<std::size_t>(bins * kGrids));
    for (int k = 0; k < bins; ++k) {
        const double w = 2.0 * std::numbers::pi * k / length;
        for (int p = 0; p < kGrids; ++p) {
            Complex sum{0.0, 0.0};
            for (int i = 0; i < kGrids; ++i) {
                const double phase = -w * nodes[static_cast<std::size_t>(i)];
                sum = sum + m[p][kGrids + i] * Complex{std::cos(phase), std::sin(phase)};
            }
            c[static_cast<std::size_t>(k * kGrids + p)] = sum;
        }
    }
    return c;
}

const std::vector<Complex>& polynomialCoefficients(GridShape shape) {
    static const std::vector<Complex> fine = coefficientTable(kFineGrid.length);
    static const std::vector<Complex> coarse = coefficientTable(kCoarseGrid.length);
    return shape.length == kFineGrid.length ? fine : coarse;
}

// One source's images along the c axis nearest first, so a row's delays rise and its
// additions walk through the grids in order, with the sums of the factors' magnitudes from
// each place on: a row's images from place i on weigh at most |weight| tail[i] / r_i. The
// tables run on to a whole number of blocks with images of no weight.
constexpr int kBlock = 16;

struct SortedAxis {
    std::vector<double> factor, square, tail;
};

SortedAxis sortByDistance(const std::vector<double>& factor, const std::vector<double>& square) {
    std::vector<int> order(factor.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return square[static_cast<std::size_t>(a)] < square[static_cast<std::size_t>(b)];
    });
    SortedAxis s;
    for (int i : order) {
        s.factor.push_back(factor[static_cast<std::size_t>(i)]);
        s.square.push_back(square[static_cast<std::size_t>(i)]);
    }
    s.tail.assign(order.size() + 1, 0.0);
    for (std::size_t i = order.size(); i-- > 0;)
        s.tail[i] = s.tail[i + 1] + std::fabs(s.factor[i]);
    const std::size_t padded = (order.size() + kBlock - 1) / kBlock * kBlock;
    s.factor.resize(padded, 0.0);
    s.square.resize(padded, 1.0);
    return s;
}

// One sample of the grids: the eight of them side by side in one cache line, so an image
// is one vector addition.
constexpr int kStride = 8;
using Line = double __attribute__((vector_size(kStride * sizeof(double))));
constexpr std::uintptr_t kLineBytes = sizeof(Line); // its alignment, whatever the compiler's largest

// Adds images 0 .. end - 1 of one row, each weight / r at its delay: its weight times
// d^p into grid p at its nearest sample, wrapped into the grids' length. A block's
// distances, weights and powers are worked out side by side (the loop has no branch and
// a fixed length, so it runs in vectors), then added into the grids one image at a time.
// After adding 1.5 * 2^52, the low bits of a double hold its value rounded to a whole
// number, so they give the sample wrapped, with no conversion.
void addRow(double xy2, double weight, const double* factor, const double* square, int end, GridShape shape,
            Line* grid) {
    alignas(64) double terms[kGrids][kBlock];
    alignas(64) std::uint64_t sample[kBlock];
    for (int first = 0; first < end; first += kBlock) {
        for (int l = 0; l < kBlock; ++l) {
            const double r = std::sqrt(xy2 + square[first + l]);
            const double u = r * shape.samplesPerMetre;
            const double shifted = u + kRounder;
            const double d = u - (shifted - kRounder);
            sample[l] = std::bit_cast<std::uint64_t>(shifted) & static_cast<std::uint64_t>(shape.length - 1);
            terms[0][l] = weight * factor[first + l] / r;
            for (int p = 1; p < kGrids; ++p)
                terms[p][l] = terms[p - 1][l] * d;
        }
        const int count = std::min(kBlock, end - first);
        for (int l = 0; l < count; ++l)
            grid[sample[l]] += Line{terms[0][l], terms[1][l], terms[2][l], terms[3][l],
                                    terms[4][l], terms[5][l], terms[6][l], terms[7][l]};
    }
}

#if defined(KOLMARIN_X86_ROW_LOOPS)
// The same with AVX2, four images at a time: the same operations in the same order, so the
// same bits. The eight powers come out one register per power, four images side by side;
// two 4 x 4 transposes turn them into the halves of each image's line.
__attribute__((target("avx2"))) void transpose(__m256d a, __m256d b, __m256d c, __m256d d, __m256d* out) {
    const __m256d t0 = _mm256_unpacklo_pd(a, b), t1 = _mm256_unpackhi_pd(a, b);
    const __m256d t2 = _mm256_unpacklo_pd(c, d), t3 = _mm256_unpackhi_pd(c, d);
    out[0] = _mm256_permute2f128_pd(t0, t2, 0x20);
    out[1] = _mm256_permute2f128_pd(t1, t3, 0x20);
    out[2] = _mm256_permute2f128_pd(t0, t2, 0x31);
    out[3] = _mm256_permute2f128_pd(t1, t3, 0x31);
}

__attribute__((target("avx2"))) void addRowAvx2(double xy2, double weight, const double* factor,
                                                const double* square, int end, GridShape shape, Line* grid) {
    alignas(32) std::uint64_t offset[4]; // bytes from sample 0
    const __m256d rounder = _mm256_set1_pd(kRounder);
    const __m256i mask = _mm256_set1_epi64x(shape.length - 1);
    const __m256d samplesPerMetre = _mm256_set1_pd(shape.samplesPerMetre);
    const __m256d w = _mm256_set1_pd(weight);
    char* const bytes = reinterpret_cast<char*>(grid);
    for (int first = 0; first < end; first += 4) {
        const __m256d r = _mm256_sqrt_pd(_mm256_add_pd(_mm256_set1_pd(xy2), _mm256_loadu_pd(square + first)));
        const __m256d u = _mm256_mul_pd(r, samplesPerMetre);
        const __m256d shifted = _mm256_add_pd(u, rounder);
        const __m256d d = _mm256_sub_pd(u, _mm256_sub_pd(shifted, rounder));
        const __m256i sample = _mm256_and_si256(_mm256_castpd_si256(shifted), mask);
        _mm256_store_si256(reinterpret_cast<__m256i*>(offset), _mm256_slli_epi64(sample, 6));
        __m256d p[kGrids];
        p[0] = _mm256_div_pd(_mm256_mul_pd(w, _mm256_loadu_pd(factor + first)), r);
        for (int q = 1; q < kGrids; ++q)
            p[q] = _mm256_mul_pd(p[q - 1], d);
        __m256d low[4], high[4];
        transpose(p[0], p[1], p[2], p[3], low);
        transpose(p[4], p[5], p[6], p[7], high);
        for (int l = 0; l < std::min(4, end - first); ++l) {
            double* line = reinterpret_cast<double*>(bytes + offset[l]);
            _mm256_store_pd(line, _mm256_add_pd(_mm256_load_pd(line), low[l]));
            _mm256_store_pd(line + 4, _mm256_add_pd(_mm256_load_pd(line + 4), high[l]));
        }
    }
}

// The same with AVX-512, eight images at a time: 1/r from a 14-bit estimate refined once to
// full precision (with e = 1 - x y^2, 1/sqrt(x) = y (1 + e/2 + 3e^2/8 + 5e^3/16 ...),
// leaving 0.3 e^4), so an image costs no square root and no division. The eight powers
// come out one register per power, eight images side by side; turned round (an 8 x 8
// transpose in three rounds of shuffles) they are one register per image, its line.
// GCC 12's shift intrinsics start from an undefined vector, which it warns of.
#if defined(__clang__)
#pragma clang diagnostic push
#else
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
__attribute__((target("avx512f,fma"))) void addRowAvx512(double xy2, double weight, const double* factor,
                                                         const double* square, int end, GridShape shape,
                                                         Line* grid) {
    alignas(64) std::uint64_t offset[8]; // bytes from sample 0
    const __m512d one = _mm512_set1_pd(1.0), rounder = _mm512_set1_pd(kRounder);
    const __m512i mask = _mm512_set1_epi64(shape.length - 1);
    const __m512d samplesPerMetre = _mm512_set1_pd(shape.samplesPerMetre);
    char* const bytes = reinterpret_cast<char*>(grid);
    // A row runs to a whole number of blocks: past its end lie images of no weight, or
    // images a pruned row could leave out but may as well take.
    for (int first = 0; first < end; first += 8) {
        const __m512d x = _mm512_add_pd(_mm512_set1_pd(xy2), _mm512_loadu_pd(square + first));
        const __m512d y = _mm512_maskz_rsqrt14_pd(0xFF, x);
        const __m512d e = _mm512_fnmadd_pd(_mm512_mul_pd(x, y), y, one);
        const __m512d p = _mm512_fmadd_pd(_mm512_fmadd_pd(e, _mm512_set1_pd(0.3125), _mm512_set1_pd(0.375)),
                                          e, _mm512_set1_pd(0.5));
        const __m512d inverse = _mm512_fmadd_pd(_mm512_mul_pd(y, e), p, y);
        const __m512d u = _mm512_mul_pd(_mm512_mul_pd(x, inverse), samplesPerMetre);
        const __m512d shifted = _mm512_add_pd(u, rounder);
        const __m512d d = _mm512_sub_pd(u, _mm512_sub_pd(shifted, rounder));
        const __m512i sample = _mm512_and_si512(_mm512_castpd_si512(shifted), mask);
        _mm512_store_si512(offset, _mm512_slli_epi64(sample, 6));
        const __m512d p0 =
            _mm512_mul_pd(_mm512_mul_pd(_mm512_set1_pd(weight), _mm512_loadu_pd(factor + first)), inverse);
        // The powers by squares, so each waits for three multiplications, not seven.
        const __m512d d2 = _mm512_mul_pd(d, d), d4 = _mm512_mul_pd(d2, d2);
        const __m512d p1 = _mm512_mul_pd(p0, d), p2 = _mm512_mul_pd(p0, d2), p3 = _mm512_mul_pd(p1, d2);
        const __m512d p4 = _mm512_mul_pd(p0, d4), p5 = _mm512_mul_pd(p1, d4), p6 = _mm512_mul_pd(p2, d4);
        const __m512d p7 = _mm512_mul_pd(p3, d4);
        // Pairs of powers of images 0, 2, 4, 6 (lo) and 1, 3, 5, 7 (hi), each in a quarter.
        const __m512d t0 = _mm512_unpacklo_pd(p0, p1), t1 = _mm512_unpackhi_pd(p0, p1);
        const __m512d t2 = _mm512_unpacklo_pd(p2, p3), t3 = _mm512_unpackhi_pd(p2, p3);
        const __m512d t4 = _mm512_unpacklo_pd(p4, p5), t5 = _mm512_unpackhi_pd(p4, p5);
        const __m512d t6 = _mm512_unpacklo_pd(p6, p7), t7 = _mm512_unpackhi_pd(p6, p7);
        // Quarters 0, 2 of the first and of the second register (0x88), or 1, 3 (0xDD).
        const __m512d s0 = _mm512_shuffle_f64x2(t0, t2, 0x88), s1 = _mm512_shuffle_f64x2(t0, t2, 0xDD);
        const __m512d s2 = _mm512_shuffle_f64x2(t1, t3, 0x88), s3 = _mm512_shuffle_f64x2(t1, t3, 0xDD);
        const __m512d r0 = _mm512_shuffle_f64x2(t4, t6, 0x88), r1 = _mm512_shuffle_f64x2(t4, t6, 0xDD);
        const __m512d r2 = _mm512_shuffle_f64x2(t5, t7, 0x88), r3 = _mm512_shuffle_f64x2(t5, t7, 0xDD);
        // The offsets are read back from memory: taken out of their register one by one,
        // they would cost the shuffles' port as much again.
        asm("" : "+m"(offset));
        *reinterpret_cast<Line*>(bytes + offset[0]) += Line(_mm512_shuffle_f64x2(s0, r0, 0x88));
        *reinterpret_cast<Line*>(bytes + offset[1]) += Line(_mm512_shuffle_f64x2(s2, r2, 0x88));
        *reinterpret_cast<Line*>(bytes + offset[2]) += Line(_mm512_shuffle_f64x2(s1, r1, 0x88));
        *reinterpret_cast<Line*>(bytes + offset[3]) += Line(_mm512_shuffle_f64x2(s3, r3, 0x88));
        *reinterpret_cast<Line*>(bytes + offset[4]) += Line(_mm512_shuffle_f64x2(s0, r0, 0xDD));
        *reinterpret_cast<Line*>(bytes + offset[5]) += Line(_mm512_shuffle_f64x2(s2, r2, 0xDD));
        *reinterpret_cast<Line*>(bytes + offset[6]) += Line(_mm512_shuffle_f64x2(s1, r1, 0xDD));
        *reinterpret_cast<Line*>(bytes + offset[7]) += Line(_mm512_shuffle_f64x2(s3, r3, 0xDD));
    }
}
#if defined(__clang__)
#pragma clang diagnostic pop
#else
#pragma GCC diagnostic pop
#endif
#endif

using RowAdder = void (*)(double, double, const double*, const double*, int, GridShape, Line*);

RowAdder rowAdder() {
#if defined(KOLMARIN_X86_ROW_LOOPS)
    if (processorHasAvx512())
        return addRowAvx512;
    if (processorHasAvx2())
        return addRowAvx2;
#endif
    return addRow;
}

// Adds every image of source `s` (but rows' tails too small to show) into the grids,
// interleaved per sample, which hold zeros; returns the bound on what it left out.
double accumulateSource(const AxisTables& t, std::size_t s, double rowLimit, GridShape shape, Line* grid) {
    const SourceTables& source = t.sources[s];
    const SortedAxis z = sortByDistance(t.rz, source.z2);
    const RowAdder add = rowAdder();
    double leftOut = 0.0;
    const int n = t.count;
    for (int a = 0; a < n; ++a)
        for (int b = 0; b < n; ++b) {
            const double weight = t.rx[static_cast<std::size_t>(a)] * t.ry[static_cast<std::size_t>(b)];
            const double xy2 =
                source.x2[static_cast<std::size_t>(a)] + source.y2[static_cast<std::size_t>(b)];
            int end = n;
            if (rowLimit > 0.0) {
                // The row stops at the first place whose bound is within the limit; the
                // bound falls along the row, each tail smaller and each image farther.
                const auto bound = [&](int i) {
                    return std::fabs(weight) * z.tail[static_cast<std::size_t>(i)] /
                           std::sqrt(xy2 + z.square[static_cast<std::size_t>(i)]);
                };
                // Mostly nothing can be left out: the row's last image alone is above it.
                int low = bound(n - 1) > rowLimit ? n : 0, high = n; // bound(n) == 0 <= limit
                while (low < high) {
                    const int middle = (low + high) / 2;
                    if (bound(middle) <= rowLimit)
                        high = middle;
                    else
                        low = middle + 1;
                }
                end = low;
                if (end < n)
                    leftOut += bound(end);
            }
            add(xy2, weight, z.factor.data(), z.square.data(), end, shape, grid);
        }
    return leftOut;
}

// The distance to the farthest corner of the box of a source's images: no image is farther.
double farthestImage(const SourceTables& source) {
    return std::sqrt(*std::max_element(source.x2.begin(), source.x2.end()) +
                     *std::max_element(source.y2.begin(), source.y2.end()) +
                     *std::max_element(source.z2.begin(), source.z2.end()));
}

// The first fault of the scene's images, as the whole-sample calculation raises it: a path
// of length zero divides by zero (0/0 where its factor is zero), a delay beyond the range
// the grids can wrap overflows. A squared length is zero only where all three of its
// non-negative parts are.
void checkPaths(const AxisTables& t) {
    for (const SourceTables& source : t.sources) {
        const auto zeroAt = [](const std::vector<double>& v) {
            return std::find(v.begin(), v.end(), 0.0) - v.begin();
        };
        const auto a = static_cast<std::size_t>(zeroAt(source.x2)),
                   b = static_cast<std::size_t>(zeroAt(source.y2)),
                   c = static_cast<std::size_t>(zeroAt(source.z2));
        if (a < source.x2.size() && b < source.y2.size() && c < source.z2.size())
            throw UserError(t.rx[a] * t.ry[b] * t.rz[c] == 0.0 ? msg::kInvalidOperation : msg::kZeroDivide);
        if (!(farthestImage(source) < kLongestContinuousPath))
            throw UserError(msg::kOverflow);
    }
}

// The grid samples a source's images can reach: up to the farthest corner of their box,
// rounded up, or the whole grids where they may wrap.
int usedSamples(const SourceTables& source, GridShape shape) {
    const double last = std::ceil(farthestImage(source) * shape.samplesPerMetre) + 1;
    return last < shape.length ? static_cast<int>(last) : shape.length;
}

// The spectrum of the grids, whose samples from `used` on are zeros: the sum over p of
// c_p(k) G_p(k), for k = 0 .. bins - 1. Two real grids go through one complex transform:
// G(k) = (Z(k) + conj Z(-k)) / 2 for the real part's grid and (Z(k) - conj Z(-k)) / 2j for
// the imaginary part's.
std::vector<Complex> spectrumOfGrids(const Line* grid, int used, int bins, GridShape shape) {
    thread_local std::vector<Complex> buffer(static_cast<std::size_t>(kFineGrid.length));
    const std::vector<Complex>& c = polynomialCoefficients(shape);
    const int length = shape.length;
    std::vector<Complex> spectrum(static_cast<std::size_t>(bins), Complex{0.0, 0.0});
    for (int q = 0; q < kGrids / 2; ++q) {
        for (int n = 0; n < used; ++n)
            buffer[static_cast<std::size_t>(n)] = {grid[static_cast<std::size_t>(n)][2 * q],
                                                   grid[static_cast<std::size_t>(n)][2 * q + 1]};
        std::fill(buffer.begin() + used, buffer.begin() + length, Complex{0.0, 0.0});
        forwardFft(buffer.data(), buffer.data(), length);
        for (int k = 0; k < std::min(bins, length / 2 + 1); ++k) {
            const Complex z = buffer[static_cast<std::size_t>(k)];
            const Complex m = buffer[static_cast<std::size_t>((length - k) & (length - 1))];
            const Complex even{0.5 * (z.re + m.re), 0.5 * (z.im - m.im)};
            const Complex odd{0.5 * (z.im + m.im), 0.5 * (m.re - z.re)};
            Complex& out = spectrum[static_cast<std::size_t>(k)];
            out = out + c[static_cast<std::size_t>(k * kGrids + 2 * q)] * even +
                  c[static_cast<std::size_t>(k * kGrids + 2 * q + 1)] * odd;
        }
    }
    return spectrum;
}

// What may be left out of source s's rows: 1e-9 of the direct sound's weight over all
// rows together.
double rowLimitOf(const AxisTables& t, std::size_t s) {
    if (t.count == 0)
        return 0.0;
    const SourceTables& source = t.sources[s];
    const auto middle = static_cast<std::size_t>(t.count / 2);
    const double direct = std::sqrt(source.x2[middle] + source.y2[middle] + source.z2[middle]);
    return 1e-9 / direct / (static_cast<double>(t.count) * t.count);
}

// The spectrum of sources first .. last - 1 added together, and the bound on what was
// left out of it.
std::pair<std::vector<Complex>, double> spectrumOfSources(const AxisTables& t, std::size_t first,
                                                          std::size_t last, int bins, bool prune) {
    // Lines on cache lines: a vector of vectors keeps no alignment beyond a double's.
    thread_local std::vector<double> storage(static_cast<std::size_t>((kFineGrid.length + 1) * kStride));
    Line* grid = reinterpret_cast<Line*>((reinterpret_cast<std::uintptr_t>(storage.data()) + kLineBytes - 1) &
                                         ~(kLineBytes - 1));
    // No image lies beyond the farthest corner of the images' box, so in a room whose
    // images all arrive within the grids' 2 s the samples after that one stay zeros.
    const GridShape shape = bins <= kLastCoarseBin + 1 ? kCoarseGrid : kFineGrid;
    int used = 0;
    for (std::size_t s = first; s < last; ++s)
        used = std::max(used, usedSamples(t.sources[s], shape));
    std::fill(grid, grid + used, Line{});
    double leftOut = 0.0;
    for (std::size_t s = first; s < last; ++s)
        leftOut += accumulateSource(t, s, prune ? rowLimitOf(t, s) : 0.0, shape, grid);
    if (!std::all_of(grid, grid + used, [](const Line& v) {
            return std::isfinite(v[0] + v[1] + v[2] + v[3] + v[4] + v[5] + v[6] + v[7]);
        }))
        throw UserError(msg::kOverflow);
    return {spectrumOfGrids(grid, used, bins, shape), leftOut};
}

} // namespace

ContinuousSpectra continuousSpectra(const Scene& scene, int seat, int bins, bool inCaller, bool prune,
                                    bool summed) {
    const AxisTables t = buildAxisTables(scene, seat);
    checkPaths(t);
    const std::size_t sources = scene.sources.size();
    ContinuousSpectra out;
    if (summed) {
        auto [spectrum, leftOut] = spectrumOfSources(t, 0, sources, bins, prune);
        out.sources.push_back(std::move(spectrum));
        out.leftOut.push_back(leftOut);
        return out;
    }
    out.sources.resize(sources);
    out.leftOut.assign(sources, 0.0);
    const auto task = [&](int index) {
        const auto s = static_cast<std::size_t>(index);
        std::tie(out.sources[s], out.leftOut[s]) = spectrumOfSources(t, s, s + 1, bins, prune);
    };
    if (inCaller || sources < 2) {
        for (std::size_t s = 0; s < sources; ++s)
            task(static_cast<int>(s));
    } else {
        WorkerPool::shared().run(static_cast<int>(sources), task);
    }
    return out;
}

bool leftOutMayShow(const std::vector<Complex>& spectrum, double leftOut, ElementRange range) {
    if (leftOut == 0.0)
        return false;
    double largest = 0.0;
    for (int j = range.first; j <= range.last; ++j) {
        const Complex z = spectrum[static_cast<std::size_t>(j)];
        largest = std::max(largest, std::hypot(z.re, z.im));
    }
    return !(leftOut <= 1e-7 * largest);
}

std::vector<double> impulseOfSpectrum(const std::vector<Complex>& spectrum) {
    // The inverse transform is the forward one of the conjugate, conjugated back; of a
    // spectrum with the mirror symmetry of a real response only the real part remains.
    // The spectrum ends at 1024 Hz; cut off there, each arrival would ring for the whole
    // 2 s (the response's start ringing on at its end). Flat to 600 Hz and falling as a
    // raised cosine to nothing at 1000 Hz, it rings for a few milliseconds.
    constexpr double kFlatHz = 600.0, kSilentHz = 1000.0;
    std::vector<Complex> buffer(kTransformLength);
    for (int k = 0; k < kTransformLength; ++k) {
        const bool mirrored = k >= kSpectrumBins;
        const int bin = mirrored ? kTransformLength - k : k;
        const double hz = bin * 0.5;
        const double taper =
            hz <= kFlatHz ? 1.0
            : hz >= kSilentHz
                ? 0.0
                : 0.5 * (1.0 + std::cos(std::numbers::pi * (hz - kFlatHz) / (kSilentHz - kFlatHz)));
        const Complex z = taper * spectrum[static_cast<std::size_t>(bin)];
        buffer[static_cast<std::size_t>(k)] = {z.re, mirrored ? z.im : -z.im};
    }
    forwardFft(buffer.data(), buffer.data(), kTransformLength);
    std::vector<double> impulse(kTransformLength);
    for (int n = 0; n < kTransformLength; ++n)
        impulse[static_cast<std::size_t>(n)] = buffer[static_cast<std::size_t>(n)].re / kTransformLength;
    return impulse;
}

} // namespace kolmarin::detail
