// Canopy figures from every pixel of a source photo that sees the view
// hemisphere, each weighted by the solid angle it covers, so that every
// projection of the same scene gives the same figures.
#pragma once

#include "canopy_settings.h"
#include "floor_bound.h"
#include "pixel_view.h"
#include "rix.h"
#include "threshold.h"

#include <optional>
#include <vector>

namespace karwen::canopy {

enum class PixelStatus {
    Ok,
    BadSettings, // isValid(settings) fails
    BadPixels,   // isValid(view) fails
    BadRecord,   // isUsableSource(record) fails
    BadLens,     // the lens does not fit the record (sourceLensProblem says why)
    NoPixels,    // no pixel of the photo lies within 90 degrees of the view
    NoThreshold, // the Minimum method found no valley, the edge method no split into regions
};

struct PixelFigures {
    PixelStatus status = PixelStatus::Ok;
    int threshold = 0;             // linearised scale; gap is above it
    double openness = 0.0;         // gap share of the hemisphere, 0 to 90 degrees
    double difn = 0.0;             // diffuse non-interceptance
    double le = 0.0;               // effective leaf area index
    double l = 0.0;                // leaf area index, sector by sector
    double lx = 0.0;               // clumping index le / l
    std::vector<double> ringGap;   // gf_k, ring 0 at the view direction
    std::vector<double> sectorGap; // gf_ks at k * sectors + s
    // Share of the solid angle up to the maximum zenith angle the photo
    // shows; partial when more than 1 % of it is missing.
    double coveredShare = 0.0;
    bool partial = false;
    bool saturated = false; // a ring or sector without gap met the floor
    // When saturated: le and l with each ring or sector without gap counted
    // as one pixel's share of it (the mean pixel's solid angle there).
    std::optional<FloorBound> leBound, lBound;
    // The weighted histogram of the linearised values the threshold was
    // found on: every pixel within 90 degrees of the view, but for those
    // across the rim of a photo dark beyond it, which are read by their
    // inside instead.
    Histogram histogram{};
};

// A ring or sector the photo does not show at all has gap fraction NaN;
// rings so hidden make difn, le, l and lx NaN as well (sectors are left out
// of their ring's mean for l).
// lens: the source's lens, nullptr for its ideal projection (source_lens.h).
[[nodiscard]] PixelFigures measurePixels(
    const PixelView& view, const ProjectionRecord& src, const RixLens* lens, const CanopySettings& settings);

} // namespace karwen::canopy
