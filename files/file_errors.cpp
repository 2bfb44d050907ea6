#include "files/file_errors.h"

#include "model/errors.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

namespace kolmarin {

namespace msg {

std::string ioError(int systemError) {
    return "I/O エラー (" + std::to_string(systemError) + ")";
}

std::string ioError(const QString& details) {
    return "I/O エラー (" + details.toStdString() + ")";
}

std::string notEncodable(std::string_view text, std::string_view character) {
    return "'" + std::string(text) + "' の文字 '" + std::string(character) +
           "' は Shift-JIS (CP932) で表せないため、ファイルに書けません";
}

std::string breaksLine(std::string_view text) {
    return "'" + std::string(text) + "' は改行または Ctrl-Z を含むため、ファイルに書けません";
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

void throwSaveFailure(const QFileDevice& file, const QString& path) {
    const QFileInfo info(path);
    // QSaveFile refuses these two itself, with texts of its own.
    if (info.isDir() || (info.exists() && !info.isWritable()))
        throw UserError(msg::kAccessDenied);
    const int code = systemErrorNumber(file);
    switch (code) {
    case ENOENT:
    case ENOTDIR:
        if (!info.absoluteDir().exists())
            throw UserError(msg::kFolderNotFound);
        throwSystemError(code, file);
    case EACCES:
    case EPERM:
    case EROFS:
        throw UserError(msg::kAccessDenied);
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        throw UserError(msg::kDiskFull);
    default:
        throwSystemError(code, file);
    }
}

} // namespace kolmarin
