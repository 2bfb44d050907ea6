// Main loudspeakers beyond SP1 and SP2: a small one plays above the crossover and leaves
// its bass to the subwoofers, a large one plays the full band, and every figure with the
// loudspeakers holds them all through their branches.
#include "model/acoustics/bass_setup.h"
#include "model/acoustics/crossover.h"
#include "model/acoustics/seat_spectra.h"
#include "model/acoustics/source_mix.h"
#include "model/acoustics/subwoofer_problem.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace kolmarin;

namespace {

double levelOf(Complex z) {
    return mixLevel(z.re * z.re + z.im * z.im);
}

// SP1, SP2 and a centre small, a surround left large, one subwoofer, 80 Hz.
BassSetup fiveSources() {
    BassSetup setup;
    setup.texts.reflectionCount = "8";
    setup = withLoudspeaker(setup, {LoudspeakerRole::SurroundLeft, true}, {"0.30", "3.60", "1.10"});
    setup = withLoudspeaker(setup, {LoudspeakerRole::Centre}, {"1.35", "0.40", "0.60"});
    setup.texts.sources.push_back({"2.40", "0.30", "0.30"});
    setup.subwoofers = {{}};
    setup.crossover = 80;
    return setup;
}

TEST(MainLoudspeakers, StandInRoleOrderBetweenTheFrontsAndTheSubwoofers) {
    BassSetup setup = fiveSources();
    EXPECT_EQ(sourceLabels(setup), (std::vector<std::string>{"SP1", "SP2", "C", "SL", "SW1"}));
    EXPECT_EQ(setup.texts.sources[2].x, "1.35");
    EXPECT_EQ(setup.texts.sources[4].x, "2.40");
    // Placing a role again moves and sizes it; it is not added twice.
    setup = withLoudspeaker(setup, {LoudspeakerRole::Centre, true}, {"1.20", "0.40", "0.60"});
    EXPECT_EQ(setup.loudspeakerCount(), 4);
    EXPECT_TRUE(setup.loudspeakers[2].large);
    EXPECT_EQ(setup.texts.sources[2].x, "1.20");
    // Other subwoofers keep the main loudspeakers; none take the subwoofers away only.
    const BassSetup without = withSubwoofersOf(setup, {});
    EXPECT_EQ(without.loudspeakers, setup.loudspeakers);
    EXPECT_EQ(without.texts.sources,
              std::vector<PositionTexts>(setup.texts.sources.begin(), setup.texts.sources.begin() + 4));
    EXPECT_EQ(withSubwoofersOf(without, setup), setup);
    EXPECT_FALSE(without.plain());
}

TEST(MainLoudspeakers, ASetupThatDoesNotHoldTogetherIsRefusedSayingWhy) {
    const struct {
        const char* what;
        std::vector<Loudspeaker> loudspeakers;
        int sourcesMore;
        const char* expected;
    } cases[]{
        {"no SP2", {{LoudspeakerRole::FrontLeft}, {LoudspeakerRole::Centre}}, 0, "SP1、SP2 から始まります"},
        {"fronts swapped", {{LoudspeakerRole::FrontRight}, {LoudspeakerRole::FrontLeft}}, 0, "SP1、SP2 から"},
        {"a centre twice",
         {{LoudspeakerRole::FrontLeft},
          {LoudspeakerRole::FrontRight},
          {LoudspeakerRole::Centre},
          {LoudspeakerRole::Centre}},
         2,
         "センター は一度だけ"},
        {"out of order",
         {{LoudspeakerRole::FrontLeft},
          {LoudspeakerRole::FrontRight},
          {LoudspeakerRole::SurroundRight},
          {LoudspeakerRole::SurroundLeft}},
         2,
         "の順に置きます"},
        {"a source short",
         {{LoudspeakerRole::FrontLeft}, {LoudspeakerRole::FrontRight}, {LoudspeakerRole::Centre}},
         0,
         "音源の数がメインのスピーカーとサブウーファーの数に合いません"},
    };
    for (const auto& c : cases) {
        BassSetup setup;
        setup.loudspeakers = c.loudspeakers;
        for (int i = 0; i < c.sourcesMore; ++i)
            setup.texts.sources.push_back({"1.00", "1.00", "1.00"});
        const std::string problem = setupProblem(setup);
        EXPECT_NE(problem.find(c.expected), std::string::npos) << c.what << ": " << problem;
        EXPECT_THROW(setupScene(setup, '.'), UserError) << c.what;
    }
    EXPECT_EQ(setupProblem(fiveSources()), "");
}

// Each curve against the sum worked out here from the sources' own spectra: the Total is
// HP(SP1 + SP2 + C) + SL + LP(SW1), the subwoofers' alone LP(SW1), and the optimiser's fixed
// part every main loudspeaker through its branch.
TEST(MainLoudspeakers, SmallOnesAreHighPassedLargeOnesFullAndTheTotalHoldsEach) {
    const BassSetup setup = fiveSources();
    const Scene scene = setupScene(setup, '.');
    std::vector<Point3> positions;
    for (const Source& s : scene.sources)
        positions.push_back(s.position);
    const SeatSpectra own = computeSeatSpectra(scene, positions, scene.seats);
    const auto spectrum = [&](std::size_t source, int j) {
        return own.spectra[0][source][static_cast<std::size_t>(j)];
    };
    const ResponseCurves curves = seatCurves(scene, 80, false, 0);
    const ResponseCurves subsOnly = seatCurves(scene, 80, true, 0);
    ResponseCurves calculated;
    calculateResponse(scene, calculated, 0);
    const ElementRange range = storedElements(scene.startFrequency, scene.endFrequency);
    const Curve total = seatTotals(scene, 80, false, range).front();
    for (int j = range.first; j <= range.last; j += 5) {
        const double f = binFrequency(j);
        const Complex hp = crossoverResponse(CrossoverBranch::HighPass, f, 80);
        const Complex lp = crossoverResponse(CrossoverBranch::LowPass, f, 80);
        const Complex mains = hp * (spectrum(0, j) + spectrum(1, j) + spectrum(2, j)) + spectrum(3, j);
        const auto at = static_cast<std::size_t>(j);
        EXPECT_NEAR(curves.sources[2][at], levelOf(hp * spectrum(2, j)), 1e-6) << j;
        EXPECT_NEAR(curves.sources[3][at], levelOf(spectrum(3, j)), 1e-6) << j;
        EXPECT_NEAR(curves.total[at], levelOf(mains + lp * spectrum(4, j)), 1e-6) << j;
        EXPECT_NEAR(subsOnly.total[at], levelOf(lp * spectrum(4, j)), 1e-6) << j;
        EXPECT_NEAR(calculated.total[at], curves.total[at], 1e-6) << j;
        EXPECT_NEAR(total[at], curves.total[at], 1e-6) << j;
    }

    const Band band{30, 90};
    const SubwooferSpectra problem =
        prepareSubwooferSpectra(setupScene(withSubwoofersOf(setup, {}), '.'), 80, false, band, {});
    for (int p = 0; p < bandPoints(band); p += 7) {
        const int j = 2 * band.low + p;
        const Complex hp = crossoverResponse(CrossoverBranch::HighPass, binFrequency(j), 80);
        const Complex expected = hp * (spectrum(0, j) + spectrum(1, j) + spectrum(2, j)) + spectrum(3, j);
        const Complex fixed = problem.fixed[static_cast<std::size_t>(p)];
        EXPECT_NEAR(fixed.re, expected.re, 1e-9 * (1 + std::abs(expected.re))) << j;
        EXPECT_NEAR(fixed.im, expected.im, 1e-9 * (1 + std::abs(expected.im))) << j;
    }
}

// Without a crossover the size changes nothing: every source plays the full band, and the
// Total is the chart's own.
TEST(MainLoudspeakers, WithoutACrossoverEveryOnePlaysTheFullBand) {
    BassSetup setup = fiveSources();
    setup.crossover = 0;
    const Scene scene = setupScene(setup, '.');
    setup.loudspeakers[3].large = false;
    const Scene small = setupScene(setup, '.');
    const ResponseCurves a = seatCurves(scene, 0, false, 0), b = seatCurves(small, 0, false, 0);
    EXPECT_EQ(a.total, b.total);
    EXPECT_EQ(a.sources, b.sources);
    for (const Source& s : scene.sources)
        EXPECT_EQ(s.branch, CrossoverBranch::Full);
}

// A calculation's other seats and figures come from one pass over the sources' spectra, and
// are those the separate calls give, bit for bit, with and without a crossover, with the
// loudspeakers or without, under both delay models.
TEST(MainLoudspeakers, OtherSeatsAndFiguresOfOnePassAreThoseOfSeparateCalls) {
    BassSetup setup = fiveSources();
    setup.texts.seats.push_back({"0.90", "3.10", "1.00"});
    setup.texts.seats.push_back({"1.80", "3.20", "1.10"});
    const Band band{25, 110};
    for (const int crossover : {0, 80})
        for (const bool subsOnly : {false, true})
            for (const DelayModel delays : {DelayModel::Sample, DelayModel::Continuous}) {
                setup.crossover = crossover;
                Scene scene = setupScene(setup, '.');
                scene.delays = delays;
                const ElementRange range = storedElements(scene.startFrequency, scene.endFrequency);
                const OtherSeatResults one = otherSeatResults(scene, crossover, subsOnly, range, band);
                const std::vector<Curve> totals = seatTotals(scene, crossover, false, range);
                const SeatFigures figures = setupFigures(scene, crossover, subsOnly, band);
                SCOPED_TRACE(testing::Message() << crossover << " Hz, subwoofers only " << subsOnly);
                EXPECT_EQ(one.totals, std::vector<Curve>(totals.begin() + 1, totals.end()));
                ASSERT_TRUE(one.figures);
                EXPECT_EQ(one.figures->spread, figures.spread);
                EXPECT_EQ(one.figures->mean, figures.mean);
                EXPECT_EQ(one.figures->variation, figures.variation);
            }
}

} // namespace
