#include "files/save_file.h"

#include "files/file_errors.h"
#include "model/errors.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace kolmarin {

namespace {

// Unbuffered, so a failing write is seen at once by write() rather than only by a later
// flush. A write that stops short (the disk filled up midway) reports no error itself;
// the next write, which cannot write anything, says why.
void writeWhole(QFileDevice& file, const QString& path, const QByteArray& bytes) {
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0)
            throwSaveFailure(file, path);
        written += n;
    }
}

} // namespace

void saveFileAtomically(const QString& path, const QByteArray& bytes) {
    // A device or a pipe is written in place: a new file renamed over it would put a plain
    // file where the device was (root may do that even in /dev), and its reader would never
    // see the bytes.
    const QFileInfo target(path);
    if (target.exists() && !target.isFile() && !target.isDir()) {
        // Opened without waiting, so a pipe that nobody reads is refused at once instead of
        // holding the program in open(); the writes then wait as usual.
        const int handle = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (handle < 0 && errno == ENXIO)
            throw UserError(msg::ioError(ENXIO));
        QFile special(path);
        if (handle >= 0)
            ::fcntl(handle, F_SETFL, ::fcntl(handle, F_GETFL) & ~O_NONBLOCK);
        const bool opened = handle >= 0 ? special.open(handle, QIODevice::WriteOnly | QIODevice::Unbuffered,
                                                       QFileDevice::AutoCloseHandle)
                                        : special.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        if (!opened) {
            if (handle >= 0)
                ::close(handle);
            throwSaveFailure(special, path);
        }
        writeWhole(special, path, bytes);
        return;
    }

    QSaveFile file(path);
    // A writable file in a folder the user may not add files to cannot be replaced by a
    // new one; it is then written in place, as any editor would.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throwSaveFailure(file, path);
    // On a failure the destructor removes the temporary file; the old file was never touched.
    writeWhole(file, path, bytes);
    if (!file.commit())
        throwSaveFailure(file, path);
}

} // namespace kolmarin
