#pragma once
// The room data file (*.dtr): one scene as the 21 texts the user sees, one per line after
// the header line, in CP932 with CR LF. Written and read as whole lines of text, with no
// conversion or validation of the values either way.
//
//   1 header          8 left wall       15 SP1 from the front
//   2 depth           9 floor           16 SP1 height
//   3 width          10 ceiling         17 SP2 from the left
//   4 height         11 listener x      18 SP2 from the front
//   5 front wall     12 listener y      19 SP2 height
//   6 back wall      13 listener z      20 reflection count
//   7 right wall     14 SP1 from left   21 start frequency, 22 end frequency

#include "model/acoustics/scene.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace kolmarin {

inline constexpr char kRoomFileHeader[] = "Kolmarin2 Ver0.85 room data";
inline constexpr int kRoomFileLines = 22;
// A room file is a few hundred bytes; anything larger is not one and is not read.
inline constexpr qint64 kMaxRoomFileBytes = 64 * 1024;

// The 22 lines, each ended by CR LF. Decimal values written with `decimalSeparator` (the
// user's locale's) are written with a point, so the file reads back in every locale; with
// the point, every text is written as it stands. Throws UserError (naming the text) when a
// text cannot be written: see encodeLineText.
QByteArray roomFileBytes(const SceneTexts& texts, char decimalSeparator = '.');

// The texts of a room file's bytes. A line ends at LF or CR LF; a CR not followed by LF
// belongs to the text; Ctrl-Z ends the file; missing lines read as empty texts and lines
// after 22 are ignored. Throws UserError(kNotARoomFile) when the first line is not
// exactly the header or a value line is not valid CP932.
SceneTexts parseRoomFile(QByteArrayView bytes);

// Reads the file at `path` whole before returning anything. Only a regular file is read:
// a pipe, socket or device is refused at once. A file whose first line is not the header
// is refused after reading at most a few KiB, and a file over kMaxRoomFileBytes is
// refused without being read. Throws UserError with the message of a missing,
// unreadable or refused file. Decimal values written with a point come back with
// `decimalSeparator`, as the user's locale reads them.
SceneTexts readRoomFile(const QString& path, char decimalSeparator = '.');

// The 18 decimal values written with `from` as their decimal mark rewritten with `to`;
// a text that is no number in that form stays as it is.
SceneTexts withDecimalSeparator(SceneTexts texts, char from, char to);

// Refuses texts the window could not take, as checkSceneTexts does, but names the line
// (2 to 22) of a value its parser refuses and what the line should hold. The point and
// `decimalSeparator` are both taken as decimal marks only by readRoomFile, before this.
void checkRoomFileTexts(const SceneTexts& texts, char decimalSeparator);

} // namespace kolmarin
