#include "deform_geometry.h"

#include "errors.h"

#include <algorithm>
#include <cmath>

namespace rix {

namespace {

// Degrees to radians as the rest of the program converts its angles (pi/180
// rounded to single precision, as kDegToRad of the projection library), so
// that the destination centre shows exactly the view reference point.
constexpr double kDegree = 0.01745329238474369;

bool usable(const ProjectionRecord& r)
{
    return std::isfinite(r.Cx) && std::isfinite(r.Cy) && std::isfinite(r.R) && std::isfinite(r.Alpha)
        && std::isfinite(r.Beta) && std::isfinite(r.Rot) && r.R > 0.0;
}

} // namespace

DeformGeometry::DeformGeometry(const ProjectionRecord& src, const ProjectionRecord& dst, const LensForm* lens)
{
    if (lens && src.Proj != RixLensSource)
        throw Error("a source seen through a lens must have projection 5");
    if (!lens && !RixMayBeSource(src.Proj))
        throw Error("source projection must be 0 to 3");
    if (!RixMayBeDestination(dst.Proj))
        throw Error("destination projection must be 0 to 4");
    k_.srcProj = src.Proj;
    k_.dstProj = dst.Proj;
    k_.fit = &RadialFit::instance();
    k_.lens = lens;
    if (!usable(src) || !usable(dst)) {
        black_ = true;
        return;
    }

    dstCx_ = dst.Cx;
    dstCy_ = dst.Cy;
    dstReach_ = RixIsFisheye(dst.Proj) ? dst.R + 2.0 : -1.0;

    // Destination: pixel centre (x + 0.5, y + 0.5) relative to the circle, in
    // radii, turned back by the destination tilt.
    const double cd = std::cos(dst.Rot * kDegree), sd = std::sin(dst.Rot * kDegree);
    const double ox = (0.5 - dst.Cx) / dst.R, oy = (0.5 - dst.Cy) / dst.R;
    uConst_ = cd * ox + sd * oy;
    uPerX_ = cd / dst.R;
    uPerY_ = sd / dst.R;
    vConst_ = -sd * ox + cd * oy;
    vPerX_ = -sd / dst.R;
    vPerY_ = cd / dst.R;

    // Source: about x by Beta, then about y by Alpha, so that (0, 0, 1) goes
    // to (sin A cos B, sin B, cos A cos B).
    const double ca = std::cos(src.Alpha * kDegree), sa = std::sin(src.Alpha * kDegree);
    const double cb = std::cos(src.Beta * kDegree), sb = std::sin(src.Beta * kDegree);
    const double rotation[3][3] = {
        {ca, -sa * sb, sa * cb},
        {0.0, cb, sb},
        {-sa, -ca * sb, ca * cb},
    };
    // Then the source tilt and radius: X = cos(Rot) dx - sin(Rot) dy,
    // Y = sin(Rot) dx + cos(Rot) dy, both times R.
    const double cr = std::cos(src.Rot * kDegree), sr = std::sin(src.Rot * kDegree);
    for (int c = 0; c < 3; ++c) {
        k_.m[0][c] = float(src.R * (cr * rotation[0][c] - sr * rotation[1][c]));
        k_.m[1][c] = float(src.R * (sr * rotation[0][c] + cr * rotation[1][c]));
        k_.m[2][c] = float(rotation[2][c]);
    }
    k_.srcCx = float(src.Cx);
    k_.srcCy = float(src.Cy);
}

void DeformGeometry::span(int y, int width, int& first, int& last) const
{
    first = 0;
    last = width;
    if (dstReach_ < 0)
        return;
    const double dy = y + 0.5 - dstCy_;
    const double rest = dstReach_ * dstReach_ - dy * dy;
    if (!(rest > 0)) {
        last = 0;
        return;
    }
    const double half = std::sqrt(rest);
    first = int(std::clamp(std::ceil(dstCx_ - half - 0.5), 0.0, double(width)));
    last = int(std::clamp(std::floor(dstCx_ + half - 0.5) + 1.0, double(first), double(width)));
}

RowStart DeformGeometry::start(int x, int y) const
{
    return {float(uConst_ + uPerX_ * x + uPerY_ * y), float(uPerX_), float(vConst_ + vPerX_ * x + vPerY_ * y),
        float(vPerX_)};
}

} // namespace rix
