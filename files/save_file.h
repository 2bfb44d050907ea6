#pragma once
// Saving a file so that a failure never costs the old one.

#include <QByteArray>
#include <QString>

namespace kolmarin {

// Writes `bytes` to a new temporary file beside `path`, flushes it to the disk and only
// then renames it over `path`. On any failure (missing folder, no permission, full disk,
// write error) the temporary file is removed, the file at `path` stays as it was, and a
// UserError carries the message for the error box. A device or a pipe at `path` is
// written in place instead, as it cannot be replaced.
void saveFileAtomically(const QString& path, const QByteArray& bytes);

} // namespace kolmarin
