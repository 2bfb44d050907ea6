// kolmarin2-cli's command line on argument lists decoded from the input: its commands and
// options in any order and number, empty arguments, "-" and "--", and arbitrary bytes
// taken as UTF-8. parseArguments gives a UsageError with a message or a request whose
// fields fit its command: a room file for response, modes, map and place, none for the
// others, an output file only as the argument after -o, CSV only for response, map and place
// and only when asked, a band, grid step and placement count within their limits.
#include "fuzz_support.h"

#include "cli/cli_arguments.h"

#include <QString>
#include <QStringList>

#include <cstring>
#include <iterator>

using namespace kolmarin;
using namespace kolmarin::cli;
using fuzz::ByteReader;
using fuzz::require;

namespace {

QString decodeArgument(ByteReader& in) {
    static const char* const kTokens[] = {"response",
                                          "modes",
                                          "room",
                                          "-o",
                                          "--csv",
                                          "--",
                                          "-",
                                          "",
                                          "--help",
                                          "-h",
                                          "a.dtr",
                                          "out.txt",
                                          "-x",
                                          "--output",
                                          "Response",
                                          "部屋.dtr",
                                          "-o=x.txt",
                                          "--csv=1",
                                          " ",
                                          "room.dtr ",
                                          "map",
                                          "place",
                                          "--vary",
                                          "listener",
                                          "speakers",
                                          "--band",
                                          "20-200",
                                          "500-10",
                                          "--step",
                                          "0.05",
                                          "--layout",
                                          "stereo",
                                          "--top",
                                          "3",
                                          "--png",
                                          "--objective",
                                          "area",
                                          "point",
                                          "--figure",
                                          "--front",
                                          "0.3-2",
                                          "--distance",
                                          "--angle",
                                          "50-70",
                                          "--clearance",
                                          "--spacing",
                                          "1-0.5",
                                          "0.30",
                                          "-1",
                                          "1e3",
                                          "seats",
                                          "subs",
                                          "setup",
                                          "--seat",
                                          "--sub",
                                          "1,2,1",
                                          "0.3,0.3,0.3,-3,2.5,-",
                                          "--crossover",
                                          "80",
                                          "--subs-only",
                                          "--count",
                                          "--candidates"};
    const std::uint8_t pick = in.byte();
    if (pick % 4 != 0)
        return QString::fromUtf8(kTokens[pick / 4 % std::size(kTokens)]);
    QByteArray bytes;
    for (int length = in.byte() % 12; length > 0; --length)
        bytes.append(static_cast<char>(in.byte()));
    return QString::fromUtf8(bytes);
}

bool followsOutputOption(const QStringList& arguments, const QString& path) {
    for (qsizetype i = 1; i + 1 < arguments.size(); ++i)
        if (arguments[i] == QStringLiteral("-o") && arguments[i + 1] == path)
            return true;
    return false;
}

void checkRequest(const QStringList& arguments, const Request& r) {
    const bool help =
        arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"));
    require((r.command == Command::Help) == help, "--help or -h anywhere asks for the help, and only they");
    if (help) {
        require(r.roomPath.isEmpty() && r.outputPath.isEmpty() && !r.csv, "the help takes no files");
        return;
    }
    const QString& command = arguments.front();
    switch (r.command) {
    case Command::Response:
    case Command::Modes:
    case Command::Map:
    case Command::Place:
    case Command::Decay: {
        const char* const names[] = {"response", "modes", "map", "place", "decay"};
        const int which = r.command == Command::Response ? 0
                          : r.command == Command::Modes  ? 1
                          : r.command == Command::Map    ? 2
                          : r.command == Command::Place  ? 3
                                                         : 4;
        require(command == QLatin1String(names[which]), "the first argument names the command");
        require(!r.roomPath.isEmpty(), "a calculation reads a named room file");
        require(arguments.indexOf(r.roomPath, 1) > 0, "the room file is one of the arguments");
        require(isValidBand(r.band) && isValidBand(r.waterfallBand),
                "the band lies within 10-500 Hz, low below high");
        require(!r.decayTimes ||
                    (r.command == Command::Modes && arguments.contains(QStringLiteral("--decay"))),
                "decay times only in a mode list, and only when asked");
        require(r.step >= kSmallestMapStep && r.step <= kLargestMapStep,
                "the grid step is within its limits");
        require(r.top >= 1 && r.top <= kMostPlacements, "the placement count is within its limits");
        const PlacementConstraints& c = r.constraints;
        require(c.wallClearance >= 0 && c.leastSpacing >= 0 && c.frontNearest >= 0 &&
                    c.distanceNearest >= 0 && c.narrowestAngle >= 0 && c.widestAngle <= 180 &&
                    c.narrowestAngle <= c.widestAngle && !(c.frontNearest > c.frontFarthest) &&
                    !(c.distanceNearest > c.distanceFarthest),
                "the constraints are lengths and angles, each range in order");
        break;
    }
    case Command::Seats:
    case Command::Subs:
    case Command::Setup: {
        const char* const names[] = {"seats", "subs", "setup"};
        const int which = r.command == Command::Seats ? 0 : r.command == Command::Subs ? 1 : 2;
        require(command == QLatin1String(names[which]), "the first argument names the command");
        require(arguments.indexOf(r.roomPath, 1) > 0 && !r.roomPath.isEmpty(),
                "a setup's command reads a named file");
        require(r.command != Command::Subs || (r.subs.count >= 1 && r.subs.count <= kMostSubwoofers),
                "the optimiser places 1 to 4 subwoofers");
        require(static_cast<int>(r.seatOptions.subwoofers.size()) ==
                    static_cast<int>(r.seatOptions.subwooferSignals.size()),
                "every subwoofer given has its signal");
        break;
    }
    case Command::DefaultResponse:
        require(command == QStringLiteral("response"), "the first argument names the command");
        require(r.roomPath.isEmpty() && r.outputPath.isEmpty(),
                "the start-up scene's listing takes no files");
        break;
    case Command::Report:
        require(command == QStringLiteral("report"), "the first argument names the command");
        require(!r.roomPath.isEmpty() && !r.outputPath.isEmpty(), "a report reads one file and writes one");
        break;
    case Command::Room:
        require(command == QStringLiteral("room"), "the first argument names the command");
        require(r.roomPath.isEmpty(), "the room template reads no room file");
        break;
    case Command::Help:
        break;
    }
    const bool tabular = r.command == Command::Response || r.command == Command::Map ||
                         r.command == Command::Place || r.command == Command::Decay ||
                         r.command == Command::Seats || r.command == Command::Subs;
    require(!r.csv || (tabular && arguments.contains(QStringLiteral("--csv"))),
            "CSV only for a room's response, map, placements or waterfall, and only when asked");
    require(r.pngPath.isEmpty() || r.command == Command::Response || r.command == Command::Decay,
            "an image only for a room's response or its waterfall");
    require(r.outputPath.isEmpty() || followsOutputOption(arguments, r.outputPath),
            "the output file is the argument after -o");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ByteReader in(data, size);
    QStringList arguments;
    for (int count = in.byte() % 9; count > 0; --count)
        arguments.append(decodeArgument(in));
    try {
        checkRequest(arguments, parseArguments(arguments));
    } catch (const UsageError& e) {
        require(std::strlen(e.what()) > 0, "a usage error says what is wrong");
    }
    return 0;
}
