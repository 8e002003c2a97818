#include "view_reference.h"

#include "lens_function.h"
#include "projection_model.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace karwen {

namespace {

bool fitsFloat(double v) { return std::isfinite(v) && std::fabs(v) <= std::numeric_limits<float>::max(); }

// How a source record maps radii to angles: by its ideal projection, or by
// the lens it is read through. Not usable for an unknown code, or a lens
// source without a lens that passes the lens check.
struct RadialModel {
    bool usable = false;
    std::optional<rix::LensFunction> lens;
};

RadialModel radialModel(int32_t proj, const RixLens* lens)
{
    if (proj != RixLensSource)
        return {isProjection(proj), std::nullopt};
    if (lens == nullptr)
        return {};
    auto function = rix::LensFunction::make(*lens);
    return {function.has_value(), function};
}

} // namespace

bool ref2angle(ProjectionRecord& src, float refX, float refY, const RixLens* lens)
{
    const RadialModel model = radialModel(src.Proj, lens);
    if (!model.usable || !std::isfinite(src.R) || !(src.R > 0.0))
        return false;
    const int32_t p = src.Proj;

    // The point in units of the circle radius. The point is kept in single
    // precision: the centre rounded so is the centre, the view along the
    // camera axis, not a view a millionth of a degree off it, whose rim
    // pixels would half fall behind it.
    const bool atCentre = refX == static_cast<float>(src.Cx) && refY == static_cast<float>(src.Cy);
    double x = atCentre ? 0.0 : (static_cast<double>(refX) - src.Cx) / src.R;
    double y = atCentre ? 0.0 : (static_cast<double>(refY) - src.Cy) / src.R;
    const double q = x * x + y * y;
    // The axial part of the direction where the lens gives it: a lens may
    // see past 90 degrees, where the sideways part alone cannot tell.
    std::optional<double> axial;
    if (model.lens) {
        const double rho = std::sqrt(q);
        const double theta = rho < model.lens->rhoMax() ? model.lens->theta(rho) : model.lens->halfFov();
        const double f = rho > 0.0 ? std::sin(theta) / rho : 0.0;
        x = x * f;
        y = y * f;
        axial = std::cos(theta);
    } else if (q <= 1.0) {
        // Inside or on the rim: scale to the sideways part of the direction.
        const double f = sin_over_r(std::sqrt(1.0 - q), p);
        x = x * f;
        y = y * f;
    } else {
        // Outside: pulled onto the rim, so the direction lies on the horizon.
        const double r = std::sqrt(q);
        x = x / r;
        y = y / r;
    }

    const double g = src.Rot * kDegToRad;
    const double cg = std::cos(g);
    const double sg = std::sin(g);
    const double yr = -sg * x + cg * y;
    const double xr = cg * x + sg * y;

    // The absolute value and the clamp absorb rounding: near the rim the
    // rational model can push |yr| a few ulps past 1.
    const double z = axial.value_or(std::sqrt(std::fabs(1.0 - yr * yr - xr * xr)));
    const double u = std::sqrt(std::max(0.0, 1.0 - yr * yr));
    const double alpha = atn2(xr, z) / kDegToRad;
    const double beta = atn2(yr, u) / kDegToRad;
    if (!std::isfinite(alpha) || !std::isfinite(beta) || !std::isfinite(xr) || !std::isfinite(yr))
        return false;
    src.Alpha = alpha;
    src.Beta = beta;
    return true;
}

bool angle2ref(const ProjectionRecord& src, float& refX, float& refY, const RixLens* lens)
{
    const RadialModel model = radialModel(src.Proj, lens);
    if (!model.usable)
        return false;

    const double a = src.Alpha * kDegToRad;
    const double b = src.Beta * kDegToRad;
    const double dz = std::cos(a) * std::cos(b);
    const double dx = std::sin(a) * std::cos(b);
    const double dy = std::sin(b);

    const double g = src.Rot * kDegToRad;
    const double cg = std::cos(g);
    const double sg = std::sin(g);
    const double X = cg * dx - sg * dy;
    const double Y = sg * dx + cg * dy;

    double f = 0.0;
    if (model.lens) {
        // rho along the unit azimuth (X, Y) / sin(theta); the axis itself
        // lands on the centre.
        const double theta = std::min(std::acos(std::clamp(dz, -1.0, 1.0)), model.lens->halfFov());
        const double sideways = std::hypot(X, Y);
        f = sideways > 0.0 ? model.lens->rho(theta) / sideways : 0.0;
    } else {
        f = r_over_sin(std::fabs(dz), src.Proj);
    }
    const double x = src.R * f * X + src.Cx;
    const double y = src.R * f * Y + src.Cy;
    if (!fitsFloat(x) || !fitsFloat(y))
        return false;
    refX = static_cast<float>(x);
    refY = static_cast<float>(y);
    return true;
}

} // namespace karwen
