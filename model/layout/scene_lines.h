#pragma once
// The scene written under a printed or exported chart when it has subwoofers or other
// seats: what the five lines of the room file's scene say, and every subwoofer with its
// level, delay and polarity, the crossover, each other seat with its figures and the
// seats' comparison, set in lines that fit a given width. Standard C++ only: the widths
// come from a measure the caller hands in, so the wrapping is tested without a printer.

#include "model/acoustics/bass_setup.h"
#include "model/acoustics/seat_variation.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kolmarin {

// The seats' figures as the main window last computed them, over `band`.
struct SeatSummary {
    SeatFigures figures;
    Band band;
    bool subwoofersOnly = false;
};

// Entries that belong together (the loudspeakers, the subwoofers, the seats) form one
// group; each group starts a new line.
using SceneGroups = std::vector<std::vector<std::string>>;

// The room, the main loudspeakers ("ラージ" after a large one), the subwoofers and the
// crossover, the listener and the other seats with their figures, and the reflection
// coefficients with the reflection count. Texts
// stand as typed; levels and delays are written with `decimalSeparator`.
SceneGroups sceneGroups(const BassSetup& setup, const std::optional<SeatSummary>& seats,
                        char decimalSeparator = '.');

using TextWidth = std::function<double(const std::string&)>;

// Lines no wider than `width`: a group's entries follow each other three blanks apart
// while they fit. An entry too wide for a line alone is broken at its two-blank gaps, and
// a piece still too wide at its blanks; a single word wider than the line stands alone.
std::vector<std::string> wrapSceneGroups(const SceneGroups& groups, double width, const TextWidth& textWidth);

// `pieces` set one after another `separator` apart, a new line where the next would pass
// `width`; a piece wider than the width alone gets a line of its own.
std::vector<std::string> packPieces(const std::vector<std::string>& pieces, const std::string& separator,
                                    double width, const TextWidth& textWidth);

} // namespace kolmarin
