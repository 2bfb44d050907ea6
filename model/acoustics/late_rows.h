#pragma once
// The Chebyshev series that sums a whole row of late images at once (see LateRowSeries).

#include "model/acoustics/image_rows.h"

#include <vector>

namespace kolmarin::detail {

// Fits G for the z and rz tables (`count` entries, z ascending) on rows with xy at least
// `lowestRowDistance` (> 0). The lowest degree whose series matches the sum image by
// image within 1e-14 of the summed magnitudes at many points is kept, its coefficients
// in `coefficients`; degree -1 when none does or the span is too wide to try.
LateRowSeries fitLateRowSeries(const double* z, const double* rz, int count, double lowestRowDistance,
                               std::vector<double>& coefficients);

// Clenshaw's sum of a Chebyshev series at t in [-1, 1], as the row loop evaluates it.
double chebyshevSum(const double* coefficients, int degree, double t);

} // namespace kolmarin::detail
