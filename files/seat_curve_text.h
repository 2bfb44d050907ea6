#pragma once
// Each source's curve at each seat in the measurement programs' text form (see
// curve_text.h), with its phase: what a microphone at that seat would record with that
// source alone playing, through its level, delay, polarity and crossover branch. A
// measurement-based tuning program can take these files as it takes its own measurements.

#include "model/acoustics/scene.h"

#include <QByteArray>
#include <QString>

#include <string>
#include <vector>

namespace kolmarin {

struct SeatCurveFile {
    QString name; // "SP1_seat1.txt", "C_seat2.txt", "SW2_seat3.txt"
    QByteArray text;
};

// One file per source and seat, sources outer, over the scene's frequency range, each
// named by its label in `labels` (sourceLabels); without them, as a scene of SP1, SP2 and
// subwoofers names them ("SP1", "SP2", "SW1" ...). Throws UserError as the calculation does.
std::vector<SeatCurveFile> sourceCurveTexts(const Scene& scene, int crossover,
                                            const std::vector<std::string>& labels = {});

} // namespace kolmarin
