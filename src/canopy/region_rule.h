// Which light region a direction of the photo falls in: its zenith angle
// from the view direction gives the ring, its azimuth in the photo's own
// frame (the view-frame azimuth with the tilt added back, so that a view
// along the camera axis reads the image's own angle atan2(y, x)) turned
// into a true azimuth by the orientation gives the sector, both by the
// light grid's own rule.
#pragma once

#include "pixel_sky.h"
#include "sky_grid.h"
#include "sky_orientation.h"
#include "view_direction.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace karwen::canopy {

inline constexpr double kRadToDegree = 180.0 / std::numbers::pi;

struct RegionCentre {
    double zenithDeg, photoAzimuthDeg;
};

class RegionRule {
public:
    RegionRule(const light::SkyGrid& grid, const SkyOrientation& orientation, const ViewFrame& frame)
        : grid_(grid)
        , orientation_(orientation)
        , rotDeg_(std::atan2(frame.sinRot, frame.cosRot) * kRadToDegree)
    {
    }

    [[nodiscard]] const light::SkyGrid& grid() const { return grid_; }
    [[nodiscard]] const SkyOrientation& orientation() const { return orientation_; }

    [[nodiscard]] int ringOfCos(double ez) const
    {
        return grid_.ringOf(std::acos(std::clamp(ez, -1.0, 1.0)) * kRadToDegree);
    }
    // The sector of photo azimuth phi (degrees).
    [[nodiscard]] int sectorOfPhoto(double phiDeg) const { return grid_.sectorOf(orientation_.trueAzimuth(phiDeg)); }
    // The photo azimuth of the view-frame direction (ex, ey).
    [[nodiscard]] double photoAzimuthOf(double ex, double ey) const
    {
        return std::atan2(ey, ex) * kRadToDegree + rotDeg_;
    }
    [[nodiscard]] int ofDirection(const PixelSky::Direction& d) const
    {
        return ringOfCos(d.ez) * grid_.sectors() + sectorOfPhoto(photoAzimuthOf(d.ex, d.ey));
    }

    // The photo azimuth where the true sector s begins.
    [[nodiscard]] double sectorEdge(int s) const { return orientation_.photoAzimuth(s * grid_.sectorWidthDeg()); }
    // The direction of the region's centre.
    [[nodiscard]] RegionCentre centreOf(int region) const
    {
        const int ring = region / grid_.sectors(), sector = region % grid_.sectors();
        return {
            (ring + 0.5) * grid_.ringWidthDeg(), orientation_.photoAzimuth((sector + 0.5) * grid_.sectorWidthDeg())};
    }
    [[nodiscard]] double rotDeg() const { return rotDeg_; }

    [[nodiscard]] bool operator==(const RegionRule& o) const
    {
        return grid_.rings() == o.grid_.rings() && grid_.sectors() == o.grid_.sectors()
            && orientation_ == o.orientation_ && rotDeg_ == o.rotDeg_;
    }

private:
    light::SkyGrid grid_;
    SkyOrientation orientation_;
    double rotDeg_;
};

} // namespace karwen::canopy
