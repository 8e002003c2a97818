// Classifies the 1000 sample dots of a destination image by its pixels:
// the pixel under each dot centre, where the destination view places the
// dots at 100 % zoom with the image in full view, is gap when its
// linearised value lies above the threshold.
#pragma once

#include "canopy_settings.h"
#include "dot_figures.h"
#include "pixel_view.h"
#include "rix.h"

#include <optional>

namespace karwen::canopy {

struct DotReading {
    DotGaps gaps{};
    int outside = 0; // dots off the image; counted as canopy
};

// nullopt for invalid pixels or settings, a threshold outside 0..255, or
// area tables that start-up has not filled yet. Only Cx, Cy and R of the
// record are used, so a perspective destination is read as well.
[[nodiscard]] std::optional<DotReading> classifyDots(const PixelView& dst, const ProjectionRecord& dstRecord,
                                                     const CanopySettings& settings, int threshold);

// The same reading of a destination that is never made: the dots' pixels
// of a width x height conversion of photo (seen through source) to
// dstRecord, nearest pixel, are resampled one by one with the very bits
// the whole conversion would give them. nullopt as above, and for a photo
// or records the conversion refuses.
[[nodiscard]] std::optional<DotReading> classifyDotsOf(int32_t photo, const ProjectionRecord& source,
                                                       const ProjectionRecord& dstRecord, int width, int height,
                                                       const CanopySettings& settings, int threshold);

// The area measurement takes the reading: dots read as gap go to gapClass
// (1..15), every other dot to class 0, the class counts follow and no label
// is highlighted. The result counts as kept, since the same reading gives it
// again; painting after it is what the program asks about before throwing
// it away. False, changing nothing, for a class outside 1..15.
[[nodiscard]] bool assignDotClasses(const DotGaps& gaps, int16_t gapClass);

} // namespace karwen::canopy
