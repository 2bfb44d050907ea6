#include "model/acoustics/placement.h"

#include "model/text/number_text.h"

#include <algorithm>
#include <numbers>

namespace kolmarin {

double frontFarthest(const Scene& room, const PlacementConstraints& c) {
    return std::isnan(c.frontFarthest) ? room.depth / 2 : c.frontFarthest;
}

double distanceFarthest(const Scene& room, const PlacementConstraints& c) {
    return std::isnan(c.distanceFarthest) ? room.depth : c.distanceFarthest;
}

double roundedPosition(double metres) {
    return parseDecimal(formatPosition(metres));
}

std::vector<Point3> seatsWith(const Scene& room, const Point3& listener) {
    std::vector<Point3> seats{listener};
    if (room.seats.empty())
        return seats;
    const double dx = listener.x - room.seats[0].x, dy = listener.y - room.seats[0].y;
    for (std::size_t i = 1; i < room.seats.size(); ++i) {
        const Point3& s = room.seats[i];
        seats.push_back({roundedPosition(s.x + dx), roundedPosition(s.y + dy), s.z});
    }
    return seats;
}

double centredListenerX(const Scene& room) {
    double offsets = 0.0;
    for (const Point3& s : room.seats)
        offsets += s.x - room.seats.front().x;
    const double middle = room.seats.empty() ? 0.0 : offsets / static_cast<double>(room.seats.size());
    return roundedPosition(room.width / 2 - middle);
}

Scene withPlacement(Scene scene, const Placement& placement) {
    scene.sources.at(0).position = placement.sp1;
    scene.sources.at(1).position = placement.sp2;
    if (scene.seats.size() > 1)
        scene.seats = seatsWith(scene, placement.listener);
    else
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
    constexpr double kTolerance = kPlacementTolerance;
    const auto within = [](double v, double low, double high) {
        return v >= low - kTolerance && v <= high + kTolerance;
    };
    const auto clear = [&](const Point3& q) {
        return within(q.x, c.wallClearance, room.width - c.wallClearance) &&
               within(q.y, c.wallClearance, room.depth - c.wallClearance);
    };
    if (layout != Layout::Speakers) {
        const std::vector<Point3> seats = seatsWith(room, p.listener);
        if (!std::all_of(seats.begin(), seats.end(), clear))
            return false;
        // The one listener place on the lattice that centres the seats.
        if (c.centreLine && std::fabs(p.listener.x - centredListenerX(room)) > kTolerance)
            return false;
    }
    if (layout != Layout::Seats) {
        // SP2 stands at SP1's mirror image in the position form, half a centimetre at most away.
        if (c.centreLine && std::fabs(p.sp1.x + p.sp2.x - room.width) > 0.005 + kTolerance)
            return false;
        const double farthest = frontFarthest(room, c);
        if (!clear(p.sp1) || !clear(p.sp2) || !within(p.sp1.y, c.frontNearest, farthest) ||
            !within(p.sp2.y, c.frontNearest, farthest) || p.sp1.x > p.sp2.x + kTolerance ||
            std::hypot(p.sp2.x - p.sp1.x, p.sp2.y - p.sp1.y) < c.leastSpacing - kTolerance)
            return false;
    }
    if (!within(listeningDistance(p), c.distanceNearest, distanceFarthest(room, c)))
        return false;
    return layout == Layout::Seats || within(stereoAngle(p), c.narrowestAngle, c.widestAngle);
}

} // namespace kolmarin
