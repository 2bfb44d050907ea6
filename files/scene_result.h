#pragma once
// What one calculation of the scene gave, as every window shows it: the scene it read, the
// listener's curves and impulse responses, and with a setup every seat's Total and the
// seats' figures. The document holds the latest; a failed calculation leaves none.

#include "model/acoustics/response.h"
#include "model/acoustics/scene.h"
#include "model/acoustics/seat_variation.h"

#include <QString>

#include <optional>
#include <vector>

namespace kolmarin {

struct SceneResult {
    Scene scene;               // as the calculation read it, setup included
    ResponseCurves curves;     // the listener's: each source alone and the Total
    ImpulseResponses impulses; // the listener's, which the waterfall and decay times read
    ElementRange computed;     // the elements the curves hold; none without a result
    QString calculatedAt;      // the time the chart's title gives; "計算できません" after a failure
    std::vector<Curve> otherSeatTotals;     // with a setup: the Total at each seat after the listener
    std::optional<SeatFigures> seatFigures; // with more than one seat: each seat's spread and mean

    bool calculated() const { return computed.first <= computed.last; }
};

} // namespace kolmarin
