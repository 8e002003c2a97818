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

} // namespace karwen::canopy
