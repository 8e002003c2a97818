// Whether two projection records describe the same circle and view.
#pragma once

#include "rix.h"

namespace karwen {

// Field by field, as a user compares two circles: -0.0 equals 0.0, and a
// field that is NaN equals nothing, so a record holding one is never taken
// for another (nor for itself, so a cache keyed on it is simply refilled).
[[nodiscard]] inline bool sameRecord(const ProjectionRecord& a, const ProjectionRecord& b)
{
    return a.Cx == b.Cx && a.Cy == b.Cy && a.R == b.R && a.Alpha == b.Alpha && a.Beta == b.Beta && a.Rot == b.Rot
        && a.Proj == b.Proj;
}

} // namespace karwen
