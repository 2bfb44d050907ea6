#include "model/acoustics/placement_search.h"

#include "model/acoustics/placement_evaluation.h"
#include "model/acoustics/placement_lattice.h"
#include "model/acoustics/placement_ranking.h"
#include "model/acoustics/placement_walk.h"
#include "model/errors.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace kolmarin {

namespace {

// The lattice has to fit an int with room to spare.
constexpr double kLargestRoom = 100000.0; // metres
// Spreads a compass search takes, for the progress estimate.
constexpr int kWalkGuess = 300;

// One search: the steps in order, each in its own file: the candidates on the lattice,
// their evaluation, the walks from the best of the coarse grid, the ranking.
class Search {
  public:
    Search(const Scene& scene, const SearchOptions& options,
           const std::function<void(SearchProgress)>& progress, std::stop_token stop)
        : scene_(sceneForBand(scene, options.band)), options_(options), stop_(stop),
          plan_(
              detail::planFor(options.layout, scene.seats.size() > 1 ? Objective::Point : options.objective)),
          lattice_(scene_, scene, options.layout, options.constraints),
          evaluator_(scene_, lattice_, options.objective, options.band, progress, stop) {}

    SearchResult run(const std::function<void(SearchProgress)>& progress) {
        SearchResult result;
        figuresOfCurrent(result);
        const std::vector<detail::Candidate> coarse = evaluateCoarseGrid(result);
        // The starts are the best points of the grid, near one another or not: the valleys
        // are narrower than the grid, and two walks that meet share every spread. Their
        // number never depends on `top`, so neither does the best placement.
        detail::walkDown(
            {coarse.begin(), coarse.begin() + std::min<std::ptrdiff_t>(plan_.starts, std::ssize(coarse))},
            result.gridStep, lattice_, evaluator_, stop_);
        rankBest(result);
        result.cancelled = stop_.stop_requested();
        result.calculations = evaluator_.calculations();
        if (progress)
            progress({1.0, 0.0});
        return result;
    }

  private:
    // The spreads of the scene as it stands.
    void figuresOfCurrent(SearchResult& result) {
        const Placement current = placementOf(scene_);
        if (evaluator_.allSeats()) {
            result.allSeats = true;
            evaluator_.computeSpreads({current});
            if (const auto seats = evaluator_.seatFiguresOf(current)) {
                result.currentSpread = seats->seat1Spread;
                result.currentSeatScore = seats->score;
            }
            return;
        }
        evaluator_.computeSpreads(detail::areaOf(current));
        if (const auto figures = evaluator_.figuresOf(current)) {
            result.currentSpread = figures->spread;
            if (!std::isnan(figures->area))
                result.currentArea = figures->area;
        }
    }

    // Every point of the coarse grid, best first.
    std::vector<detail::Candidate> evaluateCoarseGrid(SearchResult& result) {
        const detail::CoarseGrid grid = lattice_.coarseGrid(plan_, stop_);
        result.gridStep = grid.step;
        result.gridCoarsened = grid.step > plan_.base;
        evaluator_.expect(static_cast<long long>(grid.points.size()) * evaluator_.placesPerPoint() +
                          1LL * plan_.starts * kWalkGuess + 8LL * options_.top);
        std::vector<detail::Candidate> coarse = evaluator_.evaluate(grid.points);
        std::sort(coarse.begin(), coarse.end(), detail::better);
        if (!coarse.empty())
            result.coarseBest = detail::withFigures(coarse.front(), lattice_, evaluator_);
        return coarse;
    }

    // The best distinct placements, with every spread of their listening areas.
    void rankBest(SearchResult& result) {
        const std::vector<detail::Candidate> best =
            detail::distinctBest(detail::rankedCandidates(evaluator_), std::max(options_.top, 0), lattice_);
        // With several seats a row's figures are those it was ranked by, already known.
        std::vector<Placement> rows;
        for (const detail::Candidate& c : best)
            if (!evaluator_.allSeats())
                for (const Placement& p : detail::areaOf(lattice_.place(c.at)))
                    rows.push_back(p);
        evaluator_.computeSpreads(rows);
        for (const detail::Candidate& c : best)
            result.best.push_back(detail::withFigures(c, lattice_, evaluator_));
    }

    const Scene scene_;
    const SearchOptions options_;
    std::stop_token stop_;
    const detail::Plan plan_;
    const detail::SearchLattice lattice_;
    detail::PlacementEvaluator evaluator_;
};

} // namespace

std::string coarsenedGridNote(const SearchResult& result) {
    if (!result.gridCoarsened)
        return {};
    return "部屋が大きいため、探索の格子を " + std::to_string(result.gridStep) + " cm に粗くしました";
}

SearchResult searchPlacements(const Scene& scene, const SearchOptions& options,
                              const std::function<void(SearchProgress)>& progress, std::stop_token stop) {
    if (!(scene.width <= kLargestRoom && scene.depth <= kLargestRoom))
        throw UserError("部屋が大きすぎて配置を探せません (幅と奥行きは 100000 m まで)");
    return Search(scene, options, progress, stop).run(progress);
}

} // namespace kolmarin
