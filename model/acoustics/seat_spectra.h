#pragma once
// The spectrum of every source at every seat, computed once: the image-source calculation
// of the room with that source alone and the listener at that seat, transformed, with the
// elements the chart uses (see source_mix.h). Everything a seat hears is then a sum of
// these spectra with the sources' gains, whatever the levels, delays, polarities and
// crossover, so trying another setting costs no room calculation.

#include "model/acoustics/scene.h"
#include "model/acoustics/source_mix.h"
#include "model/acoustics/spread.h"
#include "model/fft/complex.h"

#include <functional>
#include <stop_token>
#include <string>
#include <vector>

namespace kolmarin {

struct SeatSpectra {
    // spectra[seat][source]: kCurvePoints elements, or empty where the calculation failed.
    std::vector<std::vector<std::vector<Complex>>> spectra;
    // Per source: the first failure's message at any seat (a source on a seat divides by
    // zero), empty when it has its spectrum at every seat.
    std::vector<std::string> failure;
    bool cancelled = false;
    DelayModel delays = DelayModel::Sample; // which frequency each element stands for
};

// `room` gives the room, its coefficients and the reflection count (corrected as the
// calculation corrects them); its positions are not used. Runs on the shared worker pool;
// `progress` gets the fraction done, from any thread, one call at a time.
SeatSpectra computeSeatSpectra(const Scene& room, const std::vector<Point3>& sources,
                               const std::vector<Point3>& seats,
                               const std::function<void(double)>& progress = {}, std::stop_token stop = {});

// levels[seat][point] over the band of the sum of `sources` (indices into the spectra) with
// their drives, in that order. Throws UserError as the calculation does for a level it
// cannot take; a source without its spectrum is the caller's error.
std::vector<std::vector<double>> mixedSeatLevels(const SeatSpectra& spectra, const std::vector<int>& sources,
                                                 const std::vector<SourceDrive>& drives, double crossover,
                                                 Band band);

} // namespace kolmarin
