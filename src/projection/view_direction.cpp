#include "view_direction.h"

#include "lens_function.h"
#include "projection_model.h"
#include "tables_filled.h"

#include <algorithm>
#include <cmath>

namespace karwen {

ViewFrame::ViewFrame(const ProjectionRecord& side)
    : cosRot(std::cos(side.Rot * kDegToRad))
    , sinRot(std::sin(side.Rot * kDegToRad))
{
    // The transpose of the resampler's turn: about x by Beta, then about y
    // by Alpha, which takes (0, 0, 1) to the view direction.
    const double ca = std::cos(side.Alpha * kDegToRad), sa = std::sin(side.Alpha * kDegToRad);
    const double cb = std::cos(side.Beta * kDegToRad), sb = std::sin(side.Beta * kDegToRad);
    const double x[3] = {ca, 0.0, -sa}, y[3] = {-sa * sb, cb, -ca * sb}, z[3] = {sa * cb, sb, ca * cb};
    for (int i = 0; i < 3; ++i) {
        ax[i] = x[i];
        ay[i] = y[i];
        az[i] = z[i];
    }
}

std::optional<SkyAngles> skyAnglesAt(const ProjectionRecord& record, double x, double y, const RixLens* lens)
{
    const int32_t p = record.Proj;
    std::optional<rix::LensFunction> function;
    if (p == RixLensSource && lens != nullptr)
        function = rix::LensFunction::make(*lens);
    if (!(isProjection(p) || function) || !(record.R > 0.0) || !std::isfinite(record.R) || !coefTablesFilled())
        return std::nullopt;
    const ViewFrame frame(record);
    // The point relative to the circle in radii, the tilt undone.
    const double ox = (x - record.Cx) / record.R, oy = (y - record.Cy) / record.R;
    const double u = frame.cosRot * ox + frame.sinRot * oy;
    const double v = -frame.sinRot * ox + frame.cosRot * oy;
    const double rho = std::hypot(u, v);
    double sinT = 0.0, cosT = 1.0;
    if (function) {
        const double t = function->theta(rho); // NaN beyond the lens's rim
        if (!std::isfinite(t))
            return std::nullopt;
        sinT = std::sin(t);
        cosT = std::cos(t);
    } else if (p == kPerspective) {
        // rho = tan(t): the perspective picture reaches no horizon.
        sinT = rho / std::sqrt(1.0 + rho * rho);
        cosT = 1.0 / std::sqrt(1.0 + rho * rho);
    } else {
        if (rho > 1.0)
            return std::nullopt;
        sinT = std::min(1.0, rho * sin_over_r(std::sqrt(1.0 - rho * rho), p));
        cosT = std::sqrt(1.0 - sinT * sinT);
    }
    const double scale = rho > 0.0 ? sinT / rho : 0.0;
    const double d[3] = {u * scale, v * scale, cosT};
    const auto dot = [&d](const double(&axis)[3]) { return axis[0] * d[0] + axis[1] * d[1] + axis[2] * d[2]; };
    const double ex = dot(frame.ax), ey = dot(frame.ay), ez = dot(frame.az);
    constexpr double kDegrees = 180.0 / 3.14159265358979323846;
    SkyAngles angles;
    angles.zenithDeg = std::acos(std::clamp(ez, -1.0, 1.0)) * kDegrees;
    angles.azimuthDeg = (ex == 0.0 && ey == 0.0) ? 0.0 : std::atan2(ey, ex) * kDegrees;
    if (angles.azimuthDeg < 0.0)
        angles.azimuthDeg += 360.0;
    return angles;
}

} // namespace karwen
