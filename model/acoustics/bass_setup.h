#pragma once
// A scene with subwoofers, more seats and bass management: the room file's scene plus the
// subwoofers (sources after the two loudspeakers, each with its level, delay and
// polarity), the seats after the listener, and the crossover between the loudspeakers
// and the subwoofers. Its figures: each seat's Total, each seat's spread and mean level,
// and the seat-to-seat variation, for the whole system or the subwoofers alone.

#include "model/acoustics/response.h"
#include "model/acoustics/scene.h"
#include "model/acoustics/seat_variation.h"

#include <string>
#include <vector>

namespace kolmarin {

inline constexpr int kLoudspeakerCount = 2; // sources 0 and 1: SP1 and SP2; SW1 ... follow
inline constexpr int kMostExtraSeats = 16;  // seats besides the listener
inline constexpr double kLowestSubwooferLevel = -20.0, kHighestSubwooferLevel = 10.0;
inline constexpr double kLongestSubwooferDelay = 30.0;

struct SubwooferSignal {
    double levelDb = 0.0;
    double delayMs = 0.0;
    bool reversed = false;
    bool operator==(const SubwooferSignal&) const = default;
};

struct BassSetup {
    SceneTexts texts;                        // sources: SP1, SP2, SW1 ...; seats: the listener first
    std::vector<SubwooferSignal> subwoofers; // one per source after the loudspeakers
    int crossover = 0;                       // Hz, kLowestCrossover .. kHighestCrossover; 0: none
    bool operator==(const BassSetup&) const = default;

    int subwooferCount() const { return static_cast<int>(subwoofers.size()); }
    bool plain() const { return subwoofers.empty() && texts.seats.size() == 1 && crossover == 0; }
};

// Why the setup cannot be calculated as it stands (too many subwoofers or seats, a level,
// delay or crossover out of its range, a subwoofer count that does not match the
// sources), or empty.
std::string setupProblem(const BassSetup& setup);

// `setup` with the subwoofers of `from`, their positions and signals, in place of its own;
// its room, loudspeakers, seats and crossover stay.
BassSetup withSubwoofersOf(BassSetup setup, const BassSetup& from);

// The calculation's scene (readCalculationScene) with each subwoofer's signal on its source
// and, with a crossover, each source on its branch of it.
Scene setupScene(const BassSetup& setup, char decimalSeparator);

// Each seat's Total over its curve elements for `range`, with or without the loudspeakers.
// Without a crossover and with the loudspeakers this is the chart's own calculation at each
// seat, bit for bit; otherwise the sum of the sources' spectra through their branches.
std::vector<Curve> seatTotals(const Scene& scene, int crossover, bool subwoofersOnly, ElementRange range);

// The curves at one seat: every source through its branch of the crossover, and the
// Total (only the subwoofers' with `subwoofersOnly`).
ResponseCurves seatCurves(const Scene& scene, int crossover, bool subwoofersOnly, int seat);

// The Total's impulse response at `seat` as the sources reach it through their level,
// delay, polarity and crossover branch: the samples the waterfall and the decay times read.
// Plain sources give the image sum itself, without a calculation of levels that could fail.
std::vector<double> totalImpulseAt(const Scene& scene, int seat);

// The figures of seatTotals over the band.
SeatFigures setupFigures(const Scene& scene, int crossover, bool subwoofersOnly, Band band);

} // namespace kolmarin
