// The per-pixel form of a lens for the resampler's row kernels: its
// coefficients in float and the edge of its field. The kernels evaluate
// rho(theta) / sin(theta) = (rho(theta) / theta) (theta / sin(theta)), with
// theta from cos(theta) through the fitted arcsine of radial_fit, so that
// the factor stays exact at the axis and every step vectorises.
#pragma once

#include "lens_function.h"

namespace rix {

struct LensForm {
    explicit LensForm(const LensFunction& lens);

    float a[RIX_LENS_TERMS] = {}; // rho / theta = a[0] + a[1] theta + ...
    float zMin = 0;               // cos(theta) at the edge of the field
};

} // namespace rix
