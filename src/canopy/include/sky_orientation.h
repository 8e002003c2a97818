// How a photo lies under the sky: the bearing its top was aimed at, as read
// on a compass, the site's magnetic declination, and whether the photo was
// flipped to map orientation. A photo's own azimuth phi is counter-clockwise
// from its x axis (y up) about the view direction, the tilt taken out (see
// light_regions.h); a true azimuth is clockwise from true north.
//
// Taken looking up, a photo with north at its top has east on its left:
// A = T - 90 + phi. Flipped to a map's orientation: A = T + 90 - phi. T is
// the true azimuth of the top, the compass bearing plus the declination.
#pragma once

namespace karwen::canopy {

inline constexpr double kMaxTopAzimuth = 360.0; // 0..360
inline constexpr double kMaxDeclination = 90.0; // -90..90, east positive

struct SkyOrientation {
    double topAzimuthDeg = 0.0;  // the compass bearing of the photo's top
    double declinationDeg = 0.0; // magnetic declination, east positive
    bool mirrored = false;       // flipped to map orientation

    // T, 0..360.
    [[nodiscard]] double trueTop() const;
    // The true azimuth (0..360) of the photo azimuth phi, and back (0..360).
    [[nodiscard]] double trueAzimuth(double photoAzimuthDeg) const;
    [[nodiscard]] double photoAzimuth(double trueAzimuthDeg) const;

    friend bool operator==(const SkyOrientation&, const SkyOrientation&) = default;
};

// Whether the fields lie in their bounds.
[[nodiscard]] bool isValid(const SkyOrientation& o);

} // namespace karwen::canopy
