#pragma once
// The setup file: a scene with more loudspeakers, subwoofers, more seats or a crossover,
// which the 22-line room file cannot hold. UTF-8 text with LF line ends, a versioned header, then one value
// per line as `name = value`, every value named:
//
//   Kolmarin2 setup 1
//   width = 2.70             room, coefficients and conditions as the room file holds them
//   ...                      (reflection.right ... reflection.ceiling, reflections,
//   end_hz = 500              start_hz, end_hz)
//   delays = continuous      only for the continuous delay model; without it, sample
//   crossover_hz = none      or a whole number 40 .. 160
//   sp1.x = 0.45             sp1.x ... sp2.z; NAME.size = large after a large main
//   ...                      loudspeaker's position (small without it)
//   loudspeakers = c sl sr   only with more main loudspeakers than SP1 and SP2: their
//   c.x = 1.35               roles in the order c sl sr sbl sbr, each once, and each
//   ...                      one's NAME.x, NAME.y, NAME.z
//   subwoofers = 1           then per subwoofer N:
//   sw1.x = 0.30             swN.x, swN.y, swN.z, swN.level_db, swN.delay_ms,
//   ...                      swN.polarity (+ or -)
//   eq = 2                   only with an EQ on the subwoofers' channel: per filter N
//   eq1.fc_hz = 42.0         eqN.fc_hz, eqN.gain_db, eqN.q (peaking, 48 kHz)
//   seats = 2                seat1 is the listener: seatN.x, seatN.y, seatN.z
//   seat1.x = 1.36
//
// Texts are kept as written, as the room file keeps them. A file is taken whole or not at
// all: a missing, repeated or unknown name, a value out of its range or a count that does
// not match refuses the whole file with a message that names the line.

#include "model/acoustics/bass_setup.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace kolmarin {

inline constexpr char kSetupFileHeader[] = "Kolmarin2 setup 1";
inline constexpr qint64 kMaxSetupFileBytes = 64 * 1024;

// The file's bytes. Decimal texts written with `decimalSeparator` are written with a point.
QByteArray setupFileBytes(const BassSetup& setup, char decimalSeparator = '.');

// The setup of a file's bytes, every text and value checked (the texts as the calculation
// reads them). Throws UserError with a message naming the line when anything is wrong.
BassSetup parseSetupFile(QByteArrayView bytes, char decimalSeparator = '.');

// Whether the bytes begin with the setup header (a room file does not).
bool isSetupFile(QByteArrayView bytes);
// Whether the file at `path` is a regular file that begins as a setup file. Nothing else
// is looked into: a pipe could keep the reader waiting.
bool startsAsSetupFile(const QString& path);

// Reads a regular file of at most kMaxSetupFileBytes whole and parses it.
BassSetup readSetupFile(const QString& path, char decimalSeparator = '.');

// What a room file would lose of the setup ("センターなどのスピーカー 3 台、サブウーファー 2 台、
// 座席 3 席、クロスオーバー"), or empty when the room file holds it all.
std::string roomFileLosses(const BassSetup& setup);

} // namespace kolmarin
