#pragma once
// The row loop of the fast image-source accumulation, written once over a vector type
// and included by the image_rows_*.cpp files, each compiled for its own instruction set.
// Everything here has internal linkage and uses no library templates, so no copy built
// for a wider instruction set can stand in for another file's copy at link time.
//
// An Ops type supplies the vector type V (doubles) with its lane count kWidth, the
// integer type VI of the same lanes (64-bit) and these operations:
//   fma(a, b, c) = a*b + c
//   reciprocalRoot(x) = 1/sqrt(x), to full double precision
//   rootAndReciprocal(x, root, reciprocal): sqrt(x) and 1/sqrt(x)
//   nearestIndices(x): x rounded to the nearest integers, halves to even, as 32-bit lanes

#include "model/acoustics/image_rows.h"

#include <cstdint>
#include <cstring>

namespace kolmarin::detail {
namespace {

template <class V> V loadVector(const double* p) {
    V v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <class V> void storeVector(void* p, V v) {
    std::memcpy(p, &v, sizeof v);
}

// One correction of an estimate u of 1/sqrt(x) with relative error below 2^-11: with
// e = 1 - x u^2, 1/sqrt(x) = u (1 - e)^(-1/2) = u (1 + e/2 + 3e^2/8 + 5e^3/16 + ...),
// so the terms up to e^3 leave an error below 0.3 e^4.
template <class Ops> typename Ops::V refinedReciprocalRoot(typename Ops::V u, typename Ops::V x) {
    using V = typename Ops::V;
    const V e = Ops::fma(-(x * u), u, V{} + 1.0);
    const V p = Ops::fma(Ops::fma(e, V{} + 0.3125, V{} + 0.375), e, V{} + 0.5);
    return Ops::fma(u * e, p, u);
}

// The delays and amplitudes of a row wait in one of two scratch rows and are added into
// the response while the next row is computed, one block of additions per block of
// images, so the scalar additions run beside the vector work instead of after it.
// Lanes past a row's last early image point at spare samples that are never read.
template <int Width> struct RowScatter {
    double* response;
    double* rowValues[2];
    std::uint32_t* rowDelays[2];
    int current = 0;    // the scratch row being filled
    int pending = 0;    // next waiting entry of the other scratch row
    int pendingEnd = 0; // end of its waiting entries, a whole number of blocks

    RowScatter(const RowBand& band, int padded) : response(band.response) {
        rowValues[0] = band.values;
        rowValues[1] = band.values + padded;
        rowDelays[0] = band.delays;
        rowDelays[1] = band.delays + padded;
    }

    double* values() const { return rowValues[current]; }
    std::uint32_t* delays() const { return rowDelays[current]; }

    // Adds one waiting block of the previous row, if any is left.
    [[gnu::always_inline]] void scatterBlock() {
        if (pending < pendingEnd) {
            const double* v = rowValues[current ^ 1] + pending;
            const std::uint32_t* d = rowDelays[current ^ 1] + pending;
            // Two 32-bit sample indices per 64-bit load: loads, not arithmetic, limit this
            // loop.
#pragma GCC unroll 4
            for (int l = 0; l < Width; l += 2) {
                std::uint64_t pair;
                std::memcpy(&pair, d + l, sizeof pair);
                response[(l % kResponseCopies) * kBandStride + static_cast<std::uint32_t>(pair)] += v[l];
                response[((l + 1) % kResponseCopies) * kBandStride + (pair >> 32)] += v[l + 1];
            }
            pending += Width;
        }
    }

    // The row just filled waits while the next one is computed. A row has as many blocks
    // as the previous one can have waiting entries, so nothing is left of that one now.
    [[gnu::always_inline]] void finishRow(int rowEnd) {
        current ^= 1;
        pending = 0;
        pendingEnd = rowEnd;
    }

    void drain() {
        while (pending < pendingEnd)
            scatterBlock();
    }
};

// The images of rows `fromB`..`count` of row a (xa, ra), whose nearest images already
// arrive after sample 8000, summed by the late-row series into `late`, lane by lane.
template <class Ops>
[[gnu::always_inline]] inline void sumLateRowsBySeries(const LateRowSeries& series, const double* yTable,
                                                       const double* ryTable, double xa, double ra, int fromB,
                                                       int count, typename Ops::V zScale,
                                                       typename Ops::V spanScale, typename Ops::V& late) {
    using V = typename Ops::V;
    constexpr int kWidth = Ops::kWidth;
    const V zero{};
    for (int ib = fromB; ib < count; ib += kWidth) {
        const V xy = (zero + xa) + loadVector<V>(yTable + ib);
        const V rab = (zero + ra) * loadVector<V>(ryTable + ib);
        const V u = Ops::reciprocalRoot(xy);
        // v = zScale / xy, mapped onto [-1, 1], then Clenshaw's recurrence.
        const V tv = Ops::fma((zScale * u) * u, spanScale, zero - 1.0);
        const V t2 = tv + tv;
        V b1 = zero, b2 = zero;
        for (int k = series.degree; k >= 1; --k) {
            const V b0 = Ops::fma(t2, b1, (zero + series.coefficients[k]) - b2);
            b2 = b1;
            b1 = b0;
        }
        const V g = Ops::fma(tv, b1, (zero + series.coefficients[0]) - b2);
        late = Ops::fma(rab, g * u, late);
    }
}

// The images of one row (a, b) image by image: those before `cut` lie within 8001 samples
// and wait in the scatter's current scratch row for their samples, the others are summed
// into the returned lanes for sample 8000. Returns the end of the row's waiting entries
// through `rowEnd`.
template <class Ops>
[[gnu::always_inline]] inline typename Ops::V sumRowImages(const double* zTable, const double* rzTable,
                                                           int padded, int cut, typename Ops::V rowDistance,
                                                           typename Ops::V rowFactor, typename Ops::VI lane,
                                                           RowScatter<Ops::kWidth>& scatter, int& rowEnd) {
    using V = typename Ops::V;
    using VI = typename Ops::VI;
    constexpr int kWidth = Ops::kWidth;
    const V zero{};
    double* const outValues = scatter.values();
    std::uint32_t* const outDelays = scatter.delays();
    V rowLate = zero;
    int i = 0;
    // Images before the cut lie within 8001 samples, so their rounded delays need no
    // clamp: one at 8001 lands on the spare sample that joins sample 8000 later.
    const int fullBlocksEnd = cut - cut % kWidth;
    for (; i < fullBlocksEnd; i += kWidth) {
        V root, reciprocal;
        Ops::rootAndReciprocal(rowDistance + loadVector<V>(zTable + i), root, reciprocal);
        storeVector(outDelays + i, Ops::nearestIndices(root));
        storeVector(outValues + i, rowFactor * (loadVector<V>(rzTable + i) * reciprocal));
        scatter.scatterBlock();
    }
    if (i < cut) {
        // The block that straddles the cut: its early lanes are scattered like the
        // others, its late lanes join the sum for sample 8000 instead.
        V root, reciprocal;
        Ops::rootAndReciprocal(rowDistance + loadVector<V>(zTable + i), root, reciprocal);
        const V weight = loadVector<V>(rzTable + i) * reciprocal;
        storeVector(outDelays + i, Ops::nearestIndices(root));
        storeVector(outValues + i, rowFactor * weight);
        for (int l = cut - i; l < kWidth; ++l)
            outDelays[i + l] = kSpareSample + l;
        const VI lateLane = (lane + i) >= (VI{} + cut);
        rowLate += lateLane ? weight : zero;
        scatter.scatterBlock();
        i += kWidth;
    }
    rowEnd = i;
    for (; i < padded; i += kWidth) {
        const V x = rowDistance + loadVector<V>(zTable + i);
        rowLate = Ops::fma(loadVector<V>(rzTable + i), Ops::reciprocalRoot(x), rowLate);
        scatter.scatterBlock();
    }
    return rowLate;
}

template <class Ops> void accumulateBand(const RowBand& band) {
    using V = typename Ops::V;
    using VI = typename Ops::VI;
    constexpr int kWidth = Ops::kWidth;

    // Local copies of the table pointers: the stores into the scratch rows could alias the
    // table record as far as the compiler knows, and it would reload them every block.
    const SortedImageTables& t = *band.tables;
    const int count = t.count;
    const int padded = t.padded;
    const double* const xTable = t.x;
    const double* const rxTable = t.rx;
    const double* const yTable = t.y;
    const double* const ryTable = t.ry;
    const double* const zTable = t.z;
    const double* const rzTable = t.rz;
    const LateRowSeries& series = t.late;
    RowScatter<kWidth> scatter(band, padded);

    const V zero{};
    VI lane{};
    for (int l = 0; l < kWidth; ++l)
        lane[l] = l;
    const V zScale = zero + series.zScale;
    const V spanScale = zero + 2.0 / series.vSpan;

    // Amplitudes of the images that arrive after sample 8000, summed lane by lane.
    V late = zero;
    int firstRowCut = padded;
    int fullyLate = count;
    for (int ia = band.firstA; ia < band.endA; ++ia) {
        const double xa = xTable[ia];
        const double ra = rxTable[ia];
        // Both x and y ascend, so `cut`, the number of images of a row that may arrive by
        // sample 8001, only decreases along a band; images from `cut` on arrive later.
        // Likewise the rows from `fullyLate` on, whose nearest image is already late, form
        // the end of every later a as well; the series sums them.
        while (firstRowCut > 0 && (xa + yTable[0]) + zTable[firstRowCut - 1] > kClampedSquare)
            --firstRowCut;
        int directRowsEnd = count;
        if (series.degree >= 0) {
            while (fullyLate > 0 && (xa + yTable[fullyLate - 1]) + zTable[0] > kClampedSquare)
                --fullyLate;
            directRowsEnd = fullyLate;
            sumLateRowsBySeries<Ops>(series, yTable, ryTable, xa, ra, fullyLate, count, zScale, spanScale,
                                     late);
        }
        int cut = firstRowCut;
        for (int ib = 0; ib < directRowsEnd; ++ib) {
            const double xy = xa + yTable[ib];
            while (cut > 0 && xy + zTable[cut - 1] > kClampedSquare)
                --cut;
            const double rab = ra * ryTable[ib];
            // A row with a silent wall adds exact zeros: skipping it changes nothing.
            if (rab == 0.0)
                continue;
            const V rowFactor = zero + rab;
            int rowEnd = 0;
            const V rowLate =
                sumRowImages<Ops>(zTable, rzTable, padded, cut, zero + xy, rowFactor, lane, scatter, rowEnd);
            late = Ops::fma(rowFactor, rowLate, late);
            scatter.finishRow(rowEnd);
        }
    }
    scatter.drain();
    double lateSum = 0.0;
    for (int l = 0; l < kWidth; ++l)
        lateSum += late[l];
    band.response[kLateSample] += lateSum;
}

// A square root and a division, exact to the last bit: for the baseline, and for AVX2,
// where the divider outruns an estimate and its refinements.
template <class Base> struct ExactRoot : Base {
    using V = typename Base::V;
    static V reciprocalRoot(V x) { return (V{} + 1.0) / Base::sqrt(x); }
    static void rootAndReciprocal(V x, V& root, V& reciprocal) {
        root = Base::sqrt(x);
        reciprocal = (V{} + 1.0) / root;
    }
};

} // namespace
} // namespace kolmarin::detail
