#pragma once
// How long each of the room's modes rings. A mode (nx, ny, nz) is a standing wave made of
// plane waves whose direction cosines are c*n/(2*L*f) along each axis of length L. Each
// such wave crosses the room along an axis and back c^2*n/(4*L^2*f) times a second and
// keeps |R1*R2| of its amplitude on each round trip between that axis's two walls, so it
// loses
//     sum over the axes of  c^2*n/(4*L^2*f) * -20*log10|R1*R2|   dB a second,
// and T60 is 60 dB over that. A mode along the depth meets only the front and back walls;
// walls parallel to a wave's travel take nothing from it. This is the rate at which the
// image-source response itself rings at the mode once enough reflections are followed,
// wherever the listener sits (a seat changes how loud a mode is, not how fast it dies).

#include "model/acoustics/eigenmodes.h"
#include "model/acoustics/scene.h"

#include <optional>
#include <string>
#include <vector>

namespace kolmarin {

// T60 in seconds of mode (nx, ny, nz) of the scene's room and walls; nothing when the mode
// never dies away (every wall it meets reflects all, or more than all, of it) or for the
// index triple (0, 0, 0). A wall reflecting nothing ends a mode that meets it at once (0 s).
std::optional<double> modeDecayTime(const Scene& scene, int nx, int ny, int nz);

// The decay-time column of a mode table: the title "T60(秒)", then each mode's T60 in
// seconds with two decimals and the given separator, or "-" where it never dies away.
std::vector<std::string> modeDecayColumn(const ModeTable& table, const Scene& scene, char decimalSeparator);

} // namespace kolmarin
