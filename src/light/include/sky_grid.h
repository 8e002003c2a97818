// The sky regions a light run weighs: zenith rings of equal angle from the
// zenith (ring 0) to the horizon, by azimuth sectors of equal angle
// clockwise from true north (sector 0 starts at north). Region k is
// ring * sectors + sector. Bins are half-open [lo, hi): a zenith of exactly
// 90 degrees falls in the last ring, an azimuth of 360 in sector 0.
#pragma once

#include "light_settings.h"

#include <vector>

namespace karwen::light {

class SkyGrid {
public:
    SkyGrid(int rings, int sectors);
    [[nodiscard]] static SkyGrid of(const LightSettings& s) { return {s.zenithRings, s.azimuthSectors}; }

    [[nodiscard]] int rings() const { return rings_; }
    [[nodiscard]] int sectors() const { return sectors_; }
    [[nodiscard]] int regions() const { return rings_ * sectors_; }
    [[nodiscard]] double ringWidthDeg() const { return 90.0 / rings_; }
    [[nodiscard]] double sectorWidthDeg() const { return 360.0 / sectors_; }

    // The ring of a zenith angle (clamped to 0..90) and the sector of a true
    // azimuth (any value, taken modulo 360).
    [[nodiscard]] int ringOf(double zenithDeg) const;
    [[nodiscard]] int sectorOf(double azimuthDeg) const;
    [[nodiscard]] int regionOf(double zenithDeg, double azimuthDeg) const
    {
        return ringOf(zenithDeg) * sectors_ + sectorOf(azimuthDeg);
    }

    // The solid angle of a region in steradians (those of all regions add up
    // to 2 pi).
    [[nodiscard]] double solidAngle(int region) const;
    // Each region's share of the diffuse irradiance on a horizontal surface
    // under the sky model: the exact integral of radiance x cos(zenith) over
    // the region's solid angle, normalised so the shares add up to 1.
    [[nodiscard]] std::vector<double> diffuseShares(SkyModel model) const;

private:
    int rings_, sectors_;
};

} // namespace karwen::light
