#include "model/acoustics/image_tables.h"

#include "model/errors.h"

#include <algorithm>
#include <cmath>

namespace kolmarin::detail {

namespace {

// p^n by repeated multiplication from 1.0, rounded to double at each step; p^0 is 1.
double power(double p, int n) {
    double r = 1.0;
    for (int k = 0; k < n; ++k)
        r *= p;
    return r;
}

// Reflections of image i on the axis's positive wall (right, front, ceiling) and on its
// negative wall (left, back, floor); together they make |i|.
int positiveWallCount(int i) {
    return i >= 0 ? (i + 1) / 2 : -i / 2;
}
int negativeWallCount(int i) {
    return i >= 0 ? i / 2 : (-i + 1) / 2;
}

void requireFinite(const std::vector<double>& values) {
    for (double v : values)
        if (!std::isfinite(v))
            throw UserError(msg::kOverflow);
}

// Squared distance components along one axis of length L from the images of a source at
// centred coordinate s to the seat at centred coordinate l.
std::vector<double> squaredDistances(int n, double length, double s, double l) {
    std::vector<double> out;
    out.reserve(static_cast<std::size_t>(2 * n + 1));
    for (int i = -n; i <= n; ++i) {
        const double sigma = (i % 2 == 0) ? 1.0 : -1.0;
        const double diff = sigma * s + i * length - l;
        out.push_back(diff * diff);
    }
    requireFinite(out);
    return out;
}

std::vector<double> reflectionFactors(int n, double positiveWall, double negativeWall) {
    std::vector<double> out;
    out.reserve(static_cast<std::size_t>(2 * n + 1));
    for (int i = -n; i <= n; ++i)
        out.push_back(power(positiveWall, positiveWallCount(i)) * power(negativeWall, negativeWallCount(i)));
    requireFinite(out);
    return out;
}

struct Centred {
    double x, y, z;
};

// Room-centred coordinates; y is turned round so it grows towards the front wall.
Centred centre(const Point3& p, const Scene& s) {
    return {p.x - s.width / 2, s.depth / 2 - p.y, p.z - s.height / 2};
}

} // namespace

AxisTables buildAxisTables(const Scene& s, int seat) {
    AxisTables t;
    const int n = s.reflectionCount;
    if (n < 0)
        return t;
    t.count = 2 * n + 1;
    const Centred l = centre(s.seats.at(static_cast<std::size_t>(seat)), s);
    for (const Source& source : s.sources) {
        const Centred p = centre(source.position, s);
        t.sources.push_back({squaredDistances(n, s.width, p.x, l.x), squaredDistances(n, s.depth, p.y, l.y),
                             squaredDistances(n, s.height, p.z, l.z)});
    }
    t.rx = reflectionFactors(n, s.reflRight, s.reflLeft);
    t.ry = reflectionFactors(n, s.reflFront, s.reflBack);
    t.rz = reflectionFactors(n, s.reflCeiling, s.reflFloor);
    return t;
}

void clearResponses(ImpulseResponses& out, std::size_t sources) {
    out.sources.resize(sources);
    for (std::vector<double>& h : out.sources) {
        h.resize(kTransformLength);
        std::fill(h.begin(), h.end(), 0.0);
    }
}

} // namespace kolmarin::detail
