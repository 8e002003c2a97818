// The source side of the conversion: view angles from the reference point
// and back, and the reset from the detected image circle.
#include "mdl_karwen.h"
#include "view_reference.h"
#include "window_hooks.h"

#include <cstdint>

namespace karwen {

// A record that cannot place a point (radius 0, say, after an empty box)
// leaves the globals as they were instead of filling them with NaN.
void ref2angle() { (void)ref2angle(SrcPrm, RefX, RefY); }

void angle2ref() { (void)angle2ref(SrcPrm, RefX, RefY); }

void circleFromBound(const RixRect& box, ProjectionRecord& prm)
{
    // Integer sums before halving; 64 bits so that no box can overflow.
    prm.Cx = static_cast<double>(int64_t{box.Right} + box.Left) * 0.5;
    prm.Cy = static_cast<double>(int64_t{box.Bottom} + box.Top) * 0.5;
    const int64_t w = int64_t{box.Right} - box.Left;
    const int64_t h = int64_t{box.Bottom} - box.Top;
    prm.R = 0.47 * static_cast<double>(w > h ? w : h);
}

void reset_src_param(bool detect)
{
    if (detect) {
        // A failed RixBound leaves the box as it was; the box is used as is.
        (void)RixBound(hSrc, &SrcBound);
        circleFromBound(SrcBound, SrcPrm);
        SrcPrm.Alpha = 0.0;
        SrcPrm.Beta = 0.0;
        SrcPrm.Rot = 0.0;
        SrcPrm.Proj = kEquidistant;
        angle2ref();
    }
    windowHooks().refreshParameterFields();
}

} // namespace karwen
