// The conversion run and the refresh requests to the image views.
#include "mdl_karwen.h"
#include "photo_source.h"
#include "window_hooks.h"

namespace karwen {

// Nothing reports a failed resampling; the view shows what is there.
void convert() { (void)convertImages(hSrc, hDst, SrcPrm, DstPrm, Interp, lensOf(SrcPrm, SrcLens)); }

void rebuildDestination()
{
    if (!isImage(hDst))
        return;
    if (RixWidth(hDst) != DstW || RixHeight(hDst) != DstH) {
        (void)RixDestroy(hDst);
        hDst = RixCreate(DstW, DstH);
        dst_reset_sc();
    }
    convert();
    area_update();
    dst_update();
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
