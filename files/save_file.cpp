#include "files/save_file.h"

#include "files/file_errors.h"
#include "model/errors.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kolmarin {

namespace {

SaveCommitCalls commitCalls{::fdatasync, ::rename};

// A system file handle, closed when it goes out of scope.
class Handle {
  public:
    explicit Handle(int handle) : handle_(handle) {}
    ~Handle() {
        if (handle_ >= 0)
            ::close(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    int get() const { return handle_; }
    // Closing can report a failed write-back that the writes did not.
    int close() {
        const int result = ::close(handle_);
        handle_ = -1;
        return result;
    }

  private:
    int handle_;
};

// False, with errno set, when not every byte could be written. A write that stops short
// (the disk filled up midway) reports no error itself; the next one says why.
bool writeAll(int handle, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::write(handle, bytes.constData() + done, static_cast<std::size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        done += n;
    }
    return true;
}

// False, with errno set, when the file could not be read to its end.
bool readAll(int handle, QByteArray& bytes) {
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(handle, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        bytes.append(buffer, n);
    }
}

[[noreturn]] void throwSaveError(int code, const QString& path) {
    throw UserError(saveFailureMessage(code, path));
}

// A device or a pipe is written into: a new file renamed over it would put a plain file
// where the device was (root may do that even in /dev), and its reader would never see
// the bytes. Opened without waiting, so a pipe that nobody reads is refused at once
// instead of holding the program in open(); the writes then wait as usual.
void writeIntoSpecialFile(const QString& path, const QByteArray& bytes) {
    Handle handle(::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    if (handle.get() < 0)
        throwSaveError(errno, path);
    ::fcntl(handle.get(), F_SETFL, ::fcntl(handle.get(), F_GETFL) & ~O_NONBLOCK);
    if (!writeAll(handle.get(), bytes))
        throwSaveError(errno, path);
}

// The file is written over where it lies. Until the new bytes are down the old ones are
// kept in memory, and the disk space the new ones need is taken before the first byte
// changes, so a full disk refuses the save with the file untouched; any later failure
// writes the old bytes back.
void writeInPlace(const QString& path, const QString& target, const QByteArray& bytes) {
    Handle handle(::open(QFile::encodeName(target).constData(), O_RDWR | O_CLOEXEC));
    QByteArray old;
    if (handle.get() < 0 || !readAll(handle.get(), old))
        throwSaveError(errno, path);
    const int file = handle.get();
    if (bytes.size() > old.size()) {
        // posix_fallocate returns its error instead of setting errno.
        const int code = ::posix_fallocate(file, 0, bytes.size());
        if (code != 0) {
            if (::ftruncate(file, old.size()) != 0) {
                // The size the failed reservation may have left is all that changed.
            }
            throwSaveError(code, path);
        }
    }
    auto restore = [&](int code) {
        const bool restored = ::lseek(file, 0, SEEK_SET) == 0 && writeAll(file, old) &&
                              ::ftruncate(file, old.size()) == 0 && ::fdatasync(file) == 0;
        throw UserError(saveFailureMessage(code, path) + "\n" +
                        (restored ? msg::kOldContentRestored : msg::kOldContentNotRestored));
    };
    if (::lseek(file, 0, SEEK_SET) != 0 || !writeAll(file, bytes))
        restore(errno);
    if (bytes.size() < old.size() && ::ftruncate(file, bytes.size()) != 0)
        restore(errno);
    if (commitCalls.sync(file) != 0)
        restore(errno);
}

// The replacement keeps the old file's owner where this user may give it away (root, or a
// group the user is in) and its permissions; chown clears set-id bits, so it goes first.
void keepOwnerAndPermissions(int handle, const struct stat& old) {
    if (::fchown(handle, old.st_uid, old.st_gid) != 0 &&
        ::fchown(handle, static_cast<uid_t>(-1), old.st_gid) != 0) {
        // The new file stays the user's own, as any new file of theirs.
    }
    if (::fchmod(handle, old.st_mode & 07777) != 0) {
        // The permissions a new file gets; nothing of the old file is at stake.
    }
}

} // namespace

SaveCommitCalls saveCommitCalls() {
    return commitCalls;
}

void setSaveCommitCalls(SaveCommitCalls calls) {
    commitCalls = calls;
}

void saveFileAtomically(const QString& path, const QByteArray& bytes) {
    struct stat old {};
    const bool exists = ::stat(QFile::encodeName(path).constData(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode))
        throw UserError(msg::kAccessDenied);
    if (exists && !S_ISREG(old.st_mode))
        return writeIntoSpecialFile(path, bytes);
    // A file the user may not write is not replaced either.
    if (exists && ::access(QFile::encodeName(path).constData(), W_OK) != 0)
        throw UserError(msg::kAccessDenied);

    // A link is followed: the file it leads to gets the new bytes and the link stays.
    const QFileInfo info(path);
    const QString target = exists && info.isSymLink() ? info.canonicalFilePath() : path;
    const QFileInfo targetInfo(target);
    const QString stem = targetInfo.absolutePath() + QStringLiteral("/.") + targetInfo.fileName();
    QByteArray temporary;
    int created = -1;
    for (int attempt = 0; attempt < 100 && created < 0; ++attempt) {
        temporary = QFile::encodeName(stem + QLatin1Char('.') +
                                      QString::number(QRandomGenerator::global()->generate(), 36));
        // 0666 less the user's umask, as any new file of theirs.
        created = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (created < 0 && errno != EEXIST)
            break;
    }
    if (created < 0) {
        // A writable file in a folder the user may not add files to cannot be replaced by
        // a new one; it is written in place, as any editor would.
        if (exists && (errno == EACCES || errno == EPERM))
            return writeInPlace(path, target, bytes);
        throwSaveError(errno, path);
    }
    Handle handle(created);
    auto fail = [&](int code) {
        ::unlink(temporary.constData());
        throwSaveError(code, path);
    };
    if (exists)
        keepOwnerAndPermissions(handle.get(), old);
    if (!writeAll(handle.get(), bytes))
        fail(errno);
    if (commitCalls.sync(handle.get()) != 0)
        fail(errno);
    if (handle.close() != 0)
        fail(errno);
    if (commitCalls.rename(temporary.constData(), QFile::encodeName(target).constData()) != 0)
        fail(errno);
    // The new name reaches the disk with the folder; the data already has.
    const Handle folder(
        ::open(QFile::encodeName(targetInfo.absolutePath()).constData(), O_RDONLY | O_CLOEXEC));
    if (folder.get() >= 0 && ::fsync(folder.get()) != 0) {
        // The file is whole under its name now; only a crash could still undo the rename.
    }
}

} // namespace kolmarin
