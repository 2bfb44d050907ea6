#include "model/layout/seat_rows.h"

#include "model/acoustics/bass_setup.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace kolmarin {

namespace {

bool inside(const Point3& p, double width, double depth) {
    return p.x > 0 && p.x < width && p.y > 0 && p.y < depth;
}

std::string metres(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

} // namespace

std::vector<Point3> arrangeSeats(SeatPattern pattern, const Point3& listener, int count, double spacing,
                                 double width, double depth) {
    if (count < 1 || count > kMostExtraSeats)
        throw UserError("並べる座席の数は 1〜" + std::to_string(kMostExtraSeats) + " にしてください");
    if (!(spacing > 0))
        throw UserError("座席の間隔は 0 より大きくしてください");
    // The listener takes one cell; the rows are as wide as a square of all the seats.
    const int seats = count + 1;
    const int columns = pattern == SeatPattern::Row ? seats : static_cast<int>(std::ceil(std::sqrt(seats)));
    const int rows = (seats + columns - 1) / columns;
    const int listenerColumn = (columns - 1) / 2;
    const int listenerRow = (rows - 1) / 2;
    std::vector<Point3> placed;
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns && static_cast<int>(placed.size()) < count; ++column) {
            if (row == listenerRow && column == listenerColumn)
                continue;
            const Point3 p{listener.x + (column - listenerColumn) * spacing,
                           listener.y + (row - listenerRow) * spacing, listener.z};
            if (!inside(p, width, depth))
                throw UserError(std::to_string(count) + " 席を " + metres(spacing) +
                                " m 間隔で並べると部屋に収まりません。数か間隔を小さくするか、"
                                "聴取者を部屋の中ほどへ動かしてください");
            placed.push_back(p);
        }
    return placed;
}

Point3 nextSeat(const Point3& listener, const std::vector<Point3>& seats, double width, double depth) {
    constexpr double kStep = 0.6; // about one seat's width
    auto taken = [&](const Point3& p) {
        for (const Point3& s : seats)
            if (std::abs(s.x - p.x) < 0.05 && std::abs(s.y - p.y) < 0.05)
                return true;
        return std::abs(listener.x - p.x) < 0.05 && std::abs(listener.y - p.y) < 0.05;
    };
    for (int k = 1; k * kStep < width; ++k)
        for (int side : {1, -1}) {
            const Point3 p{listener.x + side * k * kStep, listener.y, listener.z};
            if (inside(p, width, depth) && !taken(p))
                return p;
        }
    return {width / 2, depth / 2, listener.z};
}

} // namespace kolmarin
