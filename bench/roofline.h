#pragma once
// The roofline of the image-source loop: per image one square root and one division,
// summed so nothing is dropped, the squared distances coming from a row constant and a
// table as in the real loop, with the widest vectors the processor has, on the pool's
// threads. What a loop bound by them would take.
#include "model/acoustics/worker_pool.h"
#include "model/cpu_features.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include <algorithm>
#include <cmath>
#include <vector>

namespace kolmarin::bench {

#if defined(__x86_64__)
// Roofline: per image, one square root and one division, summed so nothing is dropped;
// the squared distances come from a row constant and a table as in the real loop. (The
// zero-masked AVX-512 forms avoid GCC 12's warning about the plain ones' undefined input.)
__attribute__((target("avx512f"))) inline double
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

__attribute__((target("avx2"))) inline double
rootsAndQuotientsAvx2(const double* rows, int rowCount, const double* z, const double* w, int count) {
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

inline double rootsAndQuotientsScalar(const double* rows, int rowCount, const double* z, const double* w,
                                      int count) {
    double sum = 0.0;
    for (int r = 0; r < rowCount; ++r)
        for (int i = 0; i < count; ++i)
            sum += w[i] / std::sqrt(rows[r] + z[i]);
    return sum;
}

// `rows` rows of `count` images each.
class Roofline {
  public:
    Roofline(long long rows, int count) : rows_(rows), count_(count) {
        const int padded = (count + 15) / 16 * 16;
        // The row constants repeat: a table of them stands for any number of rows.
        rowValues_.resize(static_cast<std::size_t>(std::min<long long>(rows, 1 << 16)));
        for (std::size_t r = 0; r < rowValues_.size(); ++r)
            rowValues_[r] = 1.0 + 0.37 * static_cast<double>(r % 977);
        z_.resize(static_cast<std::size_t>(padded));
        w_.resize(static_cast<std::size_t>(padded));
        for (int i = 0; i < padded; ++i) {
            z_[static_cast<std::size_t>(i)] = 0.25 + 2.4 * i * i;
            w_[static_cast<std::size_t>(i)] = i < count ? 0.9 : 0.0;
        }
#if defined(__x86_64__)
        kernel_ = processorHasAvx512() ? rootsAndQuotientsAvx512
                  : processorHasAvx2() ? rootsAndQuotientsAvx2
                                       : rootsAndQuotientsScalar;
#endif
    }

    // Every row once, spread over up to maxThreads threads (0: all).
    double run(int maxThreads) {
        WorkerPool& pool = WorkerPool::shared();
        const int parts = maxThreads > 0 ? std::min(maxThreads, pool.size()) : pool.size();
        std::vector<double> sums(static_cast<std::size_t>(parts));
        pool.run(
            parts,
            [&](int p) {
                long long row = rows_ * p / parts;
                const long long end = rows_ * (p + 1) / parts;
                const long long table = static_cast<long long>(rowValues_.size());
                while (row < end) {
                    const long long first = row % table;
                    const long long take = std::min(end - row, table - first);
                    sums[static_cast<std::size_t>(p)] += kernel_(
                        rowValues_.data() + first, static_cast<int>(take), z_.data(), w_.data(), count_);
                    row += take;
                }
            },
            parts);
        double total = 0.0;
        for (double s : sums)
            total += s;
        return total;
    }

  private:
    long long rows_;
    int count_;
    std::vector<double> rowValues_, z_, w_;
    double (*kernel_)(const double*, int, const double*, const double*, int) = rootsAndQuotientsScalar;
};

} // namespace kolmarin::bench
