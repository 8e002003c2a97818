// The hot loops of building a sky map, one image row at a time, kept apart
// so that they can be built for wider instruction sets. Each gives, pixel
// for pixel, the very values PixelSky::at works out (same operations in the
// same order, no fused multiply-adds), only several pixels at a time.
#pragma once

#include <cstddef>

namespace karwen::canopy {

// Pixel centres of a row lie at x = (column + 0.5 - cx) * invR, height y,
// all in radii.
struct RowPlace {
    double cx, invR, y;
};

struct SolidRowTable {
    const double* density; // entries 0 .. end, at q = index / perUnit
    int perUnit, end;
    double pixelArea; // one pixel in normalised units
};

// The solid angle of pixels `from` .. `to` - 1, interpolated at each one's
// q = rho^2, as floats in out (0 past the table's end). Returns their sum.
double solidRow(const SolidRowTable& table, int from, int to, const RowPlace& place, float* out);

// The sum of n values, as solidRow sums its own.
double sumOf(const float* values, int n);

struct DirectionRowTable {
    const double* cos2;       // entries 0 .. end, at q = index / perUnit
    const double* sinOverRho; // likewise
    const double* density;    // likewise
    int perUnit, end;
    double pixelArea;
    double cosRot, sinRot; // the source's tilt
    const double* ax;      // the view frame's axes in camera coordinates
    const double* ay;
    const double* az;
};

// Where pixels `from` .. `to` - 1 look in the view frame: the cosine of the
// zenith angle ez (a centre just past the rim looks along the rim) and the azimuth
// as RingLayout's pseudo-angle; and their solid angles as solidRow gives
// them, in solid.
void directionRow(
    const DirectionRowTable& table, int from, int to, const RowPlace& place, float* solid, double* ez, double* azimuth);

} // namespace karwen::canopy
