#pragma once
// The response as comma-separated values for plotting in other tools: a header line
// "frequency_hz,sp1_db,sp2_db,total_db", then one line per element with the frequency and
// the three levels to 17 significant digits (enough to give back the exact double), a
// point as decimal separator whatever the locale. Lines end with LF.

#include "model/acoustics/response.h"

#include <QByteArray>

namespace kolmarin {

QByteArray responseCsvBytes(const ResponseCurves& curves, ElementRange rows);

} // namespace kolmarin
