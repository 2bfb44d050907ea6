#include "files/save_file.h"

#include "files/file_errors.h"
#include "model/errors.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QStandardPaths>

#include <cerrno>
#include <ctime>
#include <optional>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kolmarin {

namespace {

SaveCommitCalls commitCalls{};

// Temporary files of a save are hidden and end so; one older than this is left over.
constexpr char kTemporarySuffix[] = ".k2save";
constexpr std::time_t kLongestSaveSeconds = 60;

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
        const ssize_t n = commitCalls.write(handle, bytes.constData() + done,
                                            static_cast<std::size_t>(bytes.size() - done));
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

// An in-place save first keeps the old bytes in a journal, in a folder of the user's own
// (the file's folder takes no new files): a save that dies half-way leaves the journal,
// and the next open or save of the file puts the old bytes back from it. The journal is
// itself saved by rename, so it is there whole or not at all:
//   header, the file's path, the old size, SHA-256 of the new and of the old bytes (hex),
//   one per line, then the old bytes.
constexpr char kJournalHeader[] = "Kolmarin2 save journal 1";

QByteArray sha256(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

// The journal folders, the user's data folder first; the temporary folder serves a user
// without a writable home, in a folder only that user may enter.
QStringList journalFolders() {
    return {QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                QStringLiteral("/Kolmarin2/save-journal"),
            QDir::tempPath() + QStringLiteral("/kolmarin2-save-journal-") + QString::number(::geteuid())};
}

bool isOwnFolder(const QString& folder) {
    struct stat status {};
    return ::lstat(QFile::encodeName(folder).constData(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == ::geteuid() && (status.st_mode & 077) == 0;
}

QString journalName(const QString& target) {
    return QString::fromLatin1(
               QCryptographicHash::hash(QFile::encodeName(target), QCryptographicHash::Sha1).toHex()) +
           QStringLiteral(".journal");
}

// The journal of an interrupted save of `target`, where there is one.
QString existingJournal(const QString& target) {
    for (const QString& folder : journalFolders()) {
        const QString journal = folder + QLatin1Char('/') + journalName(target);
        if (isOwnFolder(folder) && QFileInfo::exists(journal))
            return journal;
    }
    return QString();
}

void writeJournal(const QString& target, const QByteArray& newBytes, const QByteArray& old,
                  QString& journal) {
    const QByteArray text = QByteArray(kJournalHeader) + '\n' + QFile::encodeName(target) + '\n' +
                            QByteArray::number(old.size()) + '\n' + sha256(newBytes) + '\n' + sha256(old) +
                            '\n' + old;
    for (const QString& folder : journalFolders()) {
        if (!QDir().mkpath(folder) || ::chmod(QFile::encodeName(folder).constData(), 0700) != 0 ||
            !isOwnFolder(folder))
            continue;
        journal = folder + QLatin1Char('/') + journalName(target);
        // The journal is saved with the system's own calls: what tests put in their place
        // concerns the file.
        const SaveCommitCalls replaced = std::exchange(commitCalls, SaveCommitCalls{});
        const auto restoreCalls = qScopeGuard([&] { commitCalls = replaced; });
        try {
            saveFileAtomically(journal, text);
            return;
        } catch (const UserError&) {
            continue;
        }
    }
    throw UserError(msg::kNoJournal);
}

// The old bytes of a whole journal for `target`, and the hash of the bytes the save was
// writing; nothing when the journal is not whole.
std::optional<std::pair<QByteArray, QByteArray>> journalContent(const QString& journal) {
    QFile file(journal);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    QList<QByteArray> head;
    qsizetype at = 0;
    for (int i = 0; i < 5; ++i) {
        const qsizetype end = bytes.indexOf('\n', at);
        if (end < 0)
            return std::nullopt;
        head.append(bytes.mid(at, end - at));
        at = end + 1;
    }
    const QByteArray old = bytes.mid(at);
    if (head[0] != kJournalHeader || head[2] != QByteArray::number(old.size()) || head[4] != sha256(old))
        return std::nullopt;
    return std::pair{old, head[3]};
}

// With `file` open and locked: puts the old bytes of an interrupted save back, unless the
// file holds the old or the new bytes whole already. Says what it did: nothing to say,
// restored, or not restored (the journal is then kept for the user).
enum class Recovery { Nothing, Restored, NotRestored };
Recovery recoverLocked(int file, const QString& journal) {
    const auto content = journalContent(journal);
    QByteArray current;
    if (!content) {
        // The journal is written whole before the file is touched, so a broken one tells
        // of a save that never began.
        ::unlink(QFile::encodeName(journal).constData());
        return Recovery::Nothing;
    }
    if (::lseek(file, 0, SEEK_SET) != 0 || !readAll(file, current))
        return Recovery::NotRestored;
    const auto& [old, newHash] = *content;
    if (current == old || sha256(current) == newHash) {
        ::unlink(QFile::encodeName(journal).constData());
        return Recovery::Nothing;
    }
    if (!(::lseek(file, 0, SEEK_SET) == 0 && writeAll(file, old) && ::ftruncate(file, old.size()) == 0 &&
          ::fdatasync(file) == 0))
        return Recovery::NotRestored;
    ::unlink(QFile::encodeName(journal).constData());
    return Recovery::Restored;
}

// Only one in-place save of a file at a time: the second would interleave its bytes with
// the first's. The lock goes with the handle, also when the process dies.
void lockForSave(int file, const QString& path) {
    if (::flock(file, LOCK_EX | LOCK_NB) != 0)
        throw UserError(errno == EWOULDBLOCK ? std::string(msg::kSaveInProgress)
                                             : saveFailureMessage(errno, path));
}

std::string recoveryMessage(Recovery recovery, const QString& journal) {
    if (recovery == Recovery::Restored)
        return msg::kInterruptedSaveRestored;
    return msg::kInterruptedSaveNotRestored + journal.toStdString();
}

// The file is written over where it lies. Until the new bytes are down the old ones are
// kept in memory and in the journal, and the disk space the new ones need is taken before
// the first byte changes, so a full disk refuses the save with the file untouched; any
// later failure writes the old bytes back.
void writeInPlace(const QString& path, const QString& target, const QByteArray& bytes) {
    Handle handle(::open(QFile::encodeName(target).constData(), O_RDWR | O_CLOEXEC));
    if (handle.get() < 0)
        throwSaveError(errno, path);
    const int file = handle.get();
    lockForSave(file, path);
    const QString canonical = QFileInfo(target).canonicalFilePath();
    if (const QString journal = existingJournal(canonical); !journal.isEmpty())
        if (const Recovery recovery = recoverLocked(file, journal); recovery == Recovery::NotRestored)
            throw UserError(recoveryMessage(recovery, journal));
    QByteArray old;
    if (::lseek(file, 0, SEEK_SET) != 0 || !readAll(file, old))
        throwSaveError(errno, path);
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
    QString journal;
    writeJournal(canonical, bytes, old, journal);
    auto restore = [&](int code) {
        const bool restored = ::lseek(file, 0, SEEK_SET) == 0 && writeAll(file, old) &&
                              ::ftruncate(file, old.size()) == 0 && ::fdatasync(file) == 0;
        if (restored)
            ::unlink(QFile::encodeName(journal).constData());
        throw UserError(saveFailureMessage(code, path) + "\n" +
                        (restored ? msg::kOldContentRestored : msg::kOldContentNotRestored));
    };
    if (::lseek(file, 0, SEEK_SET) != 0 || !writeAll(file, bytes))
        restore(errno);
    if (bytes.size() < old.size() && ::ftruncate(file, bytes.size()) != 0)
        restore(errno);
    if (commitCalls.sync(file) != 0)
        restore(errno);
    ::unlink(QFile::encodeName(journal).constData());
}

// A save by rename that died leaves its temporary file. Its lock went with the process,
// so a temporary that can be locked and is older than a save takes is no one's.
void removeDeadTemporaries(const QString& folder) {
    const QDir dir(folder);
    const QStringList names =
        dir.entryList({QStringLiteral(".*") + QLatin1String(kTemporarySuffix)}, QDir::Files | QDir::Hidden);
    for (const QString& name : names) {
        const QByteArray file = QFile::encodeName(dir.filePath(name));
        const Handle handle(::open(file.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        struct stat status {};
        if (handle.get() < 0 || ::flock(handle.get(), LOCK_EX | LOCK_NB) != 0 ||
            ::fstat(handle.get(), &status) != 0)
            continue;
        if (status.st_uid == ::geteuid() && std::time(nullptr) - status.st_mtime > kLongestSaveSeconds)
            ::unlink(file.constData());
    }
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

bool isSameFile(const QString& a, const QString& b) {
    struct stat first {
    }, second{};
    return !a.isEmpty() && !b.isEmpty() && ::stat(QFile::encodeName(a).constData(), &first) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

void recoverInterruptedSave(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical.isEmpty())
        return;
    const QString journal = existingJournal(canonical);
    if (journal.isEmpty())
        return;
    const Handle handle(::open(QFile::encodeName(canonical).constData(), O_RDWR | O_CLOEXEC));
    if (handle.get() < 0)
        throw UserError(recoveryMessage(Recovery::NotRestored, journal));
    lockForSave(handle.get(), path);
    if (const Recovery recovery = recoverLocked(handle.get(), journal); recovery != Recovery::Nothing)
        throw UserError(recoveryMessage(recovery, journal));
}

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
    removeDeadTemporaries(targetInfo.absolutePath());
    QByteArray temporary;
    int created = -1;
    for (int attempt = 0; attempt < 100 && created < 0; ++attempt) {
        temporary = QFile::encodeName(stem + QLatin1Char('.') +
                                      QString::number(QRandomGenerator::global()->generate(), 36) +
                                      QLatin1String(kTemporarySuffix));
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
    // Held until the rename: the sign that this temporary is still wanted.
    ::flock(created, LOCK_EX);
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
    // A journal of an in-place save that died is older than the bytes now under the name.
    if (const QString journal = existingJournal(QFileInfo(target).canonicalFilePath()); !journal.isEmpty())
        ::unlink(QFile::encodeName(journal).constData());
    // The new name reaches the disk with the folder; the data already has.
    const Handle folder(
        ::open(QFile::encodeName(targetInfo.absolutePath()).constData(), O_RDONLY | O_CLOEXEC));
    if (folder.get() >= 0 && ::fsync(folder.get()) != 0) {
        // The file is whole under its name now; only a crash could still undo the rename.
    }
}

} // namespace kolmarin
