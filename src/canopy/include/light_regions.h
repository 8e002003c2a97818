// The gap fraction of each sky region of a light run, from every pixel of a
// source photo. The regions are zenith rings from the view direction to 90
// degrees by sectors of true azimuth (light::SkyGrid); a pixel's azimuth in
// the photo's own frame is its azimuth about the view direction with the
// record's tilt Rot taken back out (so the regions of a view along the
// camera axis do not turn with the tilt), which the orientation turns into a
// true azimuth.
//
// A region's gap fraction is the solid angle of its pixels counted as sky
// (above the threshold, read as the pixel figures read it) over the
// region's whole solid angle: the part the photo does not show counts as
// obstructed. A region on the photo that holds no pixel centre takes the
// class of the pixel under its centre direction.
#pragma once

#include "canopy_settings.h"
#include "pixel_view.h"
#include "rix.h"
#include "sky_grid.h"
#include "sky_orientation.h"

#include <optional>
#include <vector>

namespace karwen::canopy {

struct RegionGaps {
    std::vector<double> gap;   // per region in the grid's order, 0..1
    std::vector<double> shown; // the share of each region's solid angle the photo shows, 0..1
};

// view: the photo's pixels seen through src and lens (nullptr for src's
// ideal projection), which must be usable (as measurePixels checks);
// threshold as PixelFigures::threshold.
[[nodiscard]] RegionGaps measureRegionGaps(const PixelView& view, const ProjectionRecord& src, const RixLens* lens,
    const CanopySettings& settings, int threshold, const light::SkyGrid& grid, const SkyOrientation& orientation);

// Where a direction of the sky (its zenith angle from the view direction
// and its azimuth in the photo's own frame) lies on the source image, x from
// the left edge, y up from the bottom edge; none when the photo does not
// show it (beyond the lens's field or the circle).
struct ImagePoint {
    double x = 0.0, y = 0.0;
};
[[nodiscard]] std::optional<ImagePoint> imagePointOf(
    const ProjectionRecord& src, const RixLens* lens, double zenithDeg, double photoAzimuthDeg);

} // namespace karwen::canopy
