// The program's own radial model of the fisheye projections: codes and
// names, the rational coefficient tables, the two-argument arc tangent and
// the grid tables that start-up derives from them. Everything in the program
// that maps between image points and directions goes through these.
#pragma once

#include "projection_kinds.h"
#include "rix.h"

#include <array>
#include <cstdint>
#include <string>

namespace karwen {

// pi/180 and pi as single-precision values widened to double.
inline constexpr double kDegToRad = 0.01745329238474369;
inline constexpr double kSinglePi = 3.1415927410125732;

// The codes of rix.h under the names the program has always used.
inline constexpr int32_t kOrthographic = RixOrthographic;
inline constexpr int32_t kEquisolidangle = RixEquisolidangle;
inline constexpr int32_t kEquidistant = RixEquidistant;
inline constexpr int32_t kStereographic = RixStereographic;
inline constexpr int32_t kPerspective = RixPerspective;
inline constexpr int kCoefCount = 5;
inline constexpr int kGridRows = 19; // elevations 0, 5, ... 90 degrees
inline constexpr int kGridStepCount = 7;

// A code of rix.h: one a conversion may make.
[[nodiscard]] inline constexpr bool isProjection(int32_t p) { return isIdealProjection(p); }

extern std::array<std::string, kProjectionCount> ProjName;
// Indexed [k][p]: coefficient k of projection p.
extern float CoefA[kCoefCount][kProjectionCount];
extern float CoefB[kCoefCount][kProjectionCount];

// Grid spacing in 5-degree units per grid list index (none, 5 ... 90 deg).
extern int16_t GridStep[kGridStepCount];
// cos and sin of 5*i degrees, i = 0..18.
extern float GridCos[kGridRows];
extern float GridSin[kGridRows];
// Normalised radius of the circle of elevation 5*i degrees, [i][p].
extern float GridRadius[kGridRows][kProjectionCount];

// The name of projection p ("Equidistant"), "" for an unknown code or a
// lens. Needs no start-up, unlike ProjName.
[[nodiscard]] const char* projectionName(int32_t p);
// Names come from the table of projections (projection_kinds.h),
// coefficient rows from each projection's model (projection_radial.h).
void initProjectionNames();
void initCoefTables();
// The rational rows of projection p are its closed form, so need no
// refining; false for the fitted rows and for unknown codes.
[[nodiscard]] bool rationalIsExact(int32_t p);
// Needs the coefficient tables.
void initGridTables();

// The rational function (1 + K3 x + K4 x^2) / (K0 + K1 x + K2 x^2) with
// Kk = table[k][p]. Both radial functions below are this with their table.
// Throws std::out_of_range for a p that is no ideal projection (isProjection). A zero denominator (only
// projection 4 at x = 0) gives what the IEEE division gives: +inf.
[[nodiscard]] double rational(const float (&table)[kCoefCount][kProjectionCount], double x, int32_t p);

// With z = cos(theta): rho_p(theta) / sin(theta). Table CoefB.
[[nodiscard]] double r_over_sin(double z, int32_t p);
// With w = sqrt(1 - rho^2): sin(theta) / rho. Table CoefA.
[[nodiscard]] double sin_over_r(double w, int32_t p);
// Angle of the vector (x, y) in radians, pi being the single-precision pi.
// Never fails: non-finite arguments or an overflowing quotient give 0.
[[nodiscard]] double atn2(double y, double x);

} // namespace karwen
