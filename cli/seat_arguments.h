#pragma once
// The command-line options that add seats, subwoofers and a crossover to the file a command
// reads, and those of the subwoofer optimiser. QtCore and the model only, so the fuzz
// target of the command line takes them too.

#include "model/acoustics/bass_setup.h"
#include "model/acoustics/subwoofer_optimiser.h"

#include <QString>

#include <optional>
#include <vector>

namespace kolmarin::cli {

// What the command line adds to the file it reads.
struct SeatOptions {
    std::vector<PositionTexts> seats;              // after the file's seats
    std::vector<PositionTexts> subwoofers;         // after the file's subwoofers
    std::vector<SubwooferSignal> subwooferSignals; // one per entry of `subwoofers`
    std::optional<int> crossover;                  // replaces the file's
    bool subwoofersOnly = false;                   // figures of the subwoofers alone
    int seat = 0;                                  // response: seat N (1 is the listener); 0: none given
    bool any() const { return !seats.empty() || !subwoofers.empty() || crossover; }
};

// Option values, as the command line gives them; each throws UsageError when malformed.
// --seat X,Y,Z (metres with a point); --sub X,Y,Z[,LEVEL_DB,DELAY_MS,+|-]; --crossover FC.
PositionTexts parseSeatArgument(const QString& text);
void parseSubArgument(const QString& text, SeatOptions& options);
int parseCrossoverArgument(const QString& text);

struct SubsOptions {
    int count = 0;          // subwoofers to place, 1 .. kMostSubwoofers
    QString candidatesPath; // empty: the default candidates along the walls
    OptimiserGoal goal;     // --seat1-weight W, --least-mean DB
};

} // namespace kolmarin::cli
