#pragma once
// A frequency response as the text that measurement programs export and import: comment
// lines starting with `*`, then one line per point, "frequency level" or "frequency level
// phase" (Hz, dB, degrees), the numbers separated by blanks, tabs or commas, a point as
// the decimal separator. A measurement at the listening position and the simulated Total
// can so be laid over each other in this program or in the measuring one.

#include "files/curve_subject.h"
#include "model/acoustics/response.h"
#include "model/acoustics/target_curve.h"

#include <QByteArray>
#include <QString>

#include <cmath>
#include <vector>

namespace kolmarin {

struct CurvePoint {
    double frequency = 0; // Hz, > 0, rising from line to line
    double level = 0;     // dB
    double phase = NAN;   // degrees; NaN when the file has none
};

// A measurement exports some tens of thousands of points; a curve of more is refused
// rather than filling the memory.
inline constexpr std::size_t kMostCurvePoints = 500000;

// The points of a curve text. `name` names the file in the messages; a line that is not
// two or three numbers, a number outside what a sound can be, a comma that could be a
// decimal mark or a separator, a frequency that does not rise, more than kMostCurvePoints
// points or a text without a single point is a UserError naming the file and the line.
// Lines end with LF, CR LF or CR; a line that is not UTF-8 is read as CP932.
std::vector<CurvePoint> parseCurveText(const QByteArray& bytes, const QString& name);

// The curve file at `path`, read piece by piece; a file that is no regular file or cannot
// be read fails as the room file does.
std::vector<CurvePoint> readCurveFile(const QString& path);

// A curve file as the target the subwoofers are held to: its points' levels taken against
// its last (highest) point, so that, like the house curve, it says how much louder the bass
// should be than the top of the band.
TargetCurve readTargetCurve(const QString& path);

// The text of the points after the comment lines `* heading` (ASCII, one per entry), the
// level in thousandths of a dB, the phase only where it is known. Lines end with LF.
QByteArray curveTextBytes(const std::vector<CurvePoint>& points, const std::vector<QByteArray>& heading);

// The Total at the listener over `rows` (element j is j/2 Hz), as a measurement there would
// give it, and its text under the heading the window and kolmarin2-cli both write: "Total
// at the listener" for the room file's scene, else the seat, the sources summed and the
// crossover ("Total of SW1+SW2 (subwoofers only) at seat 2 of 3, crossover 80 Hz").
// Under the continuous delay model the heading has one more line after the first,
// "Delays: continuous (true path lengths)"; files of the default model keep their bytes.
std::vector<CurvePoint> totalCurvePoints(const ResponseCurves& curves, ElementRange rows);
QByteArray totalCurveText(const ResponseCurves& curves, ElementRange rows, const CurveSubject& subject = {});
std::string totalCurveHeading(const CurveSubject& subject);

// The heading lines of a simulated curve: what it is, the delay model's line under the
// continuous model, then the column titles.
std::vector<QByteArray> simulatedCurveHeading(const QByteArray& subject, DelayModel delays,
                                              const QByteArray& columns);

} // namespace kolmarin
