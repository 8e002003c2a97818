// The conversion run and the refresh requests to the image views.
#include "mdl_karwen.h"
#include "window_hooks.h"

namespace karwen {

void convert()
{
    if (!isImage(hSrc) || !isImage(hDst))
        return;
    // Nothing reports a failed resampling; the view shows what is there.
    (void)RixSDeform(hSrc, hDst, &SrcPrm, &DstPrm, Interp);
}

void area_update()
{
    if (AreaOn)
        windowHooks().placeAreaDots();
}

void dst_update() { windowHooks().redrawDstView(); }

void dst_reset_sc() { windowHooks().resetDstScale(); }

void src_update() { windowHooks().redrawSrcView(); }

} // namespace karwen
