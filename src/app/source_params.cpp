// The source side of the conversion: view angles from the reference point
// and back, the reset from the detected image circle, and the circle a
// canopy measurement reads the photo through.
#include "mdl_karwen.h"
#include "photo_source.h"
#include "view_reference.h"
#include "window_hooks.h"

#include <cmath>
#include <cstdint>

namespace karwen {

// A record that cannot place a point (radius 0, say, after an empty box)
// leaves the globals as they were instead of filling them with NaN.
void ref2angle() { (void)ref2angle(SrcPrm, RefX, RefY, lensOf(SrcPrm, SrcLens)); }

void angle2ref() { (void)angle2ref(SrcPrm, RefX, RefY, lensOf(SrcPrm, SrcLens)); }

namespace {

// Within the fields' two decimals: a value read back from its field is no change.
bool withinShown(double a, double b) { return std::abs(a - b) <= 0.005 + 1e-9; }

} // namespace

bool srcCircleIsReset()
{
    return SrcAuto.done && withinShown(SrcPrm.Cx, SrcAuto.cx) && withinShown(SrcPrm.Cy, SrcAuto.cy)
        && withinShown(SrcPrm.R, SrcAuto.r);
}

MeasuredSource measuredSource()
{
    MeasuredSource source{SrcPrm, false};
    const bool untouched = srcCircleIsReset();
    // A view point at the circle's centre (read back from its fields) looks
    // along the camera axis, not a hair off it, which would measure down
    // the path for views off the axis.
    if (withinShown(RefX, SrcPrm.Cx) && withinShown(RefY, SrcPrm.Cy)) {
        source.prm.Alpha = 0.0;
        source.prm.Beta = 0.0;
    }
    if (untouched && SrcAuto.found.Confident) {
        source.prm.Cx = SrcAuto.found.Cx;
        source.prm.Cy = SrcAuto.found.Cy;
        source.prm.R = SrcAuto.found.R;
        // The rim is where the lens's field ends, not the 90-degree circle.
        if (const RixLens* lens = lensOf(SrcPrm, SrcLens))
            source.prm.R = radius90FromRim(SrcAuto.found.R, *lens);
        source.detected = true;
    }
    return source;
}

bool srcCircleNotFound() { return SrcAuto.done && !SrcAuto.found.Confident; }

void reset_src_param(bool detect)
{
    if (detect) {
        // Without an image the box stays as it was; the box is used as is.
        SrcAuto.found = {};
        const int32_t width = RixWidth(hSrc), height = RixHeight(hSrc);
        if (RixFindCircle(hSrc, &SrcAuto.found) == 1) {
            (void)RixCircleBound(&SrcAuto.found, width, height, &SrcBound);
            if (!isUsableCircle(SrcAuto.found, width, height))
                SrcAuto.found.Confident = 0;
        }
        circleFromBound(SrcBound, SrcPrm);
        SrcAuto.cx = SrcPrm.Cx;
        SrcAuto.cy = SrcPrm.Cy;
        SrcAuto.r = SrcPrm.R;
        SrcAuto.done = true;
        SrcPrm.Alpha = 0.0;
        SrcPrm.Beta = 0.0;
        SrcPrm.Rot = 0.0;
        if (!(SrcLensKept && SrcLens && SrcPrm.Proj == RixLensSource))
            SrcPrm.Proj = kEquidistant;
        angle2ref();
    }
    windowHooks().refreshParameterFields();
}

} // namespace karwen
