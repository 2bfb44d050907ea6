#include "model/acoustics/placement_search.h"

#include "model/acoustics/number_text.h"
#include "model/acoustics/worker_pool.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <limits>
#include <map>
#include <mutex>
#include <numbers>
#include <thread>

namespace kolmarin {

namespace {

// The layout's variables on the 1 cm lattice, in centimetres: stereo (SP1 x, ys, yl),
// listener (x, y), speakers (SP1 x, ys). Unused ones stay 0.
using Lattice = std::array<int, 3>;

constexpr double kTolerance = 1e-9;
// The coarse grid is the finest whose feasible points stay within this many calculations.
constexpr int kCoarseBudget = 1500;
constexpr int kCoarseSteps[] = {2, 3, 4, 5, 6, 8, 10, 12, 15, 20, 25, 30, 40, 50, 75, 100};
// Calculations a compass search takes, for the progress estimate.
constexpr int kRefinementGuess = 60;
constexpr auto kProgressInterval = std::chrono::milliseconds(250);

int dimensions(Layout layout) {
    return layout == Layout::Stereo ? 3 : 2;
}

struct Range {
    int low, high; // centimetres, inclusive
};

// The lattice ranges the wall clearance leaves; the pair's SP1 stays left of the centre.
std::array<Range, 3> latticeRanges(const Scene& room, Layout layout, const PlacementConstraints& c) {
    const auto span = [&](double length) {
        return Range{static_cast<int>(std::ceil(c.wallClearance * 100 - kTolerance)),
                     static_cast<int>(std::floor((length - c.wallClearance) * 100 + kTolerance))};
    };
    const Range x = span(room.width), y = span(room.depth);
    const Range leftHalf{x.low,
                         std::min(x.high, static_cast<int>(std::ceil(room.width * 50 - kTolerance)) - 1)};
    switch (layout) {
    case Layout::Stereo:
        return {leftHalf, y, y};
    case Layout::Speakers:
        return {leftHalf, y, Range{0, 0}};
    case Layout::Listener:
        break;
    }
    return {x, y, Range{0, 0}};
}

// A lattice value as the read-outs hold it: v / 100 is already the double nearest to the
// two-decimal text, which is what reading that text back gives.
double centimetres(int value) {
    return value / 100.0;
}

// Builds placements from lattice points. The mirrored x and the centre line go through the
// position form; they are computed once per lattice value, not once per point.
class PlacementMaker {
  public:
    PlacementMaker(const Scene& scene, Layout layout, int highestX)
        : scene_(scene), layout_(layout), centre_(roundedPosition(scene.width / 2)) {
        mirrored_.resize(static_cast<std::size_t>(std::max(highestX, 0) + 1));
        for (std::size_t v = 0; v < mirrored_.size(); ++v)
            mirrored_[v] = roundedPosition(scene.width - centimetres(static_cast<int>(v)));
    }

    Placement operator()(const Lattice& v) const {
        Placement p{scene_.sp1, scene_.sp2, scene_.listener, 0.0, 0.0};
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
    Placement placement;
};

// Lowest spread first; equal spreads in lattice order, so the order never depends on
// which worker finished first.
bool better(const Candidate& a, const Candidate& b) {
    if (a.placement.spread != b.placement.spread)
        return a.placement.spread < b.placement.spread;
    return a.at < b.at;
}

// The best `count` candidates that are pairwise distinct, from a sorted list.
std::vector<Candidate> distinctBest(const std::vector<Candidate>& sorted, int count) {
    std::vector<Candidate> chosen;
    for (const Candidate& c : sorted) {
        if (static_cast<int>(chosen.size()) >= count)
            break;
        if (std::all_of(chosen.begin(), chosen.end(),
                        [&](const Candidate& k) { return distinct(k.placement, c.placement); }))
            chosen.push_back(c);
    }
    return chosen;
}

class Search {
  public:
    Search(const Scene& scene, const SearchOptions& options,
           const std::function<void(SearchProgress)>& progress, std::stop_token stop)
        : scene_(sceneForBand(scene, options.band)), options_(options), progress_(progress), stop_(stop),
          dims_(dimensions(options.layout)),
          ranges_(latticeRanges(scene, options.layout, options.constraints)),
          place_(scene_, options.layout, ranges_[0].high + 1), start_(std::chrono::steady_clock::now()),
          lastReport_(start_) {}

    SearchResult run() {
        SearchResult result;
        result.currentSpread = spreadOf(scene_, options_.band);
        const std::vector<Lattice> grid = coarseGrid();
        const int starts = std::max(options_.top, 8);
        planned_ = static_cast<long long>(grid.size()) + 1LL * starts * kRefinementGuess + 8LL * options_.top;

        std::vector<Candidate> coarse = evaluateAll(grid);
        std::sort(coarse.begin(), coarse.end(), better);
        if (!coarse.empty())
            result.coarseBest = coarse.front().placement;

        std::vector<Candidate> all = coarse;
        const std::vector<Candidate> seeds = distinctBest(coarse, starts);
        std::vector<std::vector<Candidate>> refined(seeds.size());
        runTasks(static_cast<int>(seeds.size()), [&](int i) {
            refined[static_cast<std::size_t>(i)] = refine(seeds[static_cast<std::size_t>(i)]);
        });
        for (const auto& r : refined)
            all.insert(all.end(), r.begin(), r.end());
        std::sort(all.begin(), all.end(), better);
        all.erase(std::unique(all.begin(), all.end(),
                              [](const Candidate& a, const Candidate& b) { return a.at == b.at; }),
                  all.end());

        const std::vector<Candidate> best = distinctBest(all, std::max(options_.top, 0));
        for (const Candidate& c : best)
            result.best.push_back(c.placement);
        if (!stop_.stop_requested())
            runTasks(static_cast<int>(result.best.size()),
                     [&](int i) { addRobustness(result.best[static_cast<std::size_t>(i)]); });
        result.cancelled = stop_.stop_requested();
        result.calculations = done_;
        if (result.cancelled)
            for (Placement& p : result.best)
                p.robust = std::numeric_limits<double>::quiet_NaN();
        if (progress_)
            progress_({1.0, 0.0});
        return result;
    }

  private:
    bool feasible(const Placement& p) const {
        return keepsConstraints(scene_, p, options_.layout, options_.constraints);
    }

    // Every feasible point of the finest grid within the budget, in lattice order: the
    // grids are tried from the coarsest on, until one has too many points.
    std::vector<Lattice> coarseGrid() const {
        std::vector<Lattice> chosen, points;
        for (auto step = std::rbegin(kCoarseSteps); step != std::rend(kCoarseSteps); ++step) {
            points.clear();
            Lattice v{};
            const auto walk = [&](auto&& self, int axis) -> void {
                if (axis == dims_) {
                    if (feasible(place_(v)))
                        points.push_back(v);
                    return;
                }
                for (v[axis] = ranges_[axis].low; v[axis] <= ranges_[axis].high; v[axis] += *step)
                    self(self, axis + 1);
            };
            walk(walk, 0);
            if (points.size() > kCoarseBudget && !chosen.empty())
                break;
            chosen.swap(points);
            coarseStep_ = *step;
        }
        return chosen;
    }

    std::optional<Candidate> evaluate(const Lattice& at) {
        if (stop_.stop_requested())
            return std::nullopt;
        Placement p = place_(at);
        const auto spread = spreadOf(withPlacement(scene_, p), options_.band);
        counted();
        if (!spread)
            return std::nullopt;
        p.spread = *spread;
        return Candidate{at, p};
    }

    std::vector<Candidate> evaluateAll(const std::vector<Lattice>& points) {
        std::vector<std::optional<Candidate>> out(points.size());
        constexpr int kPerTask = 4;
        const int tasks = static_cast<int>((points.size() + kPerTask - 1) / kPerTask);
        runTasks(tasks, [&](int t) {
            for (std::size_t i = static_cast<std::size_t>(t) * kPerTask;
                 i < std::min(points.size(), static_cast<std::size_t>(t + 1) * kPerTask); ++i)
                out[i] = evaluate(points[i]);
        });
        std::vector<Candidate> found;
        for (const auto& c : out)
            if (c)
                found.push_back(*c);
        return found;
    }

    // Compass search on the lattice: the best improving neighbour at the current step,
    // else half the step, until 1 cm finds nothing better. Returns every point it computed.
    std::vector<Candidate> refine(const Candidate& seed) {
        std::map<Lattice, std::optional<Candidate>> seen{{seed.at, seed}};
        Candidate here = seed;
        int step = std::max(1, coarseStep_ / 2);
        while (!stop_.stop_requested()) {
            std::optional<Candidate> next;
            for (int axis = 0; axis < dims_; ++axis)
                for (int sign : {1, -1}) {
                    Lattice v = here.at;
                    v[axis] += sign * step;
                    auto found = seen.find(v);
                    if (found == seen.end()) {
                        const bool inside = feasible(place_(v));
                        found = seen.emplace(v, inside ? evaluate(v) : std::nullopt).first;
                    }
                    if (found->second && better(*found->second, next ? *next : here))
                        next = found->second;
                }
            if (next) {
                here = *next;
            } else if (step > 1) {
                step /= 2;
            } else {
                break;
            }
        }
        std::vector<Candidate> out;
        for (const auto& [at, c] : seen)
            if (c)
                out.push_back(*c);
        return out;
    }

    void addRobustness(Placement& p) {
        double worst = p.spread;
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy) {
                if (dx == 0 && dy == 0)
                    continue;
                Placement moved = p;
                moved.listener.x = roundedPosition(p.listener.x + dx * kRobustnessMove);
                moved.listener.y = roundedPosition(p.listener.y + dy * kRobustnessMove);
                const auto spread = spreadOf(withPlacement(scene_, moved), options_.band);
                counted();
                worst = spread ? std::max(worst, *spread) : std::numeric_limits<double>::quiet_NaN();
                if (std::isnan(worst)) {
                    p.robust = worst;
                    return;
                }
            }
        p.robust = worst;
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
    const std::array<Range, 3> ranges_;
    const PlacementMaker place_;
    // Workers of its own, one per hardware thread: the window's calculations use the shared
    // pool and never wait for a search.
    WorkerPool workers_{static_cast<int>(std::max(1u, std::thread::hardware_concurrency()))};
    mutable int coarseStep_ = 1;

    std::mutex mutex_;
    long long done_ = 0;
    long long planned_ = 1;
    const std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastReport_;
};

} // namespace

double roundedPosition(double metres) {
    return parseDecimal(formatPosition(metres));
}

Scene withPlacement(Scene scene, const Placement& placement) {
    scene.sp1 = placement.sp1;
    scene.sp2 = placement.sp2;
    scene.listener = placement.listener;
    return scene;
}

bool keepsConstraints(const Scene& room, const Placement& p, Layout layout, const PlacementConstraints& c) {
    const auto clear = [&](const Point3& q) {
        return q.x >= c.wallClearance - kTolerance && q.x <= room.width - c.wallClearance + kTolerance &&
               q.y >= c.wallClearance - kTolerance && q.y <= room.depth - c.wallClearance + kTolerance;
    };
    const bool movesListener = layout != Layout::Speakers;
    const bool movesSpeakers = layout != Layout::Listener;
    if ((movesListener && !clear(p.listener)) || (movesSpeakers && (!clear(p.sp1) || !clear(p.sp2))))
        return false;
    if (p.listener.y < std::max(p.sp1.y, p.sp2.y) + c.listenerBehind - kTolerance)
        return false;
    if (layout != Layout::Stereo)
        return true;
    const double a1 = std::atan2(p.sp1.x - p.listener.x, p.listener.y - p.sp1.y);
    const double a2 = std::atan2(p.sp2.x - p.listener.x, p.listener.y - p.sp2.y);
    const double angle = std::fabs(a2 - a1) * 180.0 / std::numbers::pi;
    return angle >= c.narrowestAngle - kTolerance && angle <= c.widestAngle + kTolerance;
}

SearchResult searchPlacements(const Scene& scene, const SearchOptions& options,
                              const std::function<void(SearchProgress)>& progress, std::stop_token stop) {
    return Search(scene, options, progress, stop).run();
}

} // namespace kolmarin
