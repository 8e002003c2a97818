#include "lens_form.h"

#include "radial_fit.h"

#include <cmath>

namespace rix {

LensForm::LensForm(const LensFunction& lens)
    : zMin(float(std::cos(lens.halfFov())))
{
    const double sMax = std::sin(0.5 * lens.halfFov());
    // The fit's nodes lie inside (0, 1): s > 0 and sin(theta) > 0 at each.
    std::array<double, kLensFitDegree + 1> power{};
    fitPowers(
        [&](double t) {
            const double theta = 2.0 * std::asin(t * sMax);
            return lens.rho(theta) / std::sin(theta);
        },
        power);
    for (int k = 0; k <= kLensFitDegree; ++k)
        factor[k] = float(power[k]);
    sScale = float(2.0 / sMax);
}

} // namespace rix
