#include "model/acoustics/placement_evaluation.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <thread>

namespace kolmarin::detail {

namespace {

constexpr double kUnknown = std::numeric_limits<double>::quiet_NaN();
constexpr auto kProgressInterval = std::chrono::milliseconds(250);

} // namespace

bool better(const Candidate& a, const Candidate& b) {
    if (a.value != b.value)
        return a.value < b.value;
    return a.at < b.at;
}

std::vector<Placement> areaOf(const Placement& p) {
    std::vector<Placement> places;
    for (const Point3& listener : listeningArea(p.listener)) {
        places.push_back(p);
        places.back().listener = listener;
    }
    return places;
}

PlacementEvaluator::PlacementEvaluator(const Scene& scene, const SearchLattice& lattice, Objective objective,
                                       Band band, const std::function<void(SearchProgress)>& progress,
                                       std::stop_token stop)
    : scene_(scene), lattice_(lattice), objective_(objective), allSeats_(scene.seats.size() > 1), band_(band),
      progress_(progress), stop_(stop),
      workers_(static_cast<int>(std::max(1u, std::thread::hardware_concurrency()))),
      start_(std::chrono::steady_clock::now()), lastReport_(start_) {}

PlacementEvaluator::SpreadKey PlacementEvaluator::keyOf(const Placement& p) {
    return {p.sp1.x, p.sp1.y, p.sp2.x, p.sp2.y, p.listener.x, p.listener.y};
}

void PlacementEvaluator::computeSpreads(const std::vector<Placement>& places) {
    std::vector<Placement> todo;
    std::set<SpreadKey> queued;
    for (const Placement& p : places) {
        const SpreadKey key = keyOf(p);
        if (!spreads_.count(key) && queued.insert(key).second)
            todo.push_back(p);
    }
    std::vector<double> out(todo.size(), kUnknown);
    std::vector<std::optional<BassFigures>> seats(todo.size());
    std::vector<char> done(todo.size(), 0);
    runTasks(static_cast<int>(todo.size()), [&](int i) {
        const auto k = static_cast<std::size_t>(i);
        const Scene placed = withPlacement(scene_, todo[k]);
        if (allSeats_) {
            seats[k] = allSeatsFigures(placed, band_);
            out[k] = seats[k] ? seats[k]->score : kUnknown;
        } else {
            out[k] = spreadOf(placed, band_).value_or(kUnknown);
        }
        done[k] = 1;
        counted();
    });
    for (std::size_t k = 0; k < todo.size(); ++k)
        if (done[k]) {
            spreads_.emplace(keyOf(todo[k]), out[k]);
            if (seats[k])
                seatFigures_.emplace(keyOf(todo[k]), *seats[k]);
        }
}

std::vector<Candidate> PlacementEvaluator::evaluate(const std::vector<Lattice>& points) {
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

std::optional<double> PlacementEvaluator::valueOf(const Lattice& v) {
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

std::optional<AreaFigures> PlacementEvaluator::figuresOf(const Placement& p) const {
    std::array<double, 9> spreads{};
    const std::vector<Placement> places = areaOf(p);
    for (std::size_t i = 0; i < places.size(); ++i)
        spreads[i] = knownSpread(places[i]).value_or(kUnknown);
    if (!knownSpread(p))
        return std::nullopt;
    return areaFigures(spreads);
}

std::optional<BassFigures> PlacementEvaluator::seatFiguresOf(const Placement& p) const {
    const auto found = seatFigures_.find(keyOf(p));
    return found == seatFigures_.end() ? std::nullopt : std::optional<BassFigures>(found->second);
}

// The places whose spreads a lattice point's objective takes.
std::vector<Placement> PlacementEvaluator::placesOf(const Lattice& v) const {
    const Placement p = lattice_.place(v);
    if (objective_ == Objective::Point || allSeats_)
        return {p};
    return areaOf(p);
}

// The spread at a place; nothing when it has not been computed.
std::optional<double> PlacementEvaluator::knownSpread(const Placement& p) const {
    const auto found = spreads_.find(keyOf(p));
    return found == spreads_.end() ? std::nullopt : std::optional<double>(found->second);
}

void PlacementEvaluator::runTasks(int count, const std::function<void(int)>& task) {
    workers_.run(count, [&](int i) {
        if (!stop_.stop_requested())
            task(i);
    });
}

void PlacementEvaluator::counted() {
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

} // namespace kolmarin::detail
