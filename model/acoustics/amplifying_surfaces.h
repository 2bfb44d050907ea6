#pragma once
// A reflection coefficient above 1 is a surface that gives back more than it receives.
// Room files and the window take it, but each reflection then makes the sound louder, and
// the levels climb by hundreds of dB or overflow: the user is told which surface does it.

#include "model/acoustics/scene.h"

#include <string>
#include <vector>

namespace kolmarin {

// One line per such surface, "前の壁の反射率 1.2 は 1 を超えるため、…", in the order
// front, back, right, left, floor, ceiling. Texts that are not numbers are left to the
// reader that refuses them.
std::vector<std::string> amplifyingSurfaces(const SceneTexts& texts, char decimalSeparator);

} // namespace kolmarin
