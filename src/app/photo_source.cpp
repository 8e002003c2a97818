// Reading a photo through a source record, with no shared state.
#include "photo_source.h"

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

void circleFromBound(const RixRect& box, ProjectionRecord& prm)
{
    // Integer sums before halving; 64 bits so that no box can overflow.
    prm.Cx = static_cast<double>(int64_t{box.Right} + box.Left) * 0.5;
    prm.Cy = static_cast<double>(int64_t{box.Bottom} + box.Top) * 0.5;
    const int64_t w = int64_t{box.Right} - box.Left;
    const int64_t h = int64_t{box.Bottom} - box.Top;
    prm.R = 0.47 * static_cast<double>(w > h ? w : h);
}

bool isOnPhoto(double x, double y, int32_t width, int32_t height)
{
    return x >= 0.0 && x <= width && y >= 0.0 && y <= height;
}

bool isUsableCircle(const RixCircle& circle, int32_t width, int32_t height)
{
    return circle.Confident && isOnPhoto(circle.Cx, circle.Cy, width, height);
}

} // namespace karwen
