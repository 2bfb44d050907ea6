#pragma once
// Everything placed in the room, in one list: the loudspeakers, the subwoofers and the
// seats of a setup, each with where its position is kept and what it is called. The table
// of placed things, and whatever else walks over them all, reads this list.

#include "model/acoustics/bass_setup.h"

#include <string>
#include <vector>

namespace kolmarin {

enum class PlacedKind { Loudspeaker, Subwoofer, Seat };

struct PlacedThing {
    PlacedKind kind = PlacedKind::Loudspeaker;
    int index = 0;     // in the setup's sources (loudspeakers, then subwoofers) or its seats
    std::string label; // as the plan and the chart call it: "SP1", "SW2", "座席 3"
    std::string name;  // as a step in the edit menu names it: "スピーカー1", "聴取者"

    bool operator==(const PlacedThing&) const = default;
};

// The loudspeakers, then the subwoofers, then the seats (the listener first).
std::vector<PlacedThing> placedThings(const BassSetup& setup);

// Where a loudspeaker of `role` is first put in a room of `room` (width, depth, height) in
// metres: the centre between the side walls at SP1's distance and height, the surrounds
// 0.30 m from the side walls level with the listener, the surround backs 0.30 m from the
// back wall, 0.50 m either side of the middle; the surrounds at 1.20 m. Always inside.
Point3 firstPlace(LoudspeakerRole role, const Point3& room, const Point3& sp1, const Point3& listener);

// `setup` without `thing`, a loudspeaker after SP1 and SP2; a front cannot go.
BassSetup withoutLoudspeaker(BassSetup setup, const PlacedThing& thing);

// Where `thing`'s position is kept in `setup`.
PositionTexts& positionOf(BassSetup& setup, const PlacedThing& thing);
const PositionTexts& positionOf(const BassSetup& setup, const PlacedThing& thing);

} // namespace kolmarin
