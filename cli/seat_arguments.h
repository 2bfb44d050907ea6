#pragma once
// The command-line options that add main loudspeakers, seats, subwoofers and a crossover
// to the file a command reads, and those of the subwoofer optimiser. QtCore and the model only, so the fuzz
// target of the command line takes them too.

#include "model/acoustics/bass_setup.h"
#include "model/acoustics/subwoofer_optimiser.h"

#include <QString>

#include <optional>
#include <vector>

namespace kolmarin::cli {

// A main loudspeaker the command line places or sizes: --speaker c:X,Y,Z[:large|small]
// places (or moves) a centre or surround, --speaker sp1:large sizes one already there.
struct SpeakerOption {
    LoudspeakerRole role = LoudspeakerRole::Centre;
    std::optional<PositionTexts> position; // none: the file's
    std::optional<bool> large;             // none: the file's, small for one placed anew
};

// What the command line adds to the file it reads.
struct SeatOptions {
    std::vector<SpeakerOption> speakers;           // at most one per role
    std::vector<PositionTexts> seats;              // after the file's seats
    std::vector<PositionTexts> subwoofers;         // after the file's subwoofers
    std::vector<SubwooferSignal> subwooferSignals; // one per entry of `subwoofers`
    std::optional<int> crossover;                  // replaces the file's
    bool subwoofersOnly = false;                   // figures of the subwoofers alone
    int seat = 0;                                  // response: seat N (1 is the listener); 0: none given
    bool any() const { return !seats.empty() || !subwoofers.empty() || crossover || !speakers.empty(); }
};

// Option values, as the command line gives them; each throws UsageError when malformed.
// --speaker ROLE:X,Y,Z[:large|small];
// --seat X,Y,Z (metres with a point); --sub X,Y,Z[,LEVEL_DB,DELAY_MS,+|-]; --crossover FC.
PositionTexts parseSeatArgument(const QString& text);
void parseSubArgument(const QString& text, SeatOptions& options);
// --speaker ROLE:X,Y,Z[:large|small] (ROLE c, sl, sr, sbl, sbr), ROLE:large|small, or
// sp1:large|small, sp2:large|small; each role once.
void parseSpeakerArgument(const QString& text, SeatOptions& options);
int parseCrossoverArgument(const QString& text);

struct SubsOptions {
    int count = 0;          // subwoofers to place, 1 .. kMostSubwoofers
    QString candidatesPath; // empty: the default candidates along the walls
    // --objective, --weights V,T, --seat1-weight W, --least-mean DB, --target flat|house[:DB@HZ],
    // --target-level DB, --eq N, --boost-max DB
    OptimiserGoal goal;
    QString targetPath;                       // --target FILE: a curve text
    double mostDelayMs = kDefaultMostDelayMs; // --max-delay MS
    bool commonLevel = false;                 // --common-level
    bool commonPolarity = false;              // --common-polarity
    QString exportPath; // --export FILE: rank 1's settings for a processor (CSV for *.csv)
};

} // namespace kolmarin::cli
