#pragma once
// What kolmarin2-cli's decay command writes: the decay time of each third of an octave at
// the listener, or the waterfall's slices as CSV.

#include "model/acoustics/decay.h"

#include <QByteArray>

#include <vector>

namespace kolmarin::cli {

// One line per third-octave band from 20 to 200 Hz: its centre and T60 in seconds, or
// 不明 where it is not known. UTF-8.
QByteArray thirdOctaveDecayTable(const std::vector<double>& impulse);

// time_ms,frequency_hz,level_db: one row per slice and frequency, slices outer.
QByteArray waterfallCsv(const Waterfall& waterfall);

} // namespace kolmarin::cli
