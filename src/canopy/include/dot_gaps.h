// Classifies the 1000 sample dots of a destination image by its pixels:
// the pixel under each dot centre, where the destination view places the
// dots at 100 % zoom with the image in full view, is gap when its
// linearised value lies above the threshold.
//
// A dot whose pixel lies off the destination, or whose pixel's point,
// mapped back through the conversion, falls off the photo (or shows no part
// of it), sees nothing of the sky: it is not read, and the dot figures
// leave it out.
#pragma once

#include "canopy_settings.h"
#include "dot_figures.h"
#include "pixel_view.h"
#include "rix.h"

#include <algorithm>
#include <optional>

namespace karwen::canopy {

struct DotReading {
    DotGaps gaps{};        // false for the dots outside
    DotMask outsideDots{}; // off the destination or off the photo; not read

    [[nodiscard]] int outside() const // how many
    {
        return int(std::count(outsideDots.begin(), outsideDots.end(), true));
    }
};

// The photo a destination is converted from: its record, its size and the
// lens it is seen through (none for the record's ideal projection).
struct PhotoSide {
    ProjectionRecord record{};
    int width = 0, height = 0;
    std::optional<RixLens> lens;
};

// The photo side of image `photo` seen through record and lens; nullopt
// when the handle names no image.
[[nodiscard]] std::optional<PhotoSide> photoSideOf(
    int32_t photo, const ProjectionRecord& record, const RixLens* lens = nullptr);

// The dots outside (see above) for a dstWidth x dstHeight destination of
// dstRecord converted from photo. nullopt for sides below 1, records or a
// lens the conversion refuses, or area tables that start-up has not filled
// yet.
[[nodiscard]] std::optional<DotMask> dotsOffPhoto(
    const PhotoSide& photo, const ProjectionRecord& dstRecord, int dstWidth, int dstHeight);

// nullopt for invalid pixels or settings, a threshold outside 0..255, or
// for what dotsOffPhoto refuses. Only Cx, Cy and R of the destination
// record are used to place the dots, so a perspective destination is read
// as well.
[[nodiscard]] std::optional<DotReading> classifyDots(const PixelView& dst, const ProjectionRecord& dstRecord,
    const PhotoSide& photo, const CanopySettings& settings, int threshold);

// The reading of an image that is itself the photo, as taken or as made
// by other means: only the dots off the image are outside.
[[nodiscard]] std::optional<DotReading> classifyDots(
    const PixelView& image, const ProjectionRecord& record, const CanopySettings& settings, int threshold);

// The same reading of a destination that is never made: the dots' pixels
// of a width x height conversion of photo (seen through source and lens,
// nullptr for source's ideal projection) to dstRecord, nearest pixel, are
// read from the photo at the very points the whole conversion would sample.
// nullopt as above, and for a photo handle that names no image.
[[nodiscard]] std::optional<DotReading> classifyDotsOf(int32_t photo, const ProjectionRecord& source,
    const RixLens* lens, const ProjectionRecord& dstRecord, int width, int height, const CanopySettings& settings,
    int threshold);

} // namespace karwen::canopy
