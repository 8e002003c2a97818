// The conversion run and the refresh requests to the image views.
#include "mdl_karwen.h"
#include "window_hooks.h"

namespace karwen {

bool convertImages(int32_t src, int32_t dst, const ProjectionRecord& srcPrm, const ProjectionRecord& dstPrm,
    int32_t interp, const RixLens* srcLens)
{
    if (!isImage(src) || !isImage(dst))
        return false;
    if (srcPrm.Proj == RixLensSource)
        return srcLens && RixSDeformLens(src, dst, &srcPrm, srcLens, &dstPrm, interp) == 1;
    return RixSDeform(src, dst, &srcPrm, &dstPrm, interp) == 1;
}

const RixLens* lensOf(const ProjectionRecord& prm, const std::optional<NamedLens>& lens)
{
    return prm.Proj == RixLensSource && lens ? &lens->lens : nullptr;
}

std::string lensNameOf(const ProjectionRecord& prm, const std::optional<NamedLens>& lens)
{
    return lensOf(prm, lens) ? lens->name : std::string();
}

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
