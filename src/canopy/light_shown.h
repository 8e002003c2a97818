// What a photo shows of each light region, from the geometry alone: the
// share of the region's solid angle whose directions land on the photo,
// within the field of its projection or lens (at most 90 degrees from the
// camera axis) and on the image. A circle wholly on its image, seen along
// its axis, shows every region whole; otherwise each region is sampled on a
// fine grid of its own, each sample weighted by its solid angle.
#pragma once

#include "light_regions.h"
#include "radial_geometry.h"
#include "rix.h"
#include "sky_grid.h"
#include "sky_orientation.h"

#include <memory>
#include <optional>
#include <vector>

namespace karwen::canopy {

// Where the direction (zenith from the view direction, photo azimuth) lies
// on the image of src read through model; none beyond the photo's field.
[[nodiscard]] std::optional<ImagePoint> pointOnPhoto(
    const ProjectionRecord& src, const RadialModel& model, double zenithDeg, double photoAzimuthDeg);

// The shares, in the grid's order, for these arguments: the last ones
// worked out when they match, else new ones. Safe to call from several
// threads.
[[nodiscard]] std::shared_ptr<const std::vector<double>> sharedShownShares(const ProjectionRecord& src,
    const RadialModel& model, int width, int height, const light::SkyGrid& grid, const SkyOrientation& orientation);

} // namespace karwen::canopy
