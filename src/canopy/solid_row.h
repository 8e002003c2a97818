// The solid angle of each pixel along one row of a source photo, from a
// column of densities tabulated over q = rho^2: the hot loop of building a
// sky map, kept apart so that it can be built for wider instruction sets.
#pragma once

#include <cstddef>

namespace karwen::canopy {

struct SolidRowTable {
    const double* density; // entries 0 .. last, at q = index / last
    int last;
    double pixelArea; // one pixel in normalised units
};

// Pixels `from` .. `to` - 1 of the row at height y (in radii), whose
// centres lie at (column + 0.5 - cx) * invR: each pixel's solid angle,
// interpolated at its q, as a float in out (0 where q > 1). Returns their
// sum.
double solidRow(const SolidRowTable& table, int from, int to, double cx, double invR, double y, float* out);

// The sum of n values, as solidRow sums its own.
double sumOf(const float* values, int n);

} // namespace karwen::canopy
