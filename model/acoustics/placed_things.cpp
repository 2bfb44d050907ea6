#include "model/acoustics/placed_things.h"

#include "model/errors.h"

#include <algorithm>

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

Point3 firstPlace(LoudspeakerRole role, const Point3& room, const Point3& sp1, const Point3& listener) {
    constexpr double gap = 0.30, height = 1.20, apart = 0.50;
    const double width = room.x, depth = room.y;
    const double x = role == LoudspeakerRole::SurroundLeft    ? gap
                     : role == LoudspeakerRole::SurroundRight ? width - gap
                     : role == LoudspeakerRole::BackLeft      ? width / 2 - apart
                     : role == LoudspeakerRole::BackRight     ? width / 2 + apart
                                                              : width / 2;
    const bool back = role == LoudspeakerRole::BackLeft || role == LoudspeakerRole::BackRight;
    const bool side = role == LoudspeakerRole::SurroundLeft || role == LoudspeakerRole::SurroundRight;
    const double y = back ? depth - gap : side ? listener.y : sp1.y;
    const double z = role == LoudspeakerRole::Centre ? sp1.z : height;
    return {std::clamp(x, 0.0, width), std::clamp(y, 0.0, depth), std::clamp(z, 0.0, room.z)};
}

BassSetup withoutLoudspeaker(BassSetup setup, const PlacedThing& thing) {
    if (thing.kind != PlacedKind::Loudspeaker || thing.index < 2 || thing.index >= setup.loudspeakerCount())
        throw UserError("外せるのはセンターとサラウンドのスピーカーだけです");
    setup.loudspeakers.erase(setup.loudspeakers.begin() + thing.index);
    setup.texts.sources.erase(setup.texts.sources.begin() + thing.index);
    return setup;
}

const PositionTexts& positionOf(const BassSetup& setup, const PlacedThing& thing) {
    const auto& list = thing.kind == PlacedKind::Seat ? setup.texts.seats : setup.texts.sources;
    return list.at(static_cast<std::size_t>(thing.index));
}

PositionTexts& positionOf(BassSetup& setup, const PlacedThing& thing) {
    return const_cast<PositionTexts&>(positionOf(static_cast<const BassSetup&>(setup), thing));
}

} // namespace kolmarin
