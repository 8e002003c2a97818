// How coarsely a photo may be decoded for one result: the JPEG decoder can
// hand out the photo at 1/2, 1/4 or 1/8 of its size for much less work, and
// a result that shrinks the photo never reads most of its pixels anyway.
#pragma once

#include "rix.h"

#include <cstdint>

namespace karwen {

// The decoding scales, largest reduction first.
inline constexpr int kDecodeScales[] = {8, 4, 2, 1};

// The source pixels a result needs under each destination pixel: two for
// cubic interpolation, whose taps span two pixels either way, else one.
[[nodiscard]] double sourcePixelsNeeded(int32_t interp);

// The fewest source pixels that one step of one destination pixel, in any
// direction, moves over anywhere in a dstW x dstH result of a photo read
// through src (and lens, for a real one) and dst; 0 when the result shows
// no source at all.
[[nodiscard]] double fewestSourcePixelsPerPixel(
    const ProjectionRecord& src, const RixLens* lens, const ProjectionRecord& dst, int32_t dstW, int32_t dstH);

// The largest scale (8, 4, 2 or 1: decoding at 1/scale) that still leaves
// sourcePixelsNeeded(interp) decoded pixels under every destination pixel.
[[nodiscard]] int decodeScale(const ProjectionRecord& src, const RixLens* lens, const ProjectionRecord& dst,
    int32_t dstW, int32_t dstH, int32_t interp);

// The record of a photo of height srcH for its image decoded at 1/scale:
// the decoder counts pixels from the top-left corner, so x shrinks from the
// left edge and y, counted up from the bottom, from the top edge
// (scaledHeight - (srcH - y) / scale). Angles, tilt and projection stay.
[[nodiscard]] ProjectionRecord scaledRecord(const ProjectionRecord& prm, int32_t srcH, int scale);

// ceil(size / scale), the decoder's size of a side at 1/scale.
[[nodiscard]] int32_t scaledSide(int32_t size, int scale);

} // namespace karwen
