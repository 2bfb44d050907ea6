// Subwoofers and seats: the crossover's branches, the published ordering of subwoofer
// layouts by seat-to-seat variation, and the optimiser against an exhaustive search.
#include "model/acoustics/bass_setup.h"
#include "model/acoustics/crossover.h"
#include "model/acoustics/seat_spectra.h"
#include "model/acoustics/seat_variation.h"
#include "model/acoustics/source_mix.h"
#include "model/acoustics/subwoofer_candidates.h"
#include "model/acoustics/subwoofer_optimiser.h"
#include "model/acoustics/subwoofer_problem.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stop_token>

using namespace kolmarin;

namespace {

double decibels(Complex z) {
    return 10.0 * std::log10(z.re * z.re + z.im * z.im);
}

TEST(Crossover, BranchesAreSixDecibelsDownAtTheCrossoverAndSumFlat) {
    for (double fc : {40.0, 80.0, 160.0}) {
        EXPECT_NEAR(decibels(crossoverResponse(CrossoverBranch::LowPass, fc, fc)), 20 * std::log10(0.5),
                    1e-9);
        EXPECT_NEAR(decibels(crossoverResponse(CrossoverBranch::HighPass, fc, fc)), 20 * std::log10(0.5),
                    1e-9);
        // A decade below, the low-pass passes and the high-pass has fallen 80 dB; a decade
        // above, the other way round.
        EXPECT_NEAR(decibels(crossoverResponse(CrossoverBranch::LowPass, fc / 10, fc)), 0.0, 0.01);
        EXPECT_NEAR(decibels(crossoverResponse(CrossoverBranch::HighPass, fc / 10, fc)), -80.0, 0.01);
        EXPECT_NEAR(decibels(crossoverResponse(CrossoverBranch::LowPass, fc * 10, fc)), -80.0, 0.01);
        for (double f : {fc / 7, fc / 2, fc, 1.3 * fc, 5 * fc})
            EXPECT_NEAR(decibels(crossoverResponse(CrossoverBranch::LowPass, f, fc) +
                                 crossoverResponse(CrossoverBranch::HighPass, f, fc)),
                        0.0, 1e-9)
                << fc << " Hz crossover at " << f << " Hz";
    }
}

// A subwoofer turned down, delayed and reversed behind an 80 Hz crossover: the curves of the
// calculation, the curves mixed from the sources' spectra and the spectrum of the impulse
// responses handed out (the waterfall's) agree.
TEST(SetupScene, CurvesAndImpulsesCarryTheSubwoofersSignalAndTheCrossover) {
    BassSetup setup;
    setup.texts.reflectionCount = "8";
    setup.texts.sources.push_back({"0.3", "0.3", "0.3"});
    setup.subwoofers = {{-3.0, 2.5, true}};
    setup.crossover = 80;
    const Scene scene = setupScene(setup, '.');
    ResponseCurves curves;
    ImpulseResponses impulses;
    calculateResponse(scene, curves, impulses);
    const ResponseCurves mixed = seatCurves(scene, setup.crossover, false, 0);
    std::vector<double> sum(impulses.sources[0].size());
    for (const std::vector<double>& h : impulses.sources)
        for (std::size_t n = 0; n < sum.size(); ++n)
            sum[n] += h[n];
    const std::vector<Complex> spectrum = sourceSpectrum(sum);
    const ElementRange range = storedElements(scene.startFrequency, scene.endFrequency);
    for (int j = range.first; j <= range.last; j += 7) {
        const auto at = static_cast<std::size_t>(j);
        EXPECT_NEAR(curves.total[at], mixed.total[at], 1e-6) << j;
        EXPECT_NEAR(curves.sources[2][at], mixed.sources[2][at], 1e-6) << j;
        EXPECT_NEAR(decibels(spectrum[at]), curves.total[at], 1e-6) << j;
    }
}

Scene roomOf(const char* width, const char* depth, const char* height, const char* reflection, int count) {
    SceneTexts t;
    t.width = width;
    t.depth = depth;
    t.height = height;
    for (std::string* r :
         {&t.reflRight, &t.reflLeft, &t.reflFront, &t.reflBack, &t.reflFloor, &t.reflCeiling})
        *r = reflection;
    t.reflectionCount = std::to_string(count);
    return readCalculationScene(t, '.', nullptr);
}

// Two rows of three seats behind the middle of a 5.0 x 6.5 x 2.7 m room; subwoofers 0.30 m
// from the walls and above the floor. Mid-wall layouts cancel the odd modes across the
// seats and so vary least; four corners add in phase everywhere and so play loudest.
TEST(SeatVariation, SubwooferLayoutsKeepThePublishedOrder) {
    const Scene room = roomOf("5.0", "6.5", "2.7", "0.9", 16);
    std::vector<Point3> seats;
    for (double y : {3.55, 4.55})
        for (double x : {1.5, 2.5, 3.5})
            seats.push_back({x, y, 1.0});
    const std::vector<Point3> positions{{2.5, 0.3, 0.3}, {4.7, 3.25, 0.3}, {2.5, 6.2, 0.3}, {0.3, 3.25, 0.3},
                                        {0.3, 0.3, 0.3}, {4.7, 0.3, 0.3},  {4.7, 6.2, 0.3}, {0.3, 6.2, 0.3}};
    const SeatSpectra spectra = computeSeatSpectra(room, positions, seats);
    const auto figures = [&](std::vector<int> subs) {
        return seatFigures(
            mixedSeatLevels(spectra, subs, std::vector<SourceDrive>(subs.size()), 0.0, {20, 80}));
    };
    const SeatFigures fourMid = figures({0, 1, 2, 3}), twoMid = figures({0, 2}),
                      fourCorners = figures({4, 5, 6, 7}), oneCorner = figures({4});
    EXPECT_LT(fourMid.variation, fourCorners.variation);
    EXPECT_LT(twoMid.variation, fourCorners.variation);
    EXPECT_LT(fourCorners.variation, oneCorner.variation);
    for (const SeatFigures& other : {fourMid, twoMid, oneCorner})
        EXPECT_GT(fourCorners.meanLevel, other.meanLevel);
}

// Against the walls of a 5.0 x 6.5 m room, 0.30 m off: 4 corners, 4 midpoints, and points
// every 0.25 m from each wall's first corner (17, 23, 17 and 23 besides the corners).
TEST(SubwooferCandidates, StandAlongTheWallsAtTheirClearance) {
    const std::vector<Point3> candidates = defaultSubwooferCandidates(5.0, 6.5, 2.7);
    EXPECT_EQ(candidates.size(), 88u);
    for (const Point3& p : candidates) {
        EXPECT_TRUE(p.x == 0.3 || p.x == 4.7 || p.y == 0.3 || p.y == 6.2) << p.x << " " << p.y;
        EXPECT_TRUE(p.x >= 0.3 && p.x <= 4.7 && p.y >= 0.3 && p.y <= 6.2 && p.z == 0.3) << p.x << " " << p.y;
    }
    EXPECT_EQ(candidates[4].x, 2.5); // the front wall's midpoint
}

// Two of four candidates, with the default room's loudspeakers playing as they stand.
SubwooferSpectra smallProblem() {
    SceneTexts texts;
    texts.reflectionCount = "8";
    const Scene room = readCalculationScene(texts, '.', nullptr);
    const std::vector<Point3> seats{{1.36, 2.90, 1.0}, {0.86, 2.90, 1.0}, {1.86, 3.40, 1.0}};
    const std::vector<Point3> sources{room.sources[0].position, room.sources[1].position, {0.3, 0.3, 0.3},
                                      {2.4, 2.25, 0.3},         {1.35, 4.2, 0.3},         {0.3, 4.2, 0.3}};
    const SeatSpectra s = computeSeatSpectra(room, sources, seats);
    SubwooferSpectra out;
    out.band = {30, 80};
    out.seats = 3;
    for (int p = 0; p < bandPoints(out.band); ++p)
        for (int seat = 0; seat < 3; ++seat)
            out.fixed.push_back(s.spectra[seat][0][2 * 30 + p] + s.spectra[seat][1][2 * 30 + p]);
    for (int c = 2; c < 6; ++c) {
        out.positions.push_back(sources[static_cast<std::size_t>(c)]);
        out.candidates.emplace_back();
        for (int p = 0; p < bandPoints(out.band); ++p)
            for (int seat = 0; seat < 3; ++seat)
                out.candidates.back().push_back(s.spectra[seat][static_cast<std::size_t>(c)][2 * 30 + p]);
    }
    return out;
}

TEST(SubwooferOptimiser, IsAtLeastAsGoodAsAnExhaustiveCoarseSearchRepeatsItselfAndStops) {
    const SubwooferSpectra spectra = smallProblem();
    const OptimiserGoal goal{0.5, std::nullopt};
    double exhaustive = INFINITY;
    std::vector<SubwooferSetting> grid;
    for (int c = 0; c < 4; ++c)
        for (double level : {0.0, -4.0, -8.0, -12.0})
            for (double delay : {0.0, 4.0, 8.0, 12.0, 16.0, 20.0})
                for (bool inverted : {false, true})
                    grid.push_back({c, level, delay, inverted});
    for (const SubwooferSetting& a : grid)
        for (const SubwooferSetting& b : grid)
            if (a.candidate < b.candidate)
                exhaustive = std::min(exhaustive, evaluateSubwoofers(spectra, {a, b}, goal).score);
    const OptimiserResult first = optimiseSubwoofers(spectra, {2, 10, goal});
    ASSERT_EQ(first.best.size(), 6u); // every pair of the four, each once
    EXPECT_LE(first.best.front().score, exhaustive);
    EXPECT_EQ(first.best.front().subwoofers,
              optimiseSubwoofers(spectra, {2, 10, goal}).best.front().subwoofers);
    // With a floor at the loudest row's mean level, only that loud a configuration ranks first.
    double loudest = -INFINITY;
    for (const SubwooferConfiguration& c : first.best)
        loudest = std::max(loudest, c.meanLevel);
    EXPECT_GE(optimiseSubwoofers(spectra, {2, 10, {0.5, loudest}}).best.front().meanLevel, loudest);
    std::stop_source stop;
    stop.request_stop();
    EXPECT_TRUE(optimiseSubwoofers(spectra, {2, 10, goal}, {}, stop.get_token()).cancelled);
}

TEST(SubwooferOptimiser, GivesSubwoofersAloneAtTheirLoudestEarliestAndMostlyPositive) {
    SubwooferSpectra spectra = smallProblem();
    std::fill(spectra.fixed.begin(), spectra.fixed.end(), Complex{});
    for (const SubwooferConfiguration& c : optimiseSubwoofers(spectra, {2, 10, {}}).best) {
        double loudest = -INFINITY, earliest = INFINITY;
        for (const SubwooferSetting& s : c.subwoofers) {
            loudest = std::max(loudest, s.levelDb);
            earliest = std::min(earliest, s.delayMs);
        }
        EXPECT_EQ(loudest, 0.0);
        EXPECT_EQ(earliest, 0.0);
        EXPECT_FALSE(c.subwoofers.front().inverted);
    }
}

// A long wall of candidates is thinned to the bound, evenly and said; those out of reach
// are counted, and too few left says why.
TEST(SubwooferProblem, BoundsTheCandidatesSaysSoAndSaysWhyTooFewRemain) {
    SceneTexts texts;
    texts.reflectionCount = "0";
    Scene scene = readCalculationScene(texts, '.', nullptr);
    scene.seats = {{1.36, 2.90, 1.0}};
    std::vector<Point3> candidates;
    for (int i = 0; i < 1000; ++i)
        candidates.push_back({0.3, 0.3 + 0.004 * i, 0.3});
    const Band band{20, 120};
    SubwooferSpectra spectra = prepareSubwooferSpectra(scene, 0, false, band, candidates);
    EXPECT_EQ(spectra.positions.size(), mostSubwooferCandidates(1, band));
    EXPECT_EQ(spectra.thinnedFrom, 1000);
    EXPECT_EQ(spectra.positions.front().y, 0.3);
    EXPECT_GT(spectra.positions.back().y, 4.2);
    EXPECT_NE(thinnedSubwooferCandidates(spectra).find("1000 個から"), std::string::npos);
    EXPECT_LE(mostSubwooferCandidates(64, {10, 500}) * 64 * bandPoints({10, 500}), kMostSpectrumValues);

    scene.seats = {{1.36, 2.90, 1.0}, {1.36, 700.0, 1.0}};
    spectra = prepareSubwooferSpectra(scene, 0, true, band, {{0.3, 0.3, 0.3}, {0.3, 690.0, 0.3}});
    EXPECT_EQ(spectra.thinnedFrom, 0);
    EXPECT_EQ(spectra.outOfReach, 2);
    EXPECT_EQ(tooFewSubwooferCandidates(spectra, 2).find("候補の位置 2 個は、"), 0u);
}

} // namespace
