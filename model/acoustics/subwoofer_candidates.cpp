#include "model/acoustics/subwoofer_candidates.h"

#include <algorithm>
#include <cmath>

namespace kolmarin {

namespace {

constexpr double kLongestCandidateWall = 1000.0;

double centimetres(double metres) {
    return std::nearbyint(metres * 100.0) / 100.0;
}

} // namespace

std::string missingDefaultCandidates(double width, double depth, double height) {
    const double c = kCandidateClearance;
    if (!(width - c >= c && depth - c >= c && height >= c))
        return "部屋が小さく、壁と床から 0.30 m 離した既定の候補の位置を置けません";
    if (width > kLongestCandidateWall || depth > kLongestCandidateWall)
        return "部屋の幅か奥行きが 1000 m を超えるため、既定の候補の位置を置きません。候補の位置をファイルで"
               "指定してください";
    return {};
}

std::vector<Point3> defaultSubwooferCandidates(double width, double depth, double height) {
    const double c = kCandidateClearance;
    const double left = c, right = width - c, front = c, back = depth - c;
    if (!missingDefaultCandidates(width, depth, height).empty())
        return {};
    std::vector<Point3> out;
    const auto add = [&](double x, double y) {
        const Point3 p{centimetres(x), centimetres(y), centimetres(c)};
        if (std::none_of(out.begin(), out.end(),
                         [&](const Point3& q) { return q.x == p.x && q.y == p.y && q.z == p.z; }))
            out.push_back(p);
    };
    add(left, front);
    add(right, front);
    add(right, back);
    add(left, back);
    add(width / 2, front);
    add(right, depth / 2);
    add(width / 2, back);
    add(left, depth / 2);
    // Each wall walked from its first corner, so the points do not depend on rounding
    // carried along the way.
    const auto walk = [&](double length, auto at) {
        for (int i = 0; i * kCandidateSpacing <= length + 1e-9; ++i)
            at(i * kCandidateSpacing);
    };
    walk(right - left, [&](double d) { add(left + d, front); });
    walk(back - front, [&](double d) { add(right, front + d); });
    walk(right - left, [&](double d) { add(right - d, back); });
    walk(back - front, [&](double d) { add(left, back - d); });
    return out;
}

} // namespace kolmarin
