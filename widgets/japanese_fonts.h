#pragma once
// The program's two Japanese faces, 12 pixels high: the proportional Gothic of the windows
// and the proportional Mincho of the chart. The classic system faces are used where the
// machine has them; the IPA faces of the same designs stand in otherwise.

#include <QFont>

namespace kolmarin {

QFont japaneseWindowFont(int pixelSize = 12);
QFont chartFont();

} // namespace kolmarin
