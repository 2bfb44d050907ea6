#pragma once
// The calculation result file: a description of the scene from its texts as they stand,
// then one row per 0.5 Hz with the stored levels of SP1, SP2 and Total. CP932, CR LF;
// numbers right-aligned in 10-byte fields with one decimal and a point.

#include "files/curve_subject.h"
#include "model/acoustics/response.h"
#include "model/acoustics/scene.h"

#include <QByteArray>

#include <string>

namespace kolmarin {

inline constexpr char kResultFileHeader[] = "定在波周波数特性計算Kolmarin2 Ver0.85計算結果";

// The elements of ResponseCurves that get a row: those of the texts' frequency range
// s..e (read as whole numbers, uncorrected) that lie in 0..600 Hz and that `computed`,
// the element range the last calculation wrote, covers. Elements outside `computed` hold
// an earlier calculation's levels (or the start-up zeros) for another scene, so they are
// left out rather than written as if they were this scene's results. Throws
// UserError(notAnInteger) for a start or end text that is not a whole number.
ElementRange resultFileElements(const SceneTexts& texts, ElementRange computed);

// The whole file. Reads the frequency range first, so a bad range fails before anything
// else; throws UserError naming a text that cannot be written (see encodeLineText).
QByteArray resultFileBytes(const SceneTexts& texts, const ResponseCurves& curves, ElementRange computed);

// The file of a setup's curves at `subject`'s seat. Where nothing beyond the room file is in
// play it is the file above, byte for byte. Otherwise the seat's own position stands in
// the listener's line (titled "座席 N の位置：" for another seat than the listener), each
// subwoofer's line with its level, delay and polarity follows the loudspeakers', and after
// the reflection count come the crossover, the seat among all seats and the sources the
// Total sums.
QByteArray resultFileBytes(const BassSetup& setup, const CurveSubject& subject, const ResponseCurves& curves,
                           ElementRange computed);

// A number as its field shows it: one decimal, a point, a minus sign only when the
// rounded value is below zero, at least 10 bytes wide.
std::string resultField(double value);

} // namespace kolmarin
