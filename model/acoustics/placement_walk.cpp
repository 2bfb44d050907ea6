#include "model/acoustics/placement_walk.h"

#include <algorithm>
#include <optional>

namespace kolmarin::detail {

namespace {

// Spreads one search may hold (about 100 bytes each); only rooms far beyond a listening
// room's size get there, and their walks then end where they stand.
constexpr std::size_t kMostSpreads = 400000;

struct Walker {
    Candidate here;
    int step;
    bool surrounding = false;
    bool finished = false;
};

// One walker's move after its neighbours `around` were evaluated: to the best that
// improves, else a finer step, else the surrounding points, else the end.
void move(Walker& w, const std::vector<Lattice>& around, PlacementEvaluator& evaluator) {
    std::optional<Candidate> next;
    for (const Lattice& v : around)
        if (const auto value = evaluator.valueOf(v)) {
            const Candidate c{v, *value};
            if (better(c, next ? *next : w.here))
                next = c;
        }
    if (next) {
        w.here = *next;
        w.surrounding = false;
    } else if (w.step > 1) {
        w.step /= 2;
    } else if (!w.surrounding) {
        w.surrounding = true;
    } else {
        w.finished = true;
    }
}

} // namespace

void walkDown(const std::vector<Candidate>& seeds, int gridStep, const SearchLattice& lattice,
              PlacementEvaluator& evaluator, std::stop_token stop) {
    std::vector<Walker> walkers;
    for (const Candidate& seed : seeds)
        walkers.push_back({seed, std::max(1, gridStep / 2)});
    while (!stop.stop_requested() && evaluator.spreadCount() < kMostSpreads) {
        std::vector<std::vector<Lattice>> around(walkers.size());
        std::vector<Lattice> all;
        for (std::size_t i = 0; i < walkers.size(); ++i)
            if (!walkers[i].finished) {
                around[i] = lattice.neighbours(walkers[i].here.at, walkers[i].step, walkers[i].surrounding);
                all.insert(all.end(), around[i].begin(), around[i].end());
            }
        if (all.empty())
            break;
        evaluator.evaluate(all);
        if (stop.stop_requested())
            break;
        for (std::size_t i = 0; i < walkers.size(); ++i)
            if (!walkers[i].finished)
                move(walkers[i], around[i], evaluator);
    }
}

} // namespace kolmarin::detail
