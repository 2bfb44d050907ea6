// kolmarin2-cli: the room data, calculation result and mode list files without the windows,
// for scripts and batch work.
#include "cli/cli_arguments.h"
#include "cli/cli_commands.h"
#include "files/file_errors.h"
#include "files/locale_text.h"
#include "files/room_file.h"
#include "files/save_file.h"
#include "model/errors.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <exception>

namespace {

using namespace kolmarin;

constexpr int kFailed = 1;
constexpr int kUsageError = 2;

QByteArray produce(const cli::Request& request) {
    switch (request.command) {
    case cli::Command::DefaultResponse:
        return cli::defaultResponseListing();
    case cli::Command::Response:
        return cli::responseOutput(readRoomFile(request.roomPath), decimalSeparatorOf(QLocale::system()),
                                   request.csv);
    case cli::Command::Modes:
        return cli::modesOutput(readRoomFile(request.roomPath), decimalSeparatorOf(QLocale::system()));
    case cli::Command::Room:
        return roomFileBytes(startupSceneTexts());
    case cli::Command::Help:
        break;
    }
    return cli::helpText();
}

// The bytes go out unchanged: the files are CP932 whatever the terminal uses.
void writeToStandardOutput(const QByteArray& bytes) {
    const std::size_t size = static_cast<std::size_t>(bytes.size());
    if (std::fwrite(bytes.constData(), 1, size, stdout) != size || std::fflush(stdout) != 0) {
        const int code = errno;
        throw UserError(code == ENOSPC ? std::string(msg::kDiskFull) : msg::ioError(code));
    }
}

} // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QFile::decodeName(argv[i]));

    cli::Request request;
    try {
        request = cli::parseArguments(arguments);
    } catch (const cli::UsageError& e) {
        std::fprintf(stderr, "kolmarin2-cli: %s\n%s", e.what(), cli::usageText());
        return kUsageError;
    }

    try {
        const QByteArray bytes = produce(request);
        if (request.outputPath.isEmpty())
            writeToStandardOutput(bytes);
        else
            saveFileAtomically(request.outputPath, bytes);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return kFailed;
    }
}
