// Reading a room file from disk: missing and unreadable files, and the bounds that keep a
// huge or endless file from being read whole.
#include "files/file_errors.h"
#include "files/room_file.h"
#include "test_support.h"
#include "tests/user_error.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace kolmarin {
namespace {

using test::errorOf;

class RoomFileReading : public ::testing::Test {
  protected:
    QString path(const char* name) const { return dir_.filePath(QString::fromUtf8(name)); }
    QTemporaryDir dir_;
};

TEST_F(RoomFileReading, ReadsAFileFromDisk) {
    EXPECT_EQ(readRoomFile(test::fixturePath("startup_room.dtr")), startupSceneTexts());
    // Only the header identifies the file; the name does not matter.
    test::writeBytes(path("部屋.rmd"), test::fixture("startup_room.dtr"));
    EXPECT_EQ(readRoomFile(path("部屋.rmd")), startupSceneTexts());
}

TEST_F(RoomFileReading, ReportsAMissingOrUnreadableFile) {
    EXPECT_EQ(errorOf([&] { readRoomFile(path("none.dtr")); }), msg::kFileNotFound);
    EXPECT_EQ(errorOf([&] { readRoomFile(path("no folder/none.dtr")); }), msg::kFileNotFound);
    EXPECT_EQ(errorOf([&] { readRoomFile(dir_.path()); }), msg::kAccessDenied);
}

TEST_F(RoomFileReading, AcceptsUpTo64KiBAndRefusesALargerFile) {
    QByteArray bytes = test::fixture("startup_room.dtr");
    bytes += QByteArray(kMaxRoomFileBytes - bytes.size() - 2, 'x') + "\r\n"; // lines after 22
    ASSERT_EQ(bytes.size(), kMaxRoomFileBytes);
    test::writeBytes(path("limit.dtr"), bytes);
    EXPECT_EQ(readRoomFile(path("limit.dtr")), startupSceneTexts());

    test::writeBytes(path("over.dtr"), bytes + "x");
    EXPECT_EQ(errorOf([&] { readRoomFile(path("over.dtr")); }), msg::kNotARoomFile);

    // A valid start followed by a gigabyte (sparse, so it costs no disk space).
    QFile huge(path("huge.dtr"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    huge.write(test::fixture("startup_room.dtr"));
    ASSERT_TRUE(huge.resize(qint64{1} << 30));
    huge.close();
    EXPECT_EQ(errorOf([&] { readRoomFile(path("huge.dtr")); }), msg::kNotARoomFile);
}

TEST_F(RoomFileReading, RefusesAnEndlessDeviceAfterItsFirstBytes) {
    EXPECT_EQ(errorOf([] { readRoomFile(QStringLiteral("/dev/zero")); }), msg::kNotARoomFile);
}

// Ignores SIGPIPE while it lives, so a write into a pipe whose reader has gone fails with
// EPIPE instead of ending the test.
class IgnoredSigpipe {
  public:
    IgnoredSigpipe() : previous_(std::signal(SIGPIPE, SIG_IGN)) {}
    ~IgnoredSigpipe() { std::signal(SIGPIPE, previous_); }

  private:
    void (*previous_)(int);
};

TEST_F(RoomFileReading, StopsReadingAnEndlessPipeAfter64KiB) {
    // A named pipe has no size to check beforehand: a writer sends a valid start and then
    // keeps sending lines until the reader closes its end.
    const QByteArray fifo = QFile::encodeName(path("endless.dtr"));
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
    IgnoredSigpipe ignoreSigpipe;
    constexpr qint64 kWriterLimit = qint64{16} << 20;
    std::atomic<qint64> written{0};
    std::thread writer([&] {
        const int fd = ::open(fifo.constData(), O_WRONLY);
        if (fd < 0)
            return;
        QByteArray chunk = test::fixture("startup_room.dtr");
        for (;;) {
            const ssize_t n = ::write(fd, chunk.constData(), static_cast<std::size_t>(chunk.size()));
            if (n <= 0 || (written += n) >= kWriterLimit)
                break;
            chunk = QByteArray(4096, '0');
        }
        ::close(fd);
    });
    const std::string message = errorOf([&] { readRoomFile(QFile::decodeName(fifo)); });
    writer.join();
    EXPECT_EQ(message, msg::kNotARoomFile);
    // The reader took 64 KiB and closed; the pipe's buffer holds at most another 64 KiB or so.
    EXPECT_LT(written.load(), qint64{1} << 20);
}

} // namespace
} // namespace kolmarin
