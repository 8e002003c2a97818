// The pixel operations behind the C interface.
#pragma once

#include "image.h"
#include "rix.h"

namespace rix {

struct LensForm;

// Resamples src into every pixel of dst (see deform.cpp for the geometry).
// lens: the source's, when srcPrm.Proj is RixLensSource; the same below.
void deform(const Image& src, Image& dst, const ProjectionRecord& srcPrm, const ProjectionRecord& dstPrm, int interp,
    const LensForm* lens = nullptr);

// What deform would write at n pixels (xs[i], ys[i]) of a destination of
// width x height, into out[i]; the rest of it is never made. Throws Error
// for a point off the destination.
void deformPoints(const Image& src, int width, int height, const ProjectionRecord& srcPrm,
    const ProjectionRecord& dstPrm, int interp, const int32_t* xs, const int32_t* ys, int n, uint32_t* out,
    const LensForm* lens = nullptr);

// The source points deform samples for those pixels, into pointX[i],
// pointY[i]; -1, -1 where a pixel shows no source. Throws Error for a point
// off the destination.
void deformSources(int width, int height, const ProjectionRecord& srcPrm, const ProjectionRecord& dstPrm,
    const int32_t* xs, const int32_t* ys, int n, float* pointX, float* pointY, const LensForm* lens = nullptr);

// Nearest-neighbour scaling of the image rectangle (sx, sy, sw, sh; sy rows
// above the bottom edge) into the canvas rectangle (dx, dy, dw, dh); only the
// part that lies inside the image is drawn.
void stretchBlt(const Image& image, int32_t sx, int32_t sy, int32_t sw, int32_t sh, RixCanvas& canvas, int32_t dx,
    int32_t dy, int32_t dw, int32_t dh);

// The fisheye image circle against a dark surround (see RixFindCircle).
RixCircle findCircle(const Image& image);

// The box of a circle found on a width x height image, clamped to it, or
// the whole image when the circle has no radius.
RixRect circleBound(const RixCircle& circle, int32_t width, int32_t height);

// Bounding box of the picture content against a dark surround: the
// circleBound of findCircle's circle.
RixRect findBound(const Image& image);

} // namespace rix
