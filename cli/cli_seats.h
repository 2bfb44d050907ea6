#pragma once
// kolmarin2-cli with subwoofers and seats: the setup a command reads (a setup file, or a
// room file with --seat, --sub and --crossover), the `seats` figures, `response --seat`,
// and the `setup` command that writes a setup file.

#include "cli/seat_arguments.h"
#include "model/acoustics/bass_setup.h"
#include "model/acoustics/spread.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <optional>
#include <vector>

namespace kolmarin::cli {

// The setup at `path` (a setup file, or else a room file) with the options added; refused
// as the window refuses it, and when the result has too many seats or subwoofers.
BassSetup readSetupInput(const QString& path, const SeatOptions& options, char decimalSeparator);

// Refuses a seat number (1 is the listener) that the scene's `seats` do not reach.
void requireSeat(int seat, std::size_t seats);

// Refuses a position outside the room, naming it.
void requireInside(const Scene& room, const Point3& position, const std::string& name);

// `seats`: one row per seat with its spread and mean level over the band, then the
// seat-to-seat variation and the mean over seats; a table, or the CSV
// seat,x_m,y_m,z_m,spread_db,mean_db ... all,,,,VARIATION,MEAN.
QByteArray seatsOutput(const BassSetup& setup, Band band, bool csv, bool subwoofersOnly,
                       char decimalSeparator);

enum class SeatResponseForm { ResultFile, Csv, CurveText };

// `response --seat N`: the curves at seat N in the forms of `response`, the result file
// naming seat N's position as the listener's.
QByteArray seatResponseOutput(BassSetup setup, int seat, SeatResponseForm form, bool subwoofersOnly,
                              char decimalSeparator);

} // namespace kolmarin::cli
