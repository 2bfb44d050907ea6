#pragma once
// The settings a processor takes for the subwoofers: each one's level, its delay (also as
// the distance sound travels in that time at 344 m/s, for processors set in metres) and
// its polarity, then the filters of their shared EQ in the text form parametric-EQ
// programs read, one line each: "Filter 1: ON PK Fc 42.0 Hz Gain -6.5 dB Q 4.30". As text
// (UTF-8, LF) or as CSV.

#include "model/acoustics/bass_setup.h"
#include "model/acoustics/peaking_eq.h"

#include <QByteArray>

#include <vector>

namespace kolmarin {

// "Filter 1: ON PK Fc 42.0 Hz Gain -6.5 dB Q 4.30", without the line's end.
QByteArray filterLine(int number, const PeakingFilter& filter);

QByteArray bassSettingsText(const std::vector<SubwooferSignal>& subwoofers,
                            const std::vector<PeakingFilter>& eq);

// kind,number,level_db,delay_ms,distance_m,polarity,fc_hz,gain_db,q: a "subwoofer" row per
// subwoofer, then a "filter" row per filter, each with the fields that apply.
QByteArray bassSettingsCsv(const std::vector<SubwooferSignal>& subwoofers,
                           const std::vector<PeakingFilter>& eq);

} // namespace kolmarin
