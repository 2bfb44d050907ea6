#include "model/acoustics/placed_things.h"

namespace kolmarin {

std::vector<PlacedThing> placedThings(const BassSetup& setup) {
    std::vector<PlacedThing> things;
    const int sources = static_cast<int>(setup.texts.sources.size());
    for (int s = 0; s < sources; ++s) {
        const std::string number = std::to_string(s < kLoudspeakerCount ? s + 1 : s - kLoudspeakerCount + 1);
        if (s < kLoudspeakerCount)
            things.push_back({PlacedKind::Loudspeaker, s, "SP" + number, "スピーカー" + number});
        else
            things.push_back({PlacedKind::Subwoofer, s, "SW" + number, "SW" + number});
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
