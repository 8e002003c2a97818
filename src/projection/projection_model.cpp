#include "projection_model.h"

namespace karwen {

std::array<std::string, kProjectionCount> ProjName;
float CoefA[5][kProjectionCount];
float CoefB[5][kProjectionCount];
int16_t GridStep[7];
float GridCos[19];
float GridSin[19];
float GridRadius[19][kProjectionCount];

void init_projection_names() {}
void init_coef_tables() {}
void init_grid_tables() {}
double r_over_sin(double, int32_t) { return 1.0; }
double sin_over_r(double, int32_t) { return 1.0; }
double atn2(double, double) { return 0.0; }

} // namespace karwen
