// Reading a room file from disk: missing and unreadable files, what is no file at all,
// and the bounds that keep a huge file from being read whole.
#include "files/file_errors.h"
#include "files/room_file.h"
#include "test_support.h"
#include "tests/user_error.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
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

TEST_F(RoomFileReading, RefusesWhatIsNoRegularFileAtOnceNamingIt) {
    // A pipe nobody writes to would hold a reader for ever; the others say what they are.
    ASSERT_EQ(mkfifo(QFile::encodeName(path("pipe.dtr")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(path("loop.dtr"), path("loop.dtr")));
    ASSERT_TRUE(QFile::link(path("gone.dtr"), path("dangling.dtr")));
    const int server = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray socketName = QFile::encodeName(path("socket.dtr"));
    ASSERT_LT(static_cast<std::size_t>(socketName.size()), sizeof address.sun_path);
    std::copy(socketName.begin(), socketName.end(), address.sun_path);
    ASSERT_EQ(bind(server, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    const std::pair<QString, const char*> cases[]{{path("pipe.dtr"), msg::kFifo},
                                                  {QStringLiteral("/dev/zero"), msg::kDevice},
                                                  {path("socket.dtr"), msg::kSocket},
                                                  {path("loop.dtr"), msg::kLinkLoop},
                                                  {path("dangling.dtr"), msg::kDanglingLink}};
    for (const auto& [file, message] : cases) {
        const auto start = std::chrono::steady_clock::now();
        const QString name = file; // a structured binding, which Clang 14 cannot capture
        EXPECT_EQ(errorOf([&] { readRoomFile(name); }), message);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    }
    close(server);
}

} // namespace
} // namespace kolmarin
