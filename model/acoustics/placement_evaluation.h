#pragma once
// The evaluation step of a placement search: the spread at each place, computed once on
// the search's own workers and kept, and the objective of a lattice point from them; the
// progress is counted here, one spread at a time. With more than one seat, a place's
// "spread" is the score of every seat's figures (placement_seats.h), and a lattice point's
// objective is that score at the point itself, whatever objective was asked.

#include "model/acoustics/listening_area.h"
#include "model/acoustics/placement.h"
#include "model/acoustics/placement_lattice.h"
#include "model/acoustics/placement_seats.h"
#include "model/acoustics/scene.h"
#include "model/acoustics/spread.h"
#include "model/acoustics/worker_pool.h"

#include <array>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <stop_token>
#include <vector>

namespace kolmarin::detail {

struct Candidate {
    Lattice at;
    double value; // the objective, dB
};

// Lowest first; equal values in lattice order, so the order never depends on which worker
// finished first.
bool better(const Candidate& a, const Candidate& b);

// The nine places of a placement's listening area, the placement itself among them.
std::vector<Placement> areaOf(const Placement& p);

class PlacementEvaluator {
  public:
    // Spreads over `band` of placements in `scene`, which must outlive the evaluator, as
    // must `lattice` and `progress`.
    PlacementEvaluator(const Scene& scene, const SearchLattice& lattice, Objective objective, Band band,
                       const std::function<void(SearchProgress)>& progress, std::stop_token stop);

    // Computes the spreads of `places` not yet known, side by side on the workers.
    void computeSpreads(const std::vector<Placement>& places);
    // The objective of each of `points` whose spreads are known once they are computed.
    std::vector<Candidate> evaluate(const std::vector<Lattice>& points);
    // The objective of a lattice point whose spreads are known; nothing for unknown ones
    // (a failed calculation, a stop).
    std::optional<double> valueOf(const Lattice& v);
    // The figures of a placement's listening area; nothing when its own spread is unknown.
    std::optional<AreaFigures> figuresOf(const Placement& p) const;
    // Whether the objective is every seat's; the figures of a place then, if known.
    bool allSeats() const { return allSeats_; }
    std::optional<BassFigures> seatFiguresOf(const Placement& p) const;

    // Every lattice point evaluated so far, with its objective if it is known.
    const std::map<Lattice, std::optional<double>>& values() const { return values_; }
    std::size_t spreadCount() const { return spreads_.size(); }
    long long calculations() const { return done_; }
    // Spreads a lattice point's objective takes.
    int placesPerPoint() const { return objective_ == Objective::Area && !allSeats_ ? 3 : 1; }
    // The progress estimate expects `more` spreads from here on.
    void expect(long long more) { planned_ = done_ + more; }

  private:
    // A spread's place: both loudspeakers and the listener in the plan (heights never move).
    using SpreadKey = std::array<double, 6>;
    static SpreadKey keyOf(const Placement& p);

    std::vector<Placement> placesOf(const Lattice& v) const;
    std::optional<double> knownSpread(const Placement& p) const;
    void runTasks(int count, const std::function<void(int)>& task);
    void counted();

    const Scene& scene_;
    const SearchLattice& lattice_;
    const Objective objective_;
    const bool allSeats_;
    const Band band_;
    const std::function<void(SearchProgress)>& progress_;
    std::stop_token stop_;
    // Workers of its own, one per hardware thread: the window's calculations use the shared
    // pool and never wait for a search.
    WorkerPool workers_;
    std::map<SpreadKey, double> spreads_;             // NaN where the calculation fails
    std::map<SpreadKey, BassFigures> seatFigures_;    // with several seats, where it succeeds
    std::map<Lattice, std::optional<double>> values_; // the objective; nothing if unknown

    std::mutex mutex_;
    long long done_ = 0;
    long long planned_ = 1;
    const std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastReport_;
};

} // namespace kolmarin::detail
