#pragma once
// The subwoofer optimiser's own view of the spectra: gains from tables, scores without
// allocation, and the block step the search is made of (one subwoofer's best settings on a
// grid with the others held).

#include "model/acoustics/subwoofer_optimiser.h"

#include <atomic>

namespace kolmarin {

// A subwoofer on the grids: level step (0: 0 dB .. kSubwooferLevelSteps - 1: -12 dB), delay
// step, polarity. With the subwoofers alone a step tried may lie outside the grids (louder
// than 0 dB, before 0 ms) until the set is shifted back onto them.
struct Tuned {
    int candidate = 0;
    int level = 0;
    int delay = 0;
    bool inverted = false;
};

struct TunedSet {
    std::vector<Tuned> subs; // in the order of their candidates
    double score = 0.0;
};

// The steps a block tries: every levelStep-th level, every delayStep-th delay.
struct SearchGrid {
    int levelStep = 1;
    int delayStep = 1;
};

// One thread's scratch space.
struct SearchWork {
    std::vector<Complex> base, total, subs, eq;
    std::vector<double> levels, away;
};

class SubwooferSearch {
  public:
    SubwooferSearch(const SubwooferSpectra& spectra, const OptimiserOptions& options);

    bool alone() const { return alone_; }
    // Whether scores rank dips above peaks (an EQ is fitted afterwards).
    bool proxy() const { return proxy_; }
    const SubwooferSpectra& spectra() const { return s_; }
    const OptimiserOptions& options() const { return o_; }

    // out += gain(t) * spectrum of t's candidate.
    void add(std::vector<Complex>& out, const Tuned& t) const;
    // The subwoofers but `skip` (-1: none), in order, plus the fixed spectra when `withFixed`.
    void sum(std::vector<Complex>& out, const std::vector<Tuned>& subs, int skip,
             bool withFixed = true) const;

    // The score of the seats' Total `total` of `subs`; `offset`, if given, gets the mean's
    // offset from the target level (NaN without one).
    double score(const std::vector<Complex>& total, const std::vector<Tuned>& subs, bool proxy, SearchWork& w,
                 double* offset = nullptr);
    double score(const std::vector<Tuned>& subs, bool proxy, SearchWork& w);

    // Subwoofer k of `set` given the best of its settings on `grid` with the others held
    // (set.score must be the set's score); whether it changed.
    bool block(TunedSet& set, std::size_t k, SearchGrid grid, SearchWork& w);
    // Every subwoofer's level moved alike and every polarity turned (with the main
    // loudspeakers only, where such a change matters); whether it changed.
    bool together(TunedSet& set, SearchWork& w);
    // Configurations a block on `grid` tries, at most.
    long long blockSize(SearchGrid grid) const;

    std::atomic<long long> evaluated{0};

  private:
    const SubwooferSpectra& s_;
    const OptimiserOptions& o_;
    int points_, seats_, delaySteps_;
    bool alone_, proxy_;
    std::vector<double> target_;
    std::optional<double> targetLevel_;
    std::vector<Complex> phasors_;   // [(delay step + delaySteps_) * points + point]
    std::vector<double> amplitudes_; // [level step + kSubwooferLevelSteps - 1]
    void (*decibels_)(const Complex* z, double* out, std::size_t n); // out = 10 log10 |z|²
};

// With the subwoofers alone: the set shifted back onto the grids, its loudest at 0 dB and
// its earliest at 0 ms.
void shiftBack(std::vector<Tuned>& subs);

} // namespace kolmarin
