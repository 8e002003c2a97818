// Conversions between the view reference point on the source image and the
// view direction angles of the source record.
#pragma once

#include "rix.h"

namespace karwen {

// Sets src.Alpha and src.Beta (degrees) from the reference point.
void ref2angle(ProjectionRecord& src, float refX, float refY);
// The reference point that looks along src.Alpha, src.Beta.
void angle2ref(const ProjectionRecord& src, float& refX, float& refY);

} // namespace karwen
