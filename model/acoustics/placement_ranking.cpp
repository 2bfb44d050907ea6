#include "model/acoustics/placement_ranking.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

namespace kolmarin::detail {

namespace {

bool distinct(const Placement& a, const Placement& b) {
    const double gaps[] = {a.sp1.x - b.sp1.x, a.sp1.y - b.sp1.y,           a.sp2.x - b.sp2.x,
                           a.sp2.y - b.sp2.y, a.listener.x - b.listener.x, a.listener.y - b.listener.y};
    return std::any_of(std::begin(gaps), std::end(gaps),
                       [](double g) { return std::fabs(g) >= kDistinctPlacement - kPlacementTolerance; });
}

} // namespace

std::vector<Candidate> rankedCandidates(const PlacementEvaluator& evaluator) {
    std::vector<Candidate> all;
    for (const auto& [at, value] : evaluator.values())
        if (value)
            all.push_back({at, *value});
    std::sort(all.begin(), all.end(), better);
    return all;
}

std::vector<Candidate> distinctBest(const std::vector<Candidate>& sorted, int count,
                                    const SearchLattice& lattice) {
    std::vector<Candidate> chosen;
    std::vector<Placement> placed;
    for (const Candidate& c : sorted) {
        if (static_cast<int>(chosen.size()) >= count)
            break;
        const Placement p = lattice.place(c.at);
        if (std::all_of(placed.begin(), placed.end(), [&](const Placement& k) { return distinct(k, p); })) {
            chosen.push_back(c);
            placed.push_back(p);
        }
    }
    return chosen;
}

Placement withFigures(const Candidate& c, const SearchLattice& lattice, const PlacementEvaluator& evaluator) {
    constexpr double kUnknown = std::numeric_limits<double>::quiet_NaN();
    Placement p = lattice.place(c.at);
    const AreaFigures figures = evaluator.figuresOf(p).value_or(AreaFigures{kUnknown, kUnknown, kUnknown});
    p.spread = figures.spread;
    p.robust = figures.worst;
    p.area = figures.area;
    p.angle = stereoAngle(p);
    p.distance = listeningDistance(p);
    if (evaluator.allSeats()) {
        const auto seats = evaluator.seatFiguresOf(p);
        p.spread = seats ? seats->seat1Spread : kUnknown;
        p.robust = p.area = kUnknown;
        p.seatScore = seats ? seats->score : kUnknown;
        p.seatVariation = seats ? seats->variation : kUnknown;
        p.targetDeviation = seats ? seats->targetDeviation : kUnknown;
    }
    return p;
}

} // namespace kolmarin::detail
