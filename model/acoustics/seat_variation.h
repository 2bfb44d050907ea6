#pragma once
// Seat-to-seat variation: how differently the seats hear the bass. At each 0.5 Hz point of
// a band the Total levels of the seats scatter about their mean; the population standard
// deviation of that scatter (dB), averaged over the band's points, is the variation. A
// single seat's own unevenness over the band is its spread (see spread.h), and the mean
// level over seats and band tells how loud the bass is. Lower variation means every seat
// gets more nearly the same bass, whatever its own unevenness.

#include "model/acoustics/spread.h"

#include <vector>

namespace kolmarin {

struct SeatFigures {
    std::vector<double> spread; // per seat: standard deviation of its levels over the band
    std::vector<double> mean;   // per seat: mean of its levels over the band
    double variation = 0.0;     // mean over the band of the standard deviation across seats
    double meanLevel = 0.0;     // mean of the seats' means
};

// Points a band holds: one every 0.5 Hz from low to high, both included.
inline int bandPoints(Band band) {
    return 2 * (band.high - band.low) + 1;
}

// Figures of `levels[seat][point]`, every seat holding the same number of points (at least
// one seat, at least one point).
SeatFigures seatFigures(const std::vector<std::vector<double>>& levels);

} // namespace kolmarin
