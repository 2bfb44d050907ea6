#pragma once
// Saving a file so that a failure never costs the old one.

#include <QByteArray>
#include <QString>

namespace kolmarin {

// Writes `bytes` to a new temporary file beside `path`, flushes it to the disk and only
// then renames it over `path`; the new file takes the old one's owner (where the user may
// give it) and permissions. On any failure (missing folder, no permission, full disk,
// write, flush or rename error) the temporary file is removed, the file at `path` stays
// as it was, and a UserError carries the message for the error box.
//
// A writable file in a folder the user may not add files to is written in place: the new
// size is reserved on the disk before the first byte changes, and a failure puts the old
// bytes back and says so. A device or a pipe at `path` is written into, as it cannot be
// replaced.
void saveFileAtomically(const QString& path, const QByteArray& bytes);

// The two calls that make a save final. Tests replace them to make them fail; the
// defaults are the system's fdatasync and rename.
struct SaveCommitCalls {
    int (*sync)(int handle);
    int (*rename)(const char* from, const char* to);
};
SaveCommitCalls saveCommitCalls();
void setSaveCommitCalls(SaveCommitCalls calls);

} // namespace kolmarin
