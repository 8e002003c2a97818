#include "lens_form.h"

#include <cmath>

namespace rix {

LensForm::LensForm(const LensFunction& lens)
    : zMin(float(std::cos(lens.halfFov())))
{
    for (int k = 0; k < RIX_LENS_TERMS; ++k)
        a[k] = float(lens.lens().A[k]);
}

} // namespace rix
