#pragma once
// The optimiser's input for a scene: every candidate's spectrum at every seat over the
// band, and what the optimiser leaves as it is (the main loudspeakers through their branch of
// the crossover, or nothing when the subwoofers are judged alone). The scene's own
// subwoofers are left out: the optimiser's replace them.

#include "model/acoustics/subwoofer_optimiser.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <stop_token>
#include <string>

namespace kolmarin {

// The bound on the work: at most kMostCandidates candidates, and at most kMostSpectrumValues
// values of their spectra over the band and seats (64 MiB). The search grows with the
// candidates, and beyond a few hundred wall points spaced by a fraction of the shortest
// wavelength the next one adds nothing a neighbour does not already offer.
inline constexpr std::size_t kMostCandidates = 240;
inline constexpr std::size_t kMostSpectrumValues = std::size_t{1} << 22;

// How many candidates are calculated for `seats` seats over `band`.
std::size_t mostSubwooferCandidates(int seats, Band band);

// Candidates that cannot be calculated at some seat (one standing on a seat) are left out
// of spectra.positions, as are those some seat lies too far from (counted in outOfReach).
// Of more candidates within reach than the bound, that many spread evenly over the list
// are calculated (thinnedFrom says how many there were). Throws UserError when a loudspeaker cannot be
// calculated. A stop leaves the candidates unfilled.
SubwooferSpectra prepareSubwooferSpectra(const Scene& scene, int crossover, bool subwoofersOnly, Band band,
                                         const std::vector<Point3>& candidates,
                                         const std::function<void(double)>& progress = {},
                                         std::stop_token stop = {});

// The share of a run's time the preparation of `candidates` candidates takes: its image
// sums, about (R + 1)³ terms per source and seat for R reflections, against the search's
// evaluations, a term per band point and seat each. Measured, an image term costs about
// kImageTermCost of an evaluation's.
inline constexpr double kImageTermCost = 0.4;
double preparingShare(const Scene& scene, std::size_t candidates, Band band, const OptimiserOptions& options);

// A run's progress over the preparation and then the search: while the spectra are
// prepared, the time left is projected from the time they have taken so far.
class OptimiserRunClock {
  public:
    explicit OptimiserRunClock(double preparingShare) : share_(preparingShare) {}
    OptimiserProgress preparing(double fraction) const;
    OptimiserProgress searching(OptimiserProgress search) const;

  private:
    double share_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// Why `spectra` leaves fewer candidates than `count` subwoofers, for the user.
std::string tooFewSubwooferCandidates(const SubwooferSpectra& spectra, int count);
// What the bound left out, for the user; empty when it did not apply.
std::string thinnedSubwooferCandidates(const SubwooferSpectra& spectra);

} // namespace kolmarin
