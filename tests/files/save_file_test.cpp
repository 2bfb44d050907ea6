// Saving: a new file appears whole, an old one is replaced whole, and a save that fails
// for real (missing folder, write error, full disk) leaves the old file as it was and no
// partial file behind.
#include "files/file_errors.h"
#include "files/room_file.h"
#include "files/save_file.h"
#include "test_support.h"
#include "tests/small_file_system.h"
#include "tests/user_error.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kolmarin {
namespace {

using test::errorOf;

QStringList entriesOf(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

QByteArray sampleBytes(qsizetype size) {
    QByteArray bytes(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = static_cast<char>('a' + i % 26);
    return bytes;
}

class SaveFile : public ::testing::Test {
  protected:
    QString path(const char* name) const { return dir_.filePath(QString::fromUtf8(name)); }
    QTemporaryDir dir_;
};

TEST_F(SaveFile, CreatesAndReplacesWholeFiles) {
    const QByteArray first = sampleBytes(5000);
    saveFileAtomically(path("data.dat"), first);
    EXPECT_EQ(test::readBytes(path("data.dat")), first);

    // A shorter file replaces the longer one completely: nothing of the old one is left.
    saveFileAtomically(path("data.dat"), "short\r\n");
    EXPECT_EQ(test::readBytes(path("data.dat")), "short\r\n");
    saveFileAtomically(path("data.dat"), QByteArray());
    EXPECT_EQ(test::readBytes(path("data.dat")), QByteArray());
    EXPECT_EQ(entriesOf(dir_.path()), QStringList{"data.dat"});
}

TEST_F(SaveFile, ReportsAMissingFolderAndCreatesNothing) {
    EXPECT_EQ(errorOf([&] { saveFileAtomically(path("gone/data.dat"), "x"); }), msg::kFolderNotFound);
    EXPECT_TRUE(entriesOf(dir_.path()).isEmpty());
}

TEST_F(SaveFile, RefusesToReplaceAFolder) {
    ASSERT_TRUE(QDir(dir_.path()).mkdir("data.dat"));
    EXPECT_EQ(errorOf([&] { saveFileAtomically(path("data.dat"), "x"); }), msg::kAccessDenied);
    EXPECT_TRUE(QFileInfo(path("data.dat")).isDir());
    EXPECT_EQ(entriesOf(dir_.path()), QStringList{"data.dat"});
}

TEST_F(SaveFile, WritesIntoAPipeAndLeavesItThere) {
    const QByteArray pipe = QFile::encodeName(path("pipe"));
    ASSERT_EQ(mkfifo(pipe.constData(), 0600), 0);
    // Opened for reading first, without waiting for a writer, so the bytes wait in the pipe.
    const int reader = open(pipe.constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    saveFileAtomically(path("pipe"), "bytes\r\n");
    char got[16] = {};
    const ssize_t n = read(reader, got, sizeof got);
    close(reader);
    EXPECT_EQ(QByteArray(got, n > 0 ? n : 0), "bytes\r\n");
    struct stat status {};
    ASSERT_EQ(stat(pipe.constData(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
    EXPECT_EQ(entriesOf(dir_.path()), QStringList{"pipe"});
}

TEST_F(SaveFile, RefusesAPipeThatNobodyReadsAtOnce) {
    ASSERT_EQ(mkfifo(QFile::encodeName(path("pipe")).constData(), 0600), 0);
    EXPECT_EQ(errorOf([&] { saveFileAtomically(path("pipe"), "bytes"); }), msg::kNoPipeReader);
    EXPECT_EQ(entriesOf(dir_.path()), QStringList{"pipe"});
}

// Runs `call` as an unprivileged user in a child process; the error message, empty on
// success or when the child ends without a word.
std::string asNobody(const std::function<void()>& call) {
    int channel[2];
    if (pipe(channel) != 0)
        return "no pipe";
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        std::string message = "no user change";
        if (setgid(65534) == 0 && setuid(65534) == 0)
            message = errorOf(call);
        if (write(channel[1], message.data(), message.size()) < 0)
            _exit(1);
        _exit(0);
    }
    close(channel[1]);
    std::string message;
    char buffer[512];
    for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;)
        message.append(buffer, static_cast<std::size_t>(n));
    close(channel[0]);
    waitpid(child, nullptr, 0);
    return message;
}

// Saves as an unprivileged user in a child process; the error message, empty on success.
std::string saveAsNobody(const QString& path, const QByteArray& bytes) {
    return asNobody([&] { saveFileAtomically(path, bytes); });
}

TEST_F(SaveFile, ReplacesAWritableFileInAFolderClosedToNewFiles) {
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    if (!(QFileInfo(QFileInfo(dir_.path()).path()).permissions() & QFile::ExeOther))
        GTEST_SKIP() << "the temporary folder is closed to other users";
    saveFileAtomically(path("data.dat"), "old\r\n");
    QFile::setPermissions(path("data.dat"),
                          QFile::ReadOther | QFile::WriteOther | QFile::ReadOwner | QFile::WriteOwner);
    QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                           QFile::ReadOther | QFile::ExeOther);
    EXPECT_EQ(saveAsNobody(path("data.dat"), "new\r\n"), "");
    EXPECT_EQ(test::readBytes(path("data.dat")), "new\r\n");
    EXPECT_EQ(entriesOf(dir_.path()), QStringList{"data.dat"});
    // A new file there is still refused.
    EXPECT_EQ(saveAsNobody(path("other.dat"), "x"), msg::kAccessDenied);
}

// Lowers the process's file size limit while it lives, so that writing beyond it fails
// with EFBIG, on any file system and without privileges. SIGXFSZ, which would end the
// process, is ignored meanwhile.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) : previousSignal_(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit lowered = previous_;
        lowered.rlim_cur = bytes;
        applied_ = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousSignal_);
    }
    bool applied() const { return applied_; }

  private:
    rlimit previous_{};
    void (*previousSignal_)(int);
    bool applied_ = false;
};

TEST_F(SaveFile, KeepsTheOldFileWhenWritingFails) {
    const QByteArray old = sampleBytes(1000);
    test::writeBytes(path("data.dat"), old);
    std::string message;
    {
        FileSizeLimit limit(4096);
        ASSERT_TRUE(limit.applied());
        message = errorOf([&] { saveFileAtomically(path("data.dat"), sampleBytes(100000)); });
    }
    EXPECT_EQ(message, msg::ioError(EFBIG));
    EXPECT_EQ(test::readBytes(path("data.dat")), old);
    EXPECT_EQ(entriesOf(dir_.path()), QStringList{"data.dat"});
}

// Makes the flush or the rename of every save fail with `code` while it lives.
class FailingCommit {
  public:
    FailingCommit(bool sync, int code) : previous_(saveCommitCalls()) {
        failure = code;
        SaveCommitCalls calls = previous_;
        if (sync)
            calls.sync = [](int) { return errno = failure, -1; };
        else
            calls.rename = [](const char*, const char*) { return errno = failure, -1; };
        setSaveCommitCalls(calls);
    }
    ~FailingCommit() { setSaveCommitCalls(previous_); }

  private:
    static inline int failure = 0;
    SaveCommitCalls previous_;
};

TEST_F(SaveFile, AFailedFlushOrRenameFailsTheSaveAndKeepsTheOldFile) {
    const QByteArray old = sampleBytes(1000);
    test::writeBytes(path("data.dat"), old);
    for (const auto& [sync, code] : {std::pair{true, EIO}, std::pair{false, EXDEV}}) {
        const FailingCommit failing(sync, code);
        EXPECT_EQ(errorOf([&] { saveFileAtomically(path("data.dat"), sampleBytes(3000)); }),
                  msg::ioError(code));
        EXPECT_EQ(test::readBytes(path("data.dat")), old);
        EXPECT_EQ(entriesOf(dir_.path()), QStringList{"data.dat"});
    }
}

TEST_F(SaveFile, KeepsTheOwnerAndPermissionsOfTheReplacedFile) {
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to give a file to another user";
    const QByteArray name = QFile::encodeName(path("data.dat"));
    test::writeBytes(path("data.dat"), "old\r\n");
    ASSERT_EQ(chown(name.constData(), 65534, 65534), 0);
    ASSERT_EQ(chmod(name.constData(), 0640), 0);
    saveFileAtomically(path("data.dat"), "new\r\n");
    struct stat status {};
    ASSERT_EQ(stat(name.constData(), &status), 0);
    EXPECT_EQ(status.st_uid, 65534u);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
}

TEST_F(SaveFile, WritingInPlaceNeverLosesTheOldBytes) {
    // A writable file in a folder closed to the user, on a nearly full disk: the new size
    // cannot be had, or the flush fails after the new bytes are down.
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    ASSERT_TRUE(QDir(dir_.path()).mkdir("small"));
    ASSERT_EQ(chmod(QFile::encodeName(dir_.path()).constData(), 0755), 0);
    test::SmallFileSystem small(path("small"), "64k");
    if (!small.mounted())
        GTEST_SKIP() << "no right to mount a small file system here";
    const QString target = path("small/data.dat");
    const QByteArray old = sampleBytes(1000);
    test::writeBytes(target, old);
    ASSERT_EQ(chmod(QFile::encodeName(target).constData(), 0666), 0);
    ASSERT_EQ(chmod(QFile::encodeName(path("small")).constData(), 0755), 0);
    EXPECT_EQ(saveAsNobody(target, sampleBytes(200000)), msg::kDiskFull);
    EXPECT_EQ(test::readBytes(target), old);
    const FailingCommit failing(true, EIO);
    EXPECT_EQ(saveAsNobody(target, sampleBytes(20000)), msg::ioError(EIO) + "\n" + msg::kOldContentRestored);
    EXPECT_EQ(test::readBytes(target), old);
    EXPECT_EQ(entriesOf(path("small")), QStringList{"data.dat"});
}

TEST_F(SaveFile, KeepsTheOldFileWhenTheDiskIsFull) {
    ASSERT_TRUE(QDir(dir_.path()).mkdir("small"));
    test::SmallFileSystem small(path("small"), "64k");
    if (!small.mounted())
        GTEST_SKIP() << "no right to mount a small file system here";
    const QString target = path("small/data.dat");
    const QByteArray old = sampleBytes(1000);
    test::writeBytes(target, old);
    EXPECT_EQ(errorOf([&] { saveFileAtomically(target, sampleBytes(200000)); }), msg::kDiskFull);
    EXPECT_EQ(test::readBytes(target), old);
    EXPECT_EQ(entriesOf(path("small")), QStringList{"data.dat"});
}

// A save that dies with half its bytes written, as a killed program would.
class DyingWrite {
  public:
    explicit DyingWrite(qsizetype size) : previous_(saveCommitCalls()) {
        dieAt = static_cast<std::size_t>(size);
        SaveCommitCalls calls = previous_;
        calls.write = [](int handle, const void* bytes, std::size_t n) -> ssize_t {
            if (n == dieAt) {
                if (write(handle, bytes, n / 2) < 0)
                    _exit(2);
                _exit(9);
            }
            return write(handle, bytes, n);
        };
        setSaveCommitCalls(calls);
    }
    ~DyingWrite() { setSaveCommitCalls(previous_); }

  private:
    static inline std::size_t dieAt = 0;
    SaveCommitCalls previous_;
};

TEST_F(SaveFile, AnInPlaceSaveThatDiesIsUndoneAtTheNextOpenAndASecondOneWaits) {
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    if (!(QFileInfo(QFileInfo(dir_.path()).path()).permissions() & QFile::ExeOther))
        GTEST_SKIP() << "the temporary folder is closed to other users";
    ASSERT_EQ(chmod(QFile::encodeName(dir_.path()).constData(), 0755), 0);
    ASSERT_TRUE(QDir(dir_.path()).mkdir("home"));
    ASSERT_TRUE(QDir(dir_.path()).mkdir("rooms"));
    ASSERT_EQ(chmod(QFile::encodeName(path("home")).constData(), 0777), 0);
    const QByteArray previousHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(path("home")));
    const QString room = path("rooms/room.dtr");
    const QByteArray old = test::fixture("startup_room.dtr");
    const QByteArray newer = QByteArray(old).replace("4.50", "14.50") + QByteArray(3000, ' ');
    test::writeBytes(room, old);
    ASSERT_EQ(chmod(QFile::encodeName(room).constData(), 0666), 0);
    ASSERT_EQ(chmod(QFile::encodeName(path("rooms")).constData(), 0755), 0);
    {
        const DyingWrite dying(newer.size());
        EXPECT_EQ(saveAsNobody(room, newer), "");
    }
    EXPECT_NE(test::readBytes(room), old);
    EXPECT_EQ(asNobody([&] { readRoomFile(room); }), msg::kInterruptedSaveRestored);
    EXPECT_EQ(test::readBytes(room), old);
    EXPECT_EQ(asNobody([&] { readRoomFile(room); }), "");
    // Another save holds the file.
    const int holder = open(QFile::encodeName(room).constData(), O_RDONLY);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);
    EXPECT_EQ(saveAsNobody(room, newer), msg::kSaveInProgress);
    close(holder);
    EXPECT_EQ(saveAsNobody(room, newer), "");
    EXPECT_EQ(test::readBytes(room), newer);
    qputenv("XDG_DATA_HOME", previousHome);
}

TEST_F(SaveFile, RemovesTheTemporaryFileASaveThatDiedLeft) {
    test::writeBytes(path(".data.dat.x1y2.k2save"), "half");
    const QByteArray left = QFile::encodeName(path(".data.dat.x1y2.k2save"));
    const timeval longAgo[2]{{std::time(nullptr) - 3600, 0}, {std::time(nullptr) - 3600, 0}};
    ASSERT_EQ(utimes(left.constData(), longAgo), 0);
    saveFileAtomically(path("data.dat"), "new");
    EXPECT_EQ(entriesOf(dir_.path()), QStringList{"data.dat"});
}

} // namespace
} // namespace kolmarin
