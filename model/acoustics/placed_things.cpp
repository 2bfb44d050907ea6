#include "model/acoustics/placed_things.h"

namespace kolmarin {

std::vector<PlacedThing> placedThings(const BassSetup& setup) {
    std::vector<PlacedThing> things;
    const int loudspeakers = setup.loudspeakerCount();
    for (int s = 0; s < loudspeakers; ++s) {
        const LoudspeakerRole role = setup.loudspeakers[static_cast<std::size_t>(s)].role;
        // The fronts' steps keep the names they have always had.
        const std::string name = s < 2 ? "スピーカー" + std::to_string(s + 1) : loudspeakerName(role);
        things.push_back({PlacedKind::Loudspeaker, s, loudspeakerLabel(role), name});
    }
    for (int s = loudspeakers; s < static_cast<int>(setup.texts.sources.size()); ++s) {
        const std::string label = "SW" + std::to_string(s - loudspeakers + 1);
        things.push_back({PlacedKind::Subwoofer, s, label, label});
    }
    for (int seat = 0; seat < static_cast<int>(setup.texts.seats.size()); ++seat) {
        const std::string label = "座席 " + std::to_string(seat + 1);
        things.push_back({PlacedKind::Seat, seat, label, seat == 0 ? std::string("聴取者") : label});
    }
    return things;
}

const PositionTexts& positionOf(const BassSetup& setup, const PlacedThing& thing) {
    const auto& list = thing.kind == PlacedKind::Seat ? setup.texts.seats : setup.texts.sources;
    return list.at(static_cast<std::size_t>(thing.index));
}

PositionTexts& positionOf(BassSetup& setup, const PlacedThing& thing) {
    return const_cast<PositionTexts&>(positionOf(static_cast<const BassSetup&>(setup), thing));
}

} // namespace kolmarin
