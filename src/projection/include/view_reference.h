// Conversions between the view reference point on the source image and the
// view direction angles of the source record.
//
// A direction is a unit vector (dx, dy, dz), dz along the optical axis, with
// dx = sin(Alpha) cos(Beta), dy = sin(Beta), dz = cos(Alpha) cos(Beta).
// Its image point is (Cx, Cy) + R * r_over_sin(dz) * (X, Y), (X, Y) being
// (dx, dy) turned by the tilt Rot. Angles are in degrees, points in image
// coordinates (y counted upward from the bottom edge).
//
// A source read through a real lens (Proj RixLensSource) places the point
// at R * rho(theta) instead, rho being the lens function of the lens given;
// a record with that code and no usable lens cannot place a point.
#pragma once

#include "rix.h"

namespace karwen {

// Sets src.Alpha and src.Beta from the reference point; the circle's centre
// in single precision looks along the camera axis (both angles 0), a point
// outside the circle at the horizon in its own azimuth. Returns false and leaves
// the record unchanged when the record cannot place a point: a radius that
// is not a positive finite number, a projection code outside 0..4, or any
// other input that would make the angles NaN or infinite. Through a lens,
// a point beyond the lens's rim looks at its field edge in its own azimuth.
[[nodiscard]] bool ref2angle(ProjectionRecord& src, float refX, float refY, const RixLens* lens = nullptr);

// The reference point that looks along src.Alpha, src.Beta. Returns false
// and leaves refX/refY unchanged when the point is not a finite
// single-precision value (or the projection code lies outside 0..4). Through
// a lens, a direction beyond its field lands on its rim.
[[nodiscard]] bool angle2ref(const ProjectionRecord& src, float& refX, float& refY, const RixLens* lens = nullptr);

} // namespace karwen
