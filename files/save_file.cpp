#include "files/save_file.h"

#include "files/file_errors.h"

#include <QSaveFile>

namespace kolmarin {

void saveFileAtomically(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    // A writable file in a folder the user may not add files to cannot be replaced by a
    // new one; it is then written in place, as any editor would.
    file.setDirectWriteFallback(true);
    // Unbuffered, so a failing write is seen at once by write() rather than only by the
    // flush inside commit().
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throwSaveFailure(file, path);
    // A write that stops short (the disk filled up midway) reports no error itself; the
    // next write, which cannot write anything, says why.
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + written, bytes.size() - written);
        // The destructor removes the temporary file; the old file was never touched.
        if (n <= 0)
            throwSaveFailure(file, path);
        written += n;
    }
    if (!file.commit())
        throwSaveFailure(file, path);
}

} // namespace kolmarin
