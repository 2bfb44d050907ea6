#pragma once
// The listening area: a head is never at one point, and a seat is never found again to the
// centimetre, so a placement is also judged over the listener and its 8 neighbours moved by
// 0.10 m along x, y or both. The area spread is the mean of their 9 spreads (a flat area,
// not a flat needle); the worst of them is what the listener hears at the worst place
// within that square.

#include "model/acoustics/scene.h"
#include "model/acoustics/spread.h"

#include <array>
#include <optional>

namespace kolmarin {

// The listener's moves for the listening area.
inline constexpr double kRobustnessMove = 0.10;

// The listener itself first, then its 8 neighbours, each as the read-outs hold it (two
// decimals); the height stays.
std::array<Point3, 9> listeningArea(const Point3& listener);

struct AreaFigures {
    double spread = 0.0; // dB at the listener
    double worst = 0.0;  // dB, the worst of the 9 ("最悪 ±0.10 m")
    double area = 0.0;   // dB, the mean of the 9
};

// The figures of the 9 places; each is NaN when one of its spreads is unknown (the spread
// too when only it is).
AreaFigures areaFigures(const std::array<double, 9>& spreads);

// The figures of the scene as it stands; nothing when the listener's own spread is unknown.
std::optional<AreaFigures> areaFiguresOf(const Scene& scene, Band band);

} // namespace kolmarin
