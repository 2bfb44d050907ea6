#include "files/file_errors.h"

#include "model/errors.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kolmarin {

namespace msg {

std::string ioError(int systemError) {
    return "I/O エラー (" + std::to_string(systemError) + ")";
}

std::string ioError(const QString& details) {
    return "I/O エラー (" + details.toStdString() + ")";
}

std::string notEncodable(std::string_view text, std::string_view character) {
    return "'" + shownText(text) + "' の文字 '" + std::string(character) +
           "' は Shift-JIS (CP932) で表せないため、ファイルに書けません";
}

std::string breaksLine(std::string_view text) {
    return "'" + shownText(text) + "' は改行または Ctrl-Z を含むため、ファイルに書けません";
}

} // namespace msg

int systemErrorNumber(const QFileDevice& file) {
    const QString text = file.errorString();
    // Linux numbers its errors below 134; the bound leaves room for other systems.
    for (int code = 1; code < 256; ++code)
        if (qt_error_string(code) == text)
            return code;
    return 0;
}

namespace {

[[noreturn]] void throwSystemError(int code, const QFileDevice& file) {
    if (code == 0)
        throw UserError(msg::ioError(file.errorString()));
    throw UserError(msg::ioError(code));
}

} // namespace

void throwReadFailure(const QFileDevice& file, const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        throw UserError(msg::kFileNotFound);
    if (info.isDir())
        throw UserError(msg::kAccessDenied);
    const int code = systemErrorNumber(file);
    switch (code) {
    case ENOENT:
    case ENOTDIR:
        throw UserError(msg::kFileNotFound);
    case EACCES:
    case EPERM:
        throw UserError(msg::kAccessDenied);
    default:
        throwSystemError(code, file);
    }
}

std::string openFailureMessage(int code, const QString& path) {
    struct stat status {};
    const QByteArray name = QFile::encodeName(path);
    switch (code) {
    case ENOENT:
        // The name is there but leads nowhere.
        if (::lstat(name.constData(), &status) == 0 && S_ISLNK(status.st_mode))
            return msg::kDanglingLink;
        return msg::kFileNotFound;
    case ENOTDIR:
        return msg::kFileNotFound;
    case ELOOP:
        return msg::kLinkLoop;
    case ENXIO:
        // open() of a socket fails so.
        if (::stat(name.constData(), &status) == 0 && !notAFileMessage(status.st_mode).empty())
            return notAFileMessage(status.st_mode);
        return msg::ioError(code);
    case EACCES:
    case EPERM:
    case EISDIR:
        return msg::kAccessDenied;
    default:
        return msg::ioError(code);
    }
}

std::string notAFileMessage(unsigned mode) {
    if (S_ISFIFO(mode))
        return msg::kFifo;
    if (S_ISSOCK(mode))
        return msg::kSocket;
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return msg::kDevice;
    if (S_ISDIR(mode))
        return msg::kAccessDenied;
    return std::string();
}

void openRegularFile(QFile& file, const QString& path) {
    const int handle = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (handle < 0)
        throw UserError(openFailureMessage(errno, path));
    if (!file.open(handle, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(handle);
        throw UserError(msg::ioError(file.errorString()));
    }
    struct stat status {};
    if (::fstat(handle, &status) != 0)
        throw UserError(msg::ioError(errno));
    if (!S_ISREG(status.st_mode))
        throw UserError(notAFileMessage(status.st_mode));
}

std::string saveFailureMessage(int code, const QString& path) {
    switch (code) {
    case ENOENT:
    case ENOTDIR:
        if (!QFileInfo(path).absoluteDir().exists())
            return msg::kFolderNotFound;
        return msg::ioError(code);
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return msg::kAccessDenied;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return msg::kDiskFull;
    case EPIPE:
        return msg::kNoReader;
    case ENXIO: {
        // open() for writing says so of a pipe nobody reads and of a socket.
        struct stat status {};
        if (::stat(QFile::encodeName(path).constData(), &status) == 0 && S_ISFIFO(status.st_mode))
            return msg::kNoPipeReader;
        if (S_ISSOCK(status.st_mode))
            return msg::kSocketNotWritable;
        return msg::ioError(code);
    }
    default:
        return msg::ioError(code);
    }
}

} // namespace kolmarin
