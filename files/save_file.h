#pragma once
// Saving a file so that a failure never costs the old one.

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <unistd.h>

namespace kolmarin {

// Writes `bytes` to a new temporary file beside `path`, flushes it to the disk and only
// then renames it over `path`; the new file takes the old one's owner (where the user may
// give it) and permissions. On any failure (missing folder, no permission, full disk,
// write, flush or rename error) the temporary file is removed, the file at `path` stays
// as it was, and a UserError carries the message for the error box.
//
// A writable file in a folder the user may not add files to is written in place: the new
// size is reserved on the disk before the first byte changes, the old bytes are kept in a
// journal in the user's own data folder until the new ones are on the disk, and a failure
// puts the old bytes back and says so. Two such saves of one file at once are not
// allowed: the second is refused. A device or a pipe at `path` is written into, as it
// cannot be replaced. Temporary files that a save which died left in the folder are
// removed.
void saveFileAtomically(const QString& path, const QByteArray& bytes);

// Before a file is read: when an in-place save of it died half-way, puts its old bytes
// back from the journal and throws UserError saying so (the file is then whole to open
// again), or saying that they could not be put back and where the journal lies.
void recoverInterruptedSave(const QString& path);

// Whether two paths name one existing file, whatever the names (links, "./", another
// spelling): a command never writes its output over a file it reads.
bool isSameFile(const QString& a, const QString& b);

// The calls that write a save and make it final. Tests replace them to make them fail
// or to stop a save half-way as a killed program would; the defaults are the system's
// fdatasync, rename and write.
struct SaveCommitCalls {
    int (*sync)(int handle) = ::fdatasync;
    int (*rename)(const char* from, const char* to) = ::rename;
    ssize_t (*write)(int handle, const void* bytes, std::size_t size) = ::write;
};
SaveCommitCalls saveCommitCalls();
void setSaveCommitCalls(SaveCommitCalls calls);

} // namespace kolmarin
