#pragma once
// The mode list file: a title, the room's three dimension texts as they stand, then the
// ModeTable, header row first, each cell right-aligned in 14 bytes (the decay times, when
// the table has them, as a sixth cell). CP932, CR LF.

#include "model/acoustics/eigenmodes.h"
#include "model/acoustics/scene.h"

#include <QByteArray>

namespace kolmarin {

inline constexpr char kModeFileHeader[] = "定在波周波数特性計算Kolmarin2 Ver0.71計算結果";

// Uses only width, depth and height of `texts`. Throws UserError naming a text that
// cannot be written (see encodeLineText).
QByteArray modeFileBytes(const SceneTexts& texts, const ModeTable& table);

} // namespace kolmarin
