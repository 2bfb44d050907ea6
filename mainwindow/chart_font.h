#pragma once
// The chart's typeface: a proportional Japanese mincho, 12 pixels high, the classic system
// face where the machine has it, else the IPA face of the same design.

#include <QFont>

namespace kolmarin {

QFont chartFont();

} // namespace kolmarin
