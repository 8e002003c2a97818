// The light regions along the rows of a view along the camera axis, run by
// run. There a pixel's ring depends only on its distance from the centre
// and its sector only on its direction from the centre, so along a row the
// region changes only where the row crosses a ring edge (a circle), a
// sector edge (a ray from the centre, turned by the orientation) or the
// centre's column; the places are worked out per row, and only a pixel
// whose centre lies almost on one is classified on its own.
#pragma once

#include "pixel_sky.h"
#include "region_rule.h"
#include "sky_map.h"

#include <vector>

namespace karwen::canopy {

struct RegionRun {
    int from, to; // columns [from, to)
    int region;
};

class AxialRegionCuts {
public:
    AxialRegionCuts(const PixelSky& sky, const RegionRule& rule);

    // The runs of the map's row, in column order, covering all of it.
    void runsOf(const PixelSky& sky, const SkyMap::Row& row, std::vector<RegionRun>& runs);

    // The region of the pixel centre at (x, y) radii from the centre, by the
    // same rule the runs follow.
    [[nodiscard]] int regionAt(double x, double y) const;

private:
    struct Cut {
        double column;
        int ring = -1;   // the ring past the cut, or -1
        int sector = -1; // the sector past the cut, or -1
        bool centre = false;
    };

    [[nodiscard]] int ringAtQ(double q) const;

    RegionRule rule_;
    std::vector<double> edgeQ_; // q where ring k + 1 begins
    struct Ray {
        double run; // x / y along the ray
        int sector; // the true sector past it, moving right
    };
    std::vector<Ray> upRays_, downRays_; // pointing into y > 0, y < 0
    // A row's cuts, kept between rows so that their room is reused.
    std::vector<Cut> ringCuts_, rayCuts_, cuts_;
};

} // namespace karwen::canopy
