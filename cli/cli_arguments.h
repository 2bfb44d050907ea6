#pragma once
// The command line of kolmarin2-cli.

#include <QString>
#include <QStringList>

#include <stdexcept>

namespace kolmarin::cli {

enum class Command {
    Help,            // --help
    DefaultResponse, // response: levels of the start-up scene as a plain listing
    Response,        // response ROOM.dtr [-o FILE] [--csv]
    Modes,           // modes ROOM.dtr [-o FILE]
    Room,            // room [-o FILE]
};

struct Request {
    Command command = Command::Help;
    QString roomPath;
    QString outputPath; // empty: standard output
    bool csv = false;
};

// A command line that does not fit the usage; what() says what is wrong.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// `arguments` without the program's name.
Request parseArguments(const QStringList& arguments);

// The help text: --help prints it whole, a usage error its first lines.
const char* usageText();
const char* helpText();

} // namespace kolmarin::cli
