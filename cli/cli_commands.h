#pragma once
// What kolmarin2-cli computes and writes: the same texts, parsers, corrections and model
// as the windows, so its files equal the ones the windows save for the same scene.

#include "model/acoustics/bass_setup.h"
#include "model/acoustics/scene.h"

#include <QByteArray>
#include <QString>

namespace kolmarin::cli {

enum class ResponseForm { ResultFile, Csv, CurveText };

// The calculation result file, the CSV or the Total's curve text for a room file's texts:
// the texts get the calculation's corrections, as the window's boxes do.
QByteArray responseOutput(SceneTexts texts, char decimalSeparator, ResponseForm form);

// The mode list file for a room or setup file's room; with `decayTimes`, each mode's decay
// time at the listener as a sixth column, the subwoofers and crossover playing too.
QByteArray modesOutput(const BassSetup& setup, char decimalSeparator, bool decayTimes = false);

// The levels of the start-up texts, one line per 0.5 Hz: frequency and the three levels.
QByteArray defaultResponseListing(DelayModel delays = DelayModel::Sample);

} // namespace kolmarin::cli
