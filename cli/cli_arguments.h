#pragma once
// The command line of kolmarin2-cli.

#include "cli/seat_arguments.h"
#include "model/acoustics/placement_search.h"
#include "model/acoustics/response_map.h"
#include "model/acoustics/spread.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>

namespace kolmarin::cli {

enum class Command {
    Help,            // --help
    DefaultResponse, // response: levels of the start-up scene as a plain listing
    Response,        // response ROOM.dtr [-o FILE] [--csv | --text] | response ROOM.dtr --png FILE
    Modes,           // modes ROOM.dtr [--decay] [-o FILE]
    Room,            // room [-o FILE]
    Map,             // map ROOM.dtr [--vary listener|speakers] [--figure point|area] [--band LO-HI]
                     //   [--step M] [--csv] [-o FILE]
    Place,  // place ROOM.dtr [--layout stereo|seats|speakers] [--centre-line] [--objective point|area]
            //   [--band LO-HI] [--clearance M] [--front MIN-MAX] [--distance MIN-MAX]
            //   [--angle MIN-MAX] [--spacing M] [--top K] [--csv] [-o BEST.dtr]
    Decay,  // decay ROOM.dtr [--band LO-HI] [--csv | --png FILE] [-o FILE]
    Seats,  // seats SETUP [--band LO-HI] [--csv]
    Subs,   // subs SETUP --count K [--candidates FILE] [--band LO-HI] [--top T] [--csv] [-o BEST]
    Setup,  // setup ROOM.dtr --seat ... --sub ... [--crossover FC] [-o FILE]
    Report, // report SETUP -o FILE.pdf
};

// Limits of the map's grid step in metres and of the number of placements listed.
inline constexpr double kSmallestMapStep = 0.01;
inline constexpr double kLargestMapStep = 1.0;
inline constexpr int kMostPlacements = 100;

struct Request {
    Command command = Command::Help;
    QString roomPath;
    QString outputPath; // empty: standard output
    QString pngPath;    // response: the chart image instead of the result file
    bool csv = false;
    bool text = false;           // response: the Total as measurement programs read a curve
    bool decayTimes = false;     // modes: each mode's decay time as a sixth column
    Band waterfallBand{15, 200}; // decay: the waterfall's frequencies
    MapMarker vary = MapMarker::Listener;
    MapFigure figure = MapFigure::Point;
    Band band;
    double step = kDefaultMapStep;
    Layout layout = Layout::Stereo;
    Objective objective = Objective::Area;
    PlacementConstraints constraints;
    int top = 10;
    SeatOptions seatOptions; // seats, subs, response, setup: what the command line adds
    SubsOptions subs;
    std::optional<DelayModel> delays; // --delays: the model over the one a setup file holds
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
