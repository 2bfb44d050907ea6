#pragma once
// The band of a spread, asked in two whole-hertz boxes as the placement search takes it.

#include "model/acoustics/spread.h"

#include <optional>

class QString;
class QWidget;

namespace kolmarin {

// The band the user chose, starting from `current`, in a dialog titled `title`; nothing
// when the user cancelled. OK is offered only for a band the spread can take (10 to 500
// Hz, low below high).
std::optional<Band> askBand(QWidget* parent, Band current, const QString& title);

} // namespace kolmarin
