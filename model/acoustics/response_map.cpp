#include "model/acoustics/response_map.h"

#include "model/acoustics/listening_area.h"
#include "model/acoustics/worker_pool.h"
#include "model/text/number_text.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <mutex>
#include <thread>

namespace kolmarin {

namespace {

// Points per run of the workers: each run ends a few points after a stop.
constexpr int kPointsPerRun = 128;
constexpr int kPointsPerTask = 2;

int cellsIn(double length, double step) {
    if (!(length > 0.0) || !(step > 0.0))
        return 0;
    const double cells = std::floor(length / step + 1e-9);
    return cells < 1e6 ? static_cast<int>(cells) : 1000000;
}

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

// The figure at each grid point. The listener's area spreads come from a table of point
// spreads, each computed once by whichever worker needs it first, when 0.10 m is a whole
// number of steps; otherwise from their own calculations.
class MapFigures {
  public:
    MapFigures(const Scene& banded, MapMarker marker, Band band, const MapGrid& grid, MapFigure figure)
        : scene_(banded), marker_(marker), band_(band), grid_(grid), figure_(figure) {
        const double k = kRobustnessMove / grid.step;
        shared_ =
            figure == MapFigure::Area && marker == MapMarker::Listener && std::fabs(k - std::round(k)) < 1e-6;
        stride_ = static_cast<int>(std::lround(k));
        if (shared_) {
            table_ = std::vector<std::atomic<double>>(static_cast<std::size_t>(grid.points()));
            known_ = std::vector<std::atomic<std::uint8_t>>(static_cast<std::size_t>(grid.points()));
        }
    }

    double at(int row, int column) {
        const double x = grid_.x(column), y = grid_.y(row);
        if (figure_ == MapFigure::Point)
            return spreadAt(withMarkerAt(scene_, marker_, x, y));
        double sum = 0.0;
        if (marker_ == MapMarker::Speakers) {
            Scene s = withMarkerAt(scene_, marker_, x, y);
            for (const Point3& listener : listeningArea(scene_.seats[0])) {
                s.seats[0] = listener;
                sum += spreadAt(s);
            }
            return sum / 9;
        }
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                if (shared_) {
                    sum += tabled(row + dy * stride_, column + dx * stride_);
                    continue;
                }
                const double nx = x + dx * kRobustnessMove, ny = y + dy * kRobustnessMove;
                sum += nx < 0 || nx > scene_.width || ny < 0 || ny > scene_.depth
                           ? kNoValue
                           : spreadAt(withMarkerAt(scene_, marker_, nx, ny));
            }
        return sum / 9;
    }

  private:
    double spreadAt(const Scene& s) const { return spreadOf(s, band_).value_or(kNoValue); }

    double tabled(int row, int column) {
        if (row < 0 || row >= grid_.rows || column < 0 || column >= grid_.columns)
            return kNoValue;
        const auto i = static_cast<std::size_t>(row * grid_.columns + column);
        if (known_[i].load(std::memory_order_acquire))
            return table_[i].load(std::memory_order_relaxed);
        const double value = spreadAt(withMarkerAt(scene_, marker_, grid_.x(column), grid_.y(row)));
        table_[i].store(value, std::memory_order_relaxed);
        known_[i].store(1, std::memory_order_release);
        return value;
    }

    const Scene& scene_;
    MapMarker marker_;
    Band band_;
    const MapGrid& grid_;
    MapFigure figure_;
    bool shared_ = false;
    int stride_ = 0;
    std::vector<std::atomic<double>> table_;
    std::vector<std::atomic<std::uint8_t>> known_;
};

} // namespace

double fittingMapStep(double width, double depth, double step) {
    // The grid has at most W D / s² points, fewer where the floors cut whole cells off; the
    // count only falls as the step grows. From the whole centimetre at that estimate, up a
    // centimetre at a time while there are too many, then down while fewer still fit.
    auto fits = [&](double s) { return mapGrid(width, depth, s).points() <= kMostMapPoints; };
    const double estimate = std::sqrt(width / kMostMapPoints * depth);
    double fitting = std::max(step, std::ceil(estimate * 100.0) / 100.0);
    for (int i = 0; i < 1000 && !fits(fitting); ++i)
        fitting = std::round(fitting * 100.0 + 1.0) / 100.0;
    for (int i = 0; i < 1000 && fitting - 0.01 >= step && fits(std::round(fitting * 100.0 - 1.0) / 100.0);
         ++i)
        fitting = std::round(fitting * 100.0 - 1.0) / 100.0;
    return fitting;
}

void checkMapGrid(double width, double depth, double step) {
    const std::int64_t points = mapGrid(width, depth, step).points();
    if (points <= kMostMapPoints)
        return;
    throw UserError("応答マップの点が上限の " + std::to_string(kMostMapPoints) +
                    " 点を超えます (格子の間隔 " + formatGeneral(step) + " m で " + std::to_string(points) +
                    " 点)。間隔 " + formatGeneral(fittingMapStep(width, depth, step)) +
                    " m 以上なら収まります");
}

MapGrid mapGrid(double width, double depth, double step) {
    return {step, cellsIn(width, step), cellsIn(depth, step)};
}

Scene withMarkerAt(const Scene& scene, MapMarker marker, double x, double y) {
    Scene s = scene;
    if (marker == MapMarker::Listener) {
        s.seats[0].x = x;
        s.seats[0].y = y;
    } else {
        s.sources[0].position.x = x;
        s.sources[0].position.y = y;
        s.sources[1].position.x = scene.width - x;
        s.sources[1].position.y = y;
    }
    return s;
}

int mapPassStride(int pass) {
    return 4 >> pass;
}

ResponseMap computeResponseMap(const Scene& scene, MapMarker marker, Band band, double step,
                               const MapCallbacks& callbacks, std::stop_token stop, MapFigure figure) {
    checkMapGrid(scene.width, scene.depth, step);
    ResponseMap map;
    map.grid = mapGrid(scene.width, scene.depth, step);
    const MapGrid& g = map.grid;
    map.spread.assign(static_cast<std::size_t>(g.points()), std::numeric_limits<double>::quiet_NaN());
    map.computed.assign(static_cast<std::size_t>(g.points()), 0);
    const Scene banded = sceneForBand(scene, band);
    MapFigures figures(banded, marker, band, g, figure);
    // Workers of its own, one per hardware thread: the window's calculations use the shared
    // pool and never wait for a map.
    WorkerPool workers(static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));

    std::mutex progressMutex;
    std::atomic<long long> done{0};
    std::vector<int> pending;
    for (int pass = 0; pass < kMapPasses; ++pass) {
        const int stride = mapPassStride(pass);
        pending.clear();
        for (int row = 0; row < g.rows; row += stride)
            for (int column = 0; column < g.columns; column += stride) {
                const int index = row * g.columns + column;
                if (!map.computed[static_cast<std::size_t>(index)])
                    pending.push_back(index);
            }
        for (std::size_t first = 0; first < pending.size(); first += kPointsPerRun) {
            if (stop.stop_requested())
                break;
            const int count = static_cast<int>(std::min<std::size_t>(kPointsPerRun, pending.size() - first));
            const int tasks = (count + kPointsPerTask - 1) / kPointsPerTask;
            workers.run(tasks, [&](int task) {
                const int begin = task * kPointsPerTask;
                const int end = std::min(count, begin + kPointsPerTask);
                for (int k = begin; k < end; ++k) {
                    if (stop.stop_requested())
                        return;
                    const int index = pending[first + static_cast<std::size_t>(k)];
                    const int row = index / g.columns, column = index % g.columns;
                    map.spread[static_cast<std::size_t>(index)] = figures.at(row, column);
                    map.computed[static_cast<std::size_t>(index)] = 1;
                    done.fetch_add(1, std::memory_order_relaxed);
                }
                if (callbacks.progress) {
                    std::lock_guard lock(progressMutex);
                    callbacks.progress({done.load(std::memory_order_relaxed), g.points()});
                }
            });
        }
        if (stop.stop_requested()) {
            map.cancelled = true;
            return map;
        }
        map.passes = pass + 1;
        if (callbacks.passDone)
            callbacks.passDone(map, pass);
    }
    return map;
}

} // namespace kolmarin
