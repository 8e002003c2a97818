// The program's own radial model of the fisheye projections: codes and
// names, the rational coefficient tables, the two-argument arc tangent and
// the grid tables that start-up derives from them. Everything in the program
// that maps between image points and directions goes through these.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace karwen {

// pi/180 and pi as single-precision values widened to double.
inline constexpr double kDegToRad = 0.01745329238474369;
inline constexpr double kSinglePi = 3.1415927410125732;

inline constexpr int32_t kOrthographic = 0;
inline constexpr int32_t kEquisolidangle = 1;
inline constexpr int32_t kEquidistant = 2;
inline constexpr int32_t kStereographic = 3;
inline constexpr int32_t kPerspective = 4;
inline constexpr int kProjectionCount = 5;

extern std::array<std::string, kProjectionCount> ProjName;
// Indexed [k][p]: coefficient k of projection p.
extern float CoefA[5][kProjectionCount];
extern float CoefB[5][kProjectionCount];

// Grid spacing in 5-degree units per grid list index (none, 5 ... 90 deg).
extern int16_t GridStep[7];
// cos and sin of 5*i degrees, i = 0..18.
extern float GridCos[19];
extern float GridSin[19];
// Normalised radius of the circle of elevation 5*i degrees, [i][p].
extern float GridRadius[19][kProjectionCount];

void init_projection_names();
void init_coef_tables();
// Needs the coefficient tables.
void init_grid_tables();

// With z = cos(theta): rho_p(theta) / sin(theta).
double r_over_sin(double z, int32_t p);
// With w = sqrt(1 - rho^2): sin(theta) / rho.
double sin_over_r(double w, int32_t p);
// Angle of the vector (x, y) in radians; 0 instead of an arithmetic error.
double atn2(double y, double x);

} // namespace karwen
