#include "model/acoustics/placement_lattice.h"

#include <algorithm>
#include <cmath>

namespace kolmarin::detail {

namespace {

// A grid's box is walked only below this many points, so a huge room coarsens its grid
// instead of listing billions of points.
constexpr double kLargestBox = 400000;

int dimensions(Layout layout, const PlacementConstraints& c) {
    if (layout == Layout::Seats && c.centreLine)
        return 1; // the seats' middle on the centre line: only y is free
    return layout == Layout::Stereo ? 3 : 2;
}

int lowestCentimetre(double metres) {
    return static_cast<int>(std::ceil(metres * 100 - kPlacementTolerance));
}
int highestCentimetre(double metres) {
    return static_cast<int>(std::floor(metres * 100 + kPlacementTolerance));
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
    case Layout::Seats:
        break;
    }
    if (c.centreLine)
        return {y, Range{0, 0}, Range{0, 0}};
    return {x, y, Range{0, 0}};
}

double centimetres(int value) {
    return value / 100.0;
}

// The grid steps to try, finest first: 1, 2 and 5 cm, the plan's base and its multiples,
// then doublings up to a step no room needs.
std::vector<int> gridSteps(int base) {
    std::vector<int> steps{1, 2, 5};
    for (int factor : {1, 2, 3, 4, 5})
        steps.push_back(base * factor);
    while (steps.back() < 20000000)
        steps.push_back(steps.back() * 2);
    std::sort(steps.begin(), steps.end());
    steps.erase(std::unique(steps.begin(), steps.end()), steps.end());
    return steps;
}

} // namespace

// The objective is rugged at the centimetre (a point's spread moves by up to 0.1 dB per
// cm, and the area spread adds nine such fields), so valleys are narrow: a dense grid and
// many starts find the deepest.
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
    case Layout::Seats:
        break;
    }
    // Any step of 5 cm or 10 cm shares the area's neighbours: a point costs about one spread.
    return Plan{3000, 5, 24};
}

SearchLattice::SearchLattice(const Scene& scene, const Scene& room, Layout layout,
                             const PlacementConstraints& constraints)
    : scene_(scene), layout_(layout), constraints_(constraints), dims_(dimensions(layout, constraints)),
      ranges_(latticeRanges(room, layout, constraints)),
      centre_(constraints.centreLine ? centredListenerX(scene) : roundedPosition(scene.width / 2)) {
    mirrored_.resize(static_cast<std::size_t>(std::clamp(ranges_[0].high + 1, 0, 100000)));
    for (std::size_t v = 0; v < mirrored_.size(); ++v)
        mirrored_[v] = roundedPosition(scene.width - centimetres(static_cast<int>(v)));
}

Placement SearchLattice::place(const Lattice& v) const {
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
    case Layout::Seats:
        p.listener.x = constraints_.centreLine ? centre_ : centimetres(v[0]);
        p.listener.y = centimetres(v[constraints_.centreLine ? 0 : 1]);
        break;
    }
    return p;
}

bool SearchLattice::feasible(const Lattice& v) const {
    return keepsConstraints(scene_, place(v), layout_, constraints_);
}

CoarseGrid SearchLattice::coarseGrid(const Plan& plan, std::stop_token stop) const {
    const std::vector<int> steps = gridSteps(plan.base);
    CoarseGrid chosen;
    std::vector<Lattice> points;
    for (auto step = steps.rbegin(); step != steps.rend() && !stop.stop_requested(); ++step) {
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
            for (v[axis] = first; v[axis] <= r.high && !stop.stop_requested(); v[axis] += *step)
                self(self, axis + 1);
        };
        walkBox(walkBox, 0);
        if (static_cast<long long>(points.size()) > plan.budget && !chosen.points.empty())
            break;
        chosen.points.swap(points);
        chosen.step = *step;
    }
    return chosen;
}

std::vector<Lattice> SearchLattice::neighbours(const Lattice& at, int step, bool surrounding) const {
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
    const auto reach = [&](int axis) { return axis < dims_ ? 1 : 0; };
    for (int a = -1; a <= 1; ++a)
        for (int b = -reach(1); b <= reach(1); ++b)
            for (int c = -reach(2); c <= reach(2); ++c)
                consider({at[0] + a, at[1] + b, at[2] + c});
    return out;
}

} // namespace kolmarin::detail
