// The pixels of a photo that the figures from the pixels count as sky:
// those the sky map weighs (part of the circle, within 90 degrees of the
// view direction) whose linearised value lies above the threshold. The
// Canopy window tints them on the source view, so that the threshold can be
// judged on the photo itself.
#pragma once

#include "canopy_settings.h"
#include "pixel_view.h"
#include "rix.h"

#include <vector>

namespace karwen::canopy {

// Columns [x0, x1) of row y (counted upward, as in the pixel view).
struct PixelRun {
    int y = 0;
    int x0 = 0, x1 = 0;

    friend bool operator==(const PixelRun&, const PixelRun&) = default;
};

// The sky pixels of view seen through src (and lens, nullptr for src's
// ideal projection), run by run in the map's rows; none when the view, the
// record, the lens or the settings cannot be measured.
[[nodiscard]] std::vector<PixelRun> skyRuns(const PixelView& view, const ProjectionRecord& src, const RixLens* lens,
    const CanopySettings& settings, int threshold);

} // namespace karwen::canopy
