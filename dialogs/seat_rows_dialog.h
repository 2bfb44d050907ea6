#pragma once
// The seats to set out around the listener: a row or a grid, how many, how far apart.

#include "model/layout/seat_rows.h"

#include <optional>

class QWidget;

namespace kolmarin {

struct SeatRowsChoice {
    SeatPattern pattern = SeatPattern::Row;
    int count = 2;        // seats besides the listener
    double spacing = 0.6; // metres
};

// The user's choice, starting from `current`; nothing when the user cancelled.
std::optional<SeatRowsChoice> askSeatRows(QWidget* parent, const SeatRowsChoice& current);

} // namespace kolmarin
