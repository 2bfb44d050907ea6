#pragma once
// A scene with more loudspeakers, subwoofers, more seats and bass management: the room
// file's scene plus a centre and surrounds after SP1 and SP2 (loudspeakers.h), the
// subwoofers (sources after the main loudspeakers, each with its level, delay and
// polarity), the seats after the listener, and the crossover between the small main
// loudspeakers and the subwoofers. Its figures: each seat's Total, each seat's spread and
// mean level, and the seat-to-seat variation, for the whole system or the subwoofers alone.

#include "model/acoustics/loudspeakers.h"
#include "model/acoustics/peaking_eq.h"
#include "model/acoustics/response.h"
#include "model/acoustics/scene.h"
#include "model/acoustics/seat_variation.h"

#include <optional>
#include <string>
#include <vector>

namespace kolmarin {

inline constexpr int kMostExtraSeats = 16; // seats besides the listener
inline constexpr double kLowestSubwooferLevel = -20.0, kHighestSubwooferLevel = 10.0;
inline constexpr double kLongestSubwooferDelay = 30.0;

struct SubwooferSignal {
    double levelDb = 0.0;
    double delayMs = 0.0;
    bool reversed = false;
    bool operator==(const SubwooferSignal&) const = default;
};

struct BassSetup {
    SceneTexts texts; // sources: the main loudspeakers, SW1 ...; seats: the listener first
    std::vector<SubwooferSignal> subwoofers; // one per source after the main loudspeakers
    int crossover = 0;                       // Hz, kLowestCrossover .. kHighestCrossover; 0: none
    std::vector<Loudspeaker> loudspeakers = frontLoudspeakers(); // one per source before the subwoofers
    std::vector<PeakingFilter> subwooferEq;                      // their channel's shared EQ
    bool operator==(const BassSetup&) const = default;

    int loudspeakerCount() const { return static_cast<int>(loudspeakers.size()); }
    int subwooferCount() const { return static_cast<int>(subwoofers.size()); }
    // Whether the room file's scene is all there is to calculate (a large SP1 or SP2 plays
    // as a small one without a crossover).
    bool plain() const {
        return subwoofers.empty() && subwooferEq.empty() && texts.seats.size() == 1 && crossover == 0 &&
               loudspeakers.size() == 2;
    }
};

// What a setup's shared EQ may hold: filters 10-500 Hz, -15 to +6 dB, Q 0.5 to 10.
inline const EqLimits kSetupEqLimits{6.0, 15.0, 0.5, 10.0, Band{10, 500}};

// Why the setup cannot be calculated as it stands (main loudspeakers that are not SP1, SP2
// and then other roles once each in order, too many subwoofers or seats, a level, delay or
// crossover out of its range, sources that do not match the loudspeakers and subwoofers),
// or empty.
std::string setupProblem(const BassSetup& setup);

// `setup` with the subwoofers of `from`, their positions and signals, in place of its own;
// its room, main loudspeakers, seats and crossover stay.
BassSetup withSubwoofersOf(BassSetup setup, const BassSetup& from);

// `setup` with `speaker` standing at `position`: put in its place among the main
// loudspeakers by its role, or, when that role is there, moved and sized.
BassSetup withLoudspeaker(BassSetup setup, Loudspeaker speaker, const PositionTexts& position);

// Each source's label in order: the main loudspeakers' ("SP1", "SP2", "C", ...), then
// "SW1", "SW2" ...
std::vector<std::string> sourceLabels(const BassSetup& setup);

// The branch of a crossover at `crossover` Hz (0: none) a source plays through: the
// low-pass for a subwoofer, the full band for a large main loudspeaker, the high-pass for
// a small one; the full band for all without a crossover.
CrossoverBranch branchOf(const Source& source, int crossover);

// The calculation's scene (readCalculationScene) with each source marked as the main
// loudspeaker or subwoofer it is, each subwoofer's signal on its source and, with a
// crossover, each source on its branch of it.
Scene setupScene(const BassSetup& setup, char decimalSeparator);

// Each seat's Total over its curve elements for `range`, with or without the main loudspeakers.
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

// What a calculation adds to seat 1's curves: the other seats' Totals over `range` with
// every source, as seatTotals gives them, and with more than one seat the setupFigures of
// every seat over `band`. Where both are sums of the sources' spectra, the spectra are
// computed once for both.
struct OtherSeatResults {
    std::vector<Curve> totals; // seats 2, 3, ...
    std::optional<SeatFigures> figures;
};
OtherSeatResults otherSeatResults(const Scene& scene, int crossover, bool subwoofersOnly, ElementRange range,
                                  Band band);

} // namespace kolmarin
