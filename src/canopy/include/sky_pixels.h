// The pixels of a photo that the figures from the pixels count as sky:
// those the sky map weighs (part of the circle, within 90 degrees of the
// view direction) whose value lies above the threshold, a pixel across the
// rim read as the figures read it (rim_reading.h). The Canopy window tints
// them on the source view, so that the threshold can be judged on the photo
// itself; the sky image shows every pixel's class, for the archive.
#pragma once

#include "canopy_settings.h"
#include "pixel_view.h"
#include "rix.h"

#include <cstdint>
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

// The greys of a sky image.
inline constexpr uint8_t kSkyGrey = 255;
inline constexpr uint8_t kCanopyGrey = 0;
inline constexpr uint8_t kOutsideGrey = 128; // no part of the circle, or beyond 90 degrees

// A picture of the photo's size: kSkyGrey where a pixel counts as sky,
// kCanopyGrey where it counts as canopy, kOutsideGrey where the figures do
// not count it. A pixel across the rim counts whole in its class, as its
// weight (the part of it inside the circle) counts in the figures. Rows top
// first, as image files hold them.
struct SkyImage {
    int width = 0, height = 0; // 0 when the photo could not be measured
    std::vector<uint8_t> grey;
};

// The sky image of view seen as skyRuns sees it.
[[nodiscard]] SkyImage skyImage(const PixelView& view, const ProjectionRecord& src, const RixLens* lens,
    const CanopySettings& settings, int threshold);

} // namespace karwen::canopy
