#pragma once
// The windows' Japanese proportional Gothic face at a pixel size: the classic system face
// where the machine has it, the IPA face of the same design otherwise.

#include <QFont>

namespace kolmarin {

QFont japaneseWindowFont(int pixelSize = 12);

} // namespace kolmarin
