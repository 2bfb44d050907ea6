#include "model/acoustics/placement_search.h"

#include "model/acoustics/worker_pool.h"
#include "model/errors.h"
#include "model/text/number_text.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <limits>
#include <map>
#include <mutex>
#include <numbers>
#include <set>
#include <thread>

namespace kolmarin {

namespace {

// The layout's variables on the 1 cm lattice, in centimetres: stereo (SP1 x, ys, yl),
// listener (x, y), speakers (SP1 x, ys). Unused ones stay 0.
using Lattice = std::array<int, 3>;

constexpr double kTolerance = 1e-9;
constexpr double kUnknown = std::numeric_limits<double>::quiet_NaN();

// How a search spends its spreads: the coarse grid is the finest whose feasible points
// stay within `budget`, trying `base` first and its multiples (coarser) and 5, 2, 1 cm
// (finer) beside it; then `starts` compass searches. The objective is rugged at the
// centimetre (a point's spread moves by up to 0.1 dB per cm, and the area spread adds nine
// such fields), so valleys are narrow: a dense grid and many starts find the deepest.
struct Plan {
    long long budget;
    int base; // centimetres
    int starts;
};

Plan planFor(Layout layout, Objective objective) {
    const bool area = objective == Objective::Area;
    switch (layout) {
    case Layout::Stereo:
        // A 10 cm grid puts the listening areas' neighbours (listener y +-10 cm) on the grid
        // itself: a point costs about three new spreads instead of nine.
        return area ? Plan{1500, 10, 16} : Plan{6000, 5, 16};
    case Layout::Speakers:
        // The listener stands still, so each pair's listening area is its own: nine spreads a point.
        return area ? Plan{500, 10, 16} : Plan{3000, 5, 24};
    case Layout::Listener:
        break;
    }
    // Any step of 5 cm or 10 cm shares the area's neighbours: a point costs about one spread.
    return Plan{3000, 5, 24};
}
// A grid's box is walked only below this many points, so a huge room coarsens its grid
// instead of listing billions of points.
constexpr double kLargestBox = 400000;
// Spreads one search may hold (about 100 bytes each); only rooms far beyond a listening
// room's size get there, and their walks then end where they stand.
constexpr std::size_t kMostSpreads = 400000;
// The lattice has to fit an int with room to spare.
constexpr double kLargestRoom = 100000.0; // metres
// Spreads a compass search takes, for the progress estimate.
constexpr int kWalkGuess = 300;
constexpr auto kProgressInterval = std::chrono::milliseconds(250);

int dimensions(Layout layout) {
    return layout == Layout::Stereo ? 3 : 2;
}

struct Range {
    int low = 0, high = -1; // centimetres, inclusive
};

int lowestCentimetre(double metres) {
    return static_cast<int>(std::ceil(metres * 100 - kTolerance));
}
int highestCentimetre(double metres) {
    return static_cast<int>(std::floor(metres * 100 + kTolerance));
}

double frontFarthest(const Scene& room, const PlacementConstraints& c) {
    return std::isnan(c.frontFarthest) ? room.depth / 2 : c.frontFarthest;
}
double distanceFarthest(const Scene& room, const PlacementConstraints& c) {
    return std::isnan(c.distanceFarthest) ? room.depth : c.distanceFarthest;
}

// The lattice box of the layout's variables: the wall clearance, the loudspeakers' front
// range, SP1 on the left half. keepsConstraints decides within it.
std::array<Range, 3> latticeRanges(const Scene& room, Layout layout, const PlacementConstraints& c) {
    const Range x{lowestCentimetre(c.wallClearance), highestCentimetre(room.width - c.wallClearance)};
    const Range y{lowestCentimetre(c.wallClearance), highestCentimetre(room.depth - c.wallClearance)};
    const Range leftHalf{x.low, std::min(x.high, highestCentimetre(room.width / 2))};
    const Range front{std::max(y.low, lowestCentimetre(c.frontNearest)),
                      std::min(y.high, highestCentimetre(frontFarthest(room, c)))};
    switch (layout) {
    case Layout::Stereo:
        return {leftHalf, front, y};
    case Layout::Speakers:
        return {leftHalf, front, Range{0, 0}};
    case Layout::Listener:
        break;
    }
    return {x, y, Range{0, 0}};
}

double centimetres(int value) {
    return value / 100.0;
}

// Builds placements from lattice points. The mirrored x and the centre line go through the
// position form; the mirror is worked out once per lattice value, not once per point.
class PlacementMaker {
  public:
    PlacementMaker(const Scene& scene, Layout layout, int highestX)
        : scene_(scene), layout_(layout), centre_(roundedPosition(scene.width / 2)) {
        mirrored_.resize(static_cast<std::size_t>(std::clamp(highestX + 1, 0, 100000)));
        for (std::size_t v = 0; v < mirrored_.size(); ++v)
            mirrored_[v] = roundedPosition(scene.width - centimetres(static_cast<int>(v)));
    }

    Placement operator()(const Lattice& v) const {
        Placement p = placementOf(scene_);
        switch (layout_) {
        case Layout::Stereo:
            p.listener.x = centre_;
            p.listener.y = centimetres(v[2]);
            [[fallthrough]];
        case Layout::Speakers:
            p.sp1.x = centimetres(v[0]);
            p.sp1.y = centimetres(v[1]);
            p.sp2.x = v[0] >= 0 && v[0] < static_cast<int>(mirrored_.size())
                          ? mirrored_[static_cast<std::size_t>(v[0])]
                          : roundedPosition(scene_.width - p.sp1.x);
            p.sp2.y = p.sp1.y;
            break;
        case Layout::Listener:
            p.listener.x = centimetres(v[0]);
            p.listener.y = centimetres(v[1]);
            break;
        }
        return p;
    }

  private:
    const Scene& scene_;
    Layout layout_;
    double centre_;
    std::vector<double> mirrored_;
};

bool distinct(const Placement& a, const Placement& b) {
    const double gaps[] = {a.sp1.x - b.sp1.x, a.sp1.y - b.sp1.y,           a.sp2.x - b.sp2.x,
                           a.sp2.y - b.sp2.y, a.listener.x - b.listener.x, a.listener.y - b.listener.y};
    return std::any_of(std::begin(gaps), std::end(gaps),
                       [](double g) { return std::fabs(g) >= kDistinctPlacement - kTolerance; });
}

struct Candidate {
    Lattice at;
    double value; // the objective, dB
};

// Lowest first; equal values in lattice order, so the order never depends on which worker
// finished first.
bool better(const Candidate& a, const Candidate& b) {
    if (a.value != b.value)
        return a.value < b.value;
    return a.at < b.at;
}

// A spread's place: both loudspeakers and the listener in the plan (heights never move).
using SpreadKey = std::array<double, 6>;

SpreadKey keyOf(const Placement& p) {
    return {p.sp1.x, p.sp1.y, p.sp2.x, p.sp2.y, p.listener.x, p.listener.y};
}

class Search {
  public:
    Search(const Scene& scene, const SearchOptions& options,
           const std::function<void(SearchProgress)>& progress, std::stop_token stop)
        : scene_(sceneForBand(scene, options.band)), options_(options), progress_(progress), stop_(stop),
          dims_(dimensions(options.layout)), plan_(planFor(options.layout, options.objective)),
          ranges_(latticeRanges(scene, options.layout, options.constraints)),
          place_(scene_, options.layout, ranges_[0].high), start_(std::chrono::steady_clock::now()),
          lastReport_(start_) {}

    SearchResult run() {
        SearchResult result;
        const Placement current = placementOf(scene_);
        computeSpreads(areaOf(current));
        if (const auto figures = figuresOf(current)) {
            result.currentSpread = figures->spread;
            if (!std::isnan(figures->area))
                result.currentArea = figures->area;
        }

        const std::vector<Lattice> grid = coarseGrid();
        result.gridStep = coarseStep_;
        result.gridCoarsened = coarseStep_ > plan_.base;
        planned_ = done_ + static_cast<long long>(grid.size()) * placesPerPoint() +
                   1LL * plan_.starts * kWalkGuess + 8LL * options_.top;
        std::vector<Candidate> coarse = evaluate(grid);
        std::sort(coarse.begin(), coarse.end(), better);
        if (!coarse.empty())
            result.coarseBest = withFigures(coarse.front());
        // The starts are the best points of the grid, near one another or not: the valleys
        // are narrower than the grid, and two walks that meet share every spread. Their
        // number never depends on `top`, so neither does the best placement.
        walk({coarse.begin(), coarse.begin() + std::min<std::ptrdiff_t>(plan_.starts, std::ssize(coarse))});

        std::vector<Candidate> all;
        for (const auto& [at, value] : values_)
            if (value)
                all.push_back({at, *value});
        std::sort(all.begin(), all.end(), better);
        const std::vector<Candidate> best = distinctBest(all, std::max(options_.top, 0));
        std::vector<Placement> rows;
        for (const Candidate& c : best)
            for (const Placement& p : areaOf(place_(c.at)))
                rows.push_back(p);
        computeSpreads(rows);
        for (const Candidate& c : best)
            result.best.push_back(withFigures(c));
        result.cancelled = stop_.stop_requested();
        result.calculations = done_;
        if (progress_)
            progress_({1.0, 0.0});
        return result;
    }

  private:
    bool feasible(const Lattice& v) const {
        return keepsConstraints(scene_, place_(v), options_.layout, options_.constraints);
    }

    int placesPerPoint() const { return options_.objective == Objective::Area ? 3 : 1; }

    // Every feasible point of the finest grid within the budget, on multiples of its step
    // (so the grid's points are one another's listening-area neighbours): the grids are
    // tried from the coarsest on, until one has too many points or too large a box.
    std::vector<Lattice> coarseGrid() const {
        const long long budget = plan_.budget;
        const int base = plan_.base;
        std::vector<int> steps{1, 2, 5};
        for (int factor : {1, 2, 3, 4, 5})
            steps.push_back(base * factor);
        while (steps.back() < 20000000)
            steps.push_back(steps.back() * 2);
        std::sort(steps.begin(), steps.end());
        steps.erase(std::unique(steps.begin(), steps.end()), steps.end());

        std::vector<Lattice> chosen, points;
        for (auto step = steps.rbegin(); step != steps.rend() && !stop_.stop_requested(); ++step) {
            double box = 1.0;
            for (int axis = 0; axis < dims_; ++axis)
                box *= std::max(0, ranges_[axis].high - ranges_[axis].low) / *step + 2.0;
            if (box > kLargestBox)
                break;
            points.clear();
            Lattice v{};
            const auto walkBox = [&](auto&& self, int axis) -> void {
                if (axis == dims_) {
                    if (feasible(v))
                        points.push_back(v);
                    return;
                }
                const Range r = ranges_[axis];
                const int first = r.low <= 0 ? r.low - r.low % *step : (r.low + *step - 1) / *step * *step;
                for (v[axis] = first; v[axis] <= r.high && !stop_.stop_requested(); v[axis] += *step)
                    self(self, axis + 1);
            };
            walkBox(walkBox, 0);
            if (static_cast<long long>(points.size()) > budget && !chosen.empty())
                break;
            chosen.swap(points);
            coarseStep_ = *step;
        }
        return chosen;
    }

    // The places whose spreads a lattice point's objective takes.
    std::vector<Placement> placesOf(const Lattice& v) const {
        const Placement p = place_(v);
        if (options_.objective == Objective::Point)
            return {p};
        return areaOf(p);
    }

    static std::vector<Placement> areaOf(const Placement& p) {
        std::vector<Placement> places;
        for (const Point3& listener : listeningArea(p.listener)) {
            places.push_back(p);
            places.back().listener = listener;
        }
        return places;
    }

    // Computes the spreads of `places` not yet known, side by side on the workers.
    void computeSpreads(const std::vector<Placement>& places) {
        std::vector<Placement> todo;
        std::set<SpreadKey> queued;
        for (const Placement& p : places) {
            const SpreadKey key = keyOf(p);
            if (!spreads_.count(key) && queued.insert(key).second)
                todo.push_back(p);
        }
        std::vector<double> out(todo.size(), kUnknown);
        std::vector<char> done(todo.size(), 0);
        runTasks(static_cast<int>(todo.size()), [&](int i) {
            const auto k = static_cast<std::size_t>(i);
            out[k] = spreadOf(withPlacement(scene_, todo[k]), options_.band).value_or(kUnknown);
            done[k] = 1;
            counted();
        });
        for (std::size_t k = 0; k < todo.size(); ++k)
            if (done[k])
                spreads_.emplace(keyOf(todo[k]), out[k]);
    }

    // The spread at a place; nothing when it has not been computed.
    std::optional<double> knownSpread(const Placement& p) const {
        const auto found = spreads_.find(keyOf(p));
        return found == spreads_.end() ? std::nullopt : std::optional<double>(found->second);
    }

    std::optional<AreaFigures> figuresOf(const Placement& p) const {
        std::array<double, 9> spreads{};
        const std::vector<Placement> places = areaOf(p);
        for (std::size_t i = 0; i < places.size(); ++i)
            spreads[i] = knownSpread(places[i]).value_or(kUnknown);
        if (!knownSpread(p))
            return std::nullopt;
        return areaFigures(spreads);
    }

    Placement withFigures(const Candidate& c) const {
        Placement p = place_(c.at);
        const AreaFigures figures = figuresOf(p).value_or(AreaFigures{kUnknown, kUnknown, kUnknown});
        p.spread = figures.spread;
        p.robust = figures.worst;
        p.area = figures.area;
        p.angle = stereoAngle(p);
        p.distance = listeningDistance(p);
        return p;
    }

    // The objective of lattice points whose spreads are known; unknown ones (a failed
    // calculation, a stop) are left out.
    std::optional<double> valueOf(const Lattice& v) {
        const auto found = values_.find(v);
        if (found != values_.end())
            return found->second;
        double sum = 0.0;
        const std::vector<Placement> places = placesOf(v);
        for (const Placement& p : places) {
            const auto spread = knownSpread(p);
            if (!spread)
                return std::nullopt; // not computed yet: ask again later
            sum += *spread;
        }
        const double value = sum / static_cast<double>(places.size());
        return values_[v] = std::isnan(value) ? std::nullopt : std::optional<double>(value);
    }

    std::vector<Candidate> evaluate(const std::vector<Lattice>& points) {
        std::vector<Placement> places;
        for (const Lattice& v : points)
            for (const Placement& p : placesOf(v))
                places.push_back(p);
        computeSpreads(places);
        std::vector<Candidate> found;
        for (const Lattice& v : points)
            if (const auto value = valueOf(v))
                found.push_back({v, *value});
        return found;
    }

    // The best `count` candidates that are pairwise distinct, from a sorted list.
    std::vector<Candidate> distinctBest(const std::vector<Candidate>& sorted, int count) const {
        std::vector<Candidate> chosen;
        std::vector<Placement> placed;
        for (const Candidate& c : sorted) {
            if (static_cast<int>(chosen.size()) >= count)
                break;
            const Placement p = place_(c.at);
            if (std::all_of(placed.begin(), placed.end(),
                            [&](const Placement& k) { return distinct(k, p); })) {
                chosen.push_back(c);
                placed.push_back(p);
            }
        }
        return chosen;
    }

    // Compass searches in lockstep, so each round's spreads are computed side by side: the
    // best improving neighbour along an axis at the current step, else half the step; at
    // 1 cm every one of the 3^d - 1 surrounding lattice points must fail to improve (a
    // valley lying diagonally stops an axis-only walk short of its floor).
    void walk(const std::vector<Candidate>& seeds) {
        struct Walker {
            Candidate here;
            int step;
            bool surrounding = false;
            bool finished = false;
        };
        std::vector<Walker> walkers;
        for (const Candidate& seed : seeds)
            walkers.push_back({seed, std::max(1, coarseStep_ / 2)});
        while (!stop_.stop_requested() && spreads_.size() < kMostSpreads) {
            std::vector<std::vector<Lattice>> around(walkers.size());
            std::vector<Lattice> all;
            for (std::size_t i = 0; i < walkers.size(); ++i)
                if (!walkers[i].finished) {
                    around[i] = neighbours(walkers[i].here.at, walkers[i].step, walkers[i].surrounding);
                    all.insert(all.end(), around[i].begin(), around[i].end());
                }
            if (all.empty())
                break;
            evaluate(all);
            if (stop_.stop_requested())
                break;
            for (std::size_t i = 0; i < walkers.size(); ++i) {
                Walker& w = walkers[i];
                if (w.finished)
                    continue;
                std::optional<Candidate> next;
                for (const Lattice& v : around[i])
                    if (const auto value = valueOf(v)) {
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
        }
    }

    std::vector<Lattice> neighbours(const Lattice& at, int step, bool surrounding) const {
        std::vector<Lattice> out;
        const auto consider = [&](const Lattice& v) {
            if (v != at && feasible(v))
                out.push_back(v);
        };
        if (!surrounding) {
            for (int axis = 0; axis < dims_; ++axis)
                for (int sign : {1, -1}) {
                    Lattice v = at;
                    v[axis] += sign * step;
                    consider(v);
                }
            return out;
        }
        for (int a = -1; a <= 1; ++a)
            for (int b = -1; b <= 1; ++b)
                for (int c = dims_ == 3 ? -1 : 0; c <= (dims_ == 3 ? 1 : 0); ++c)
                    consider({at[0] + a, at[1] + b, at[2] + c});
        return out;
    }

    void runTasks(int count, const std::function<void(int)>& task) {
        workers_.run(count, [&](int i) {
            if (!stop_.stop_requested())
                task(i);
        });
    }

    void counted() {
        std::lock_guard lock(mutex_);
        ++done_;
        const auto now = std::chrono::steady_clock::now();
        if (!progress_ || now - lastReport_ < kProgressInterval)
            return;
        lastReport_ = now;
        const double fraction = std::min(0.99, static_cast<double>(done_) / static_cast<double>(planned_));
        const double elapsed = std::chrono::duration<double>(now - start_).count();
        progress_({fraction, elapsed * (1.0 - fraction) / fraction});
    }

    const Scene scene_;
    const SearchOptions options_;
    const std::function<void(SearchProgress)>& progress_;
    std::stop_token stop_;
    const int dims_;
    const Plan plan_;
    const std::array<Range, 3> ranges_;
    const PlacementMaker place_;
    // Workers of its own, one per hardware thread: the window's calculations use the shared
    // pool and never wait for a search.
    WorkerPool workers_{static_cast<int>(std::max(1u, std::thread::hardware_concurrency()))};
    mutable int coarseStep_ = 1;
    std::map<SpreadKey, double> spreads_;             // NaN where the calculation fails
    std::map<Lattice, std::optional<double>> values_; // the objective; nothing if unknown

    std::mutex mutex_;
    long long done_ = 0;
    long long planned_ = 1;
    const std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastReport_;
};

} // namespace

std::string coarsenedGridNote(const SearchResult& result) {
    if (!result.gridCoarsened)
        return {};
    return "部屋が大きいため、探索の格子を " + std::to_string(result.gridStep) + " cm に粗くしました";
}

double roundedPosition(double metres) {
    return parseDecimal(formatPosition(metres));
}

Scene withPlacement(Scene scene, const Placement& placement) {
    scene.sources.at(0).position = placement.sp1;
    scene.sources.at(1).position = placement.sp2;
    scene.seats.at(0) = placement.listener;
    return scene;
}

Placement placementOf(const Scene& scene) {
    return {scene.sources.at(0).position, scene.sources.at(1).position, scene.seats.at(0)};
}

double stereoAngle(const Placement& p) {
    const double a1 = std::atan2(p.sp1.x - p.listener.x, p.listener.y - p.sp1.y);
    const double a2 = std::atan2(p.sp2.x - p.listener.x, p.listener.y - p.sp2.y);
    const double degrees = std::fabs(a2 - a1) * 180.0 / std::numbers::pi;
    return degrees > 180.0 ? 360.0 - degrees : degrees;
}

double listeningDistance(const Placement& p) {
    return p.listener.y - (p.sp1.y + p.sp2.y) / 2;
}

bool keepsConstraints(const Scene& room, const Placement& p, Layout layout, const PlacementConstraints& c) {
    const auto within = [](double v, double low, double high) {
        return v >= low - kTolerance && v <= high + kTolerance;
    };
    const auto clear = [&](const Point3& q) {
        return within(q.x, c.wallClearance, room.width - c.wallClearance) &&
               within(q.y, c.wallClearance, room.depth - c.wallClearance);
    };
    if (layout != Layout::Speakers && !clear(p.listener))
        return false;
    if (layout != Layout::Listener) {
        const double farthest = frontFarthest(room, c);
        if (!clear(p.sp1) || !clear(p.sp2) || !within(p.sp1.y, c.frontNearest, farthest) ||
            !within(p.sp2.y, c.frontNearest, farthest) || p.sp1.x > p.sp2.x + kTolerance ||
            std::hypot(p.sp2.x - p.sp1.x, p.sp2.y - p.sp1.y) < c.leastSpacing - kTolerance)
            return false;
    }
    if (!within(listeningDistance(p), c.distanceNearest, distanceFarthest(room, c)))
        return false;
    return layout != Layout::Stereo || within(stereoAngle(p), c.narrowestAngle, c.widestAngle);
}

SearchResult searchPlacements(const Scene& scene, const SearchOptions& options,
                              const std::function<void(SearchProgress)>& progress, std::stop_token stop) {
    if (!(scene.width <= kLargestRoom && scene.depth <= kLargestRoom))
        throw UserError("部屋が大きすぎて配置を探せません (幅と奥行きは 100000 m まで)");
    return Search(scene, options, progress, stop).run();
}

} // namespace kolmarin
