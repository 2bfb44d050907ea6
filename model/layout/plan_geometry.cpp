#include "model/layout/plan_geometry.h"

#include "model/errors.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace kolmarin {

namespace {

int checkedInt(long long value) {
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        throw UserError(msg::kInvalidOperation);
    return static_cast<int>(value);
}

// The quotient a / b, raising the floating-point faults instead of producing an
// infinity or a NaN.
double divide(double a, double b) {
    if (b == 0.0)
        throw UserError(a == 0.0 ? msg::kInvalidOperation : msg::kZeroDivide);
    const double q = a / b;
    if (!std::isfinite(q))
        throw UserError(msg::kOverflow);
    return q;
}

} // namespace

int roundHalfEven(double value) {
    if (!std::isfinite(value) || std::fabs(value) > 2147483647.0)
        throw UserError(msg::kInvalidOperation);
    const double below = std::floor(value);
    const double fraction = value - below;
    double rounded = below;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0))
        rounded = below + 1.0;
    return checkedInt(static_cast<long long>(rounded));
}

PlanRect planRectFor(double width, double depth) {
    const double ratio = divide(depth, width);
    PlanRect plan;
    // The area's own ratio, 417 / 305, decides which side of the area the room fills.
    if (ratio >= static_cast<double>(kPlanMaxHeight) / kPlanMaxWidth) {
        plan.height = kPlanMaxHeight;
        plan.width = roundHalfEven(divide(kPlanMaxHeight, ratio));
    } else {
        plan.height = roundHalfEven(kPlanMaxWidth * ratio);
        plan.width = kPlanMaxWidth;
    }
    if (plan.width < 1)
        plan.width = 1;
    if (plan.height < 1)
        plan.height = 1;
    return plan;
}

std::array<int, 9> planTenths(int extent) {
    std::array<int, 9> lines{};
    for (int i = 1; i <= 9; ++i)
        lines[static_cast<std::size_t>(i - 1)] = roundHalfEven(extent / 10.0 * i);
    return lines;
}

PixelPoint toMarkerCorner(const PlanRect& plan, double width, double depth, PlanPosition position) {
    const long long across = roundHalfEven(divide(plan.width * position.x, width));
    const long long down = roundHalfEven(divide(plan.height * position.y, depth));
    return {checkedInt(plan.left + across - kMarkerHalf), checkedInt(plan.top + down - kMarkerHalf)};
}

double markerX(const PlanRect& plan, double width, int left) {
    const long long across = static_cast<long long>(left) + kMarkerHalf - plan.left;
    return divide(width * static_cast<double>(across), plan.width);
}

double markerY(const PlanRect& plan, double depth, int top) {
    const long long down = static_cast<long long>(top) + kMarkerHalf - plan.top;
    return divide(depth * static_cast<double>(down), plan.height);
}

PlanPosition fromMarkerCorner(const PlanRect& plan, double width, double depth, PixelPoint corner) {
    return {markerX(plan, width, corner.left), markerY(plan, depth, corner.top)};
}

int toSliderPosition(double z, double height) {
    const double percent = divide(z, height) * 100.0;
    // Beyond the slider's ends the nearer end is taken, so far-off heights need no rounding.
    if (!(percent < kSliderMax + 1.0))
        return 0;
    if (!(percent > -1.0))
        return kSliderMax;
    const int position = kSliderMax - roundHalfEven(percent);
    return position < 0 ? 0 : (position > kSliderMax ? kSliderMax : position);
}

double fromSliderPosition(int position, double height) {
    return height * (kSliderMax - position) / kSliderMax;
}

PulledBack pullBackIntoRoom(PlacedObject object, const Point3& p, double width, double depth, double height) {
    PulledBack out;
    if (p.x > width) {
        switch (object) {
        case PlacedObject::SP1:
            out.x = 0.0;
            break;
        case PlacedObject::SP2:
            out.x = width;
            break;
        case PlacedObject::Listener:
            out.x = width / 2;
            break;
        }
    }
    if (p.y > depth)
        out.y = object == PlacedObject::Listener ? depth : 0.0;
    if (p.z > height)
        out.z = height;
    return out;
}

PixelPoint dragMarker(const PlanRect& plan, PixelPoint corner, PixelPoint pointer, PixelPoint grabPoint) {
    const long long newLeft = static_cast<long long>(corner.left) + pointer.left - grabPoint.left;
    const long long newTop = static_cast<long long>(corner.top) + pointer.top - grabPoint.top;
    const int leftWall = plan.left - kMarkerHalf;
    const int rightWall = plan.left + plan.width - kMarkerHalf;
    const int frontWall = plan.top - kMarkerHalf;
    const int backWall = plan.top + plan.height - kMarkerHalf;
    // One wall at a time, in this order: a pointer past a side wall pins the marker to
    // that wall and keeps it from following the pointer up or down.
    if (newLeft <= leftWall)
        return {leftWall, corner.top};
    if (newLeft >= rightWall)
        return {rightWall, corner.top};
    if (newTop <= frontWall)
        return {corner.left, frontWall};
    if (newTop >= backWall)
        return {corner.left, backWall};
    return {static_cast<int>(newLeft), static_cast<int>(newTop)};
}

Coordinate nudgedCoordinate(NudgeKey key) {
    switch (key) {
    case NudgeKey::Left:
    case NudgeKey::Right:
        return Coordinate::X;
    case NudgeKey::Up:
    case NudgeKey::Down:
        return Coordinate::Y;
    case NudgeKey::Lower:
    case NudgeKey::Raise:
        break;
    }
    return Coordinate::Z;
}

bool nudgeRaises(NudgeKey key) {
    return key == NudgeKey::Right || key == NudgeKey::Down || key == NudgeKey::Raise;
}

long double nudge(double value, NudgeKey key, bool fine, double limit) {
    const long double step = fine ? 0.01L : 0.1L;
    const long double v = value;
    if (!nudgeRaises(key))
        return v - step >= 0.0L ? v - step : 0.0L;
    return v + step > static_cast<long double>(limit) ? static_cast<long double>(limit) : v + step;
}

PixelPoint markerNameCorner(const PlanRect& plan, PixelPoint markerCorner, int nameWidth, int nameHeight) {
    // One pixel between the name and the marker or a wall line.
    constexpr int kGap = 1;
    int left = markerCorner.left + kMarkerSize + kGap;
    if (left + nameWidth > plan.left + plan.width - kGap)
        left = markerCorner.left - kGap - nameWidth;
    const int top = std::clamp(markerCorner.top - 4, plan.top + kGap,
                               std::max(plan.top + kGap, plan.top + plan.height - kGap - nameHeight));
    return {left, top};
}

} // namespace kolmarin
