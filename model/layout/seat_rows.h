#pragma once
// Where the seats besides the listener go when they are added from the window: one by one
// beside the listener, or all at once as a row across the room or a grid around the
// listener. A seat stands at the listener's height; one on or beyond a wall is refused,
// since nobody sits there and the room's pressure there says nothing about a seat.

#include "model/acoustics/scene.h"

#include <vector>

namespace kolmarin {

enum class SeatPattern { Row, Grid };

// `count` seats (1 to 16) `spacing` metres apart with the listener among them: a row
// across the room (along its width) or a grid of rows as near square as the count allows,
// the listener in the middle of the front half. Refused whole when a seat would not stand
// inside the `width` × `depth` room.
std::vector<Point3> arrangeSeats(SeatPattern pattern, const Point3& listener, int count, double spacing,
                                 double width, double depth);

// One more seat: the first free place in the listener's row, 0.6 m steps to either side,
// else the room's centre.
Point3 nextSeat(const Point3& listener, const std::vector<Point3>& seats, double width, double depth);

} // namespace kolmarin
