// Random skies of disjoint circular caps for the dot intervals, with each
// zenith ring's exact gap fraction. The caps are gaps on a canopy sky, or
// canopy on an open sky, so that a scene can be mostly open too. A cap may
// reach past the horizon; only its part above it counts.
#pragma once

#include "synthetic_sky.h"

#include <cstdint>
#include <vector>

namespace karwen::canopy::test {

struct CapSky {
    std::vector<Cap> caps;
    bool capsAreSky = true;

    [[nodiscard]] bool sky(double ex, double ey, double ez) const;
    // Gap solid angle between zenith angles t0 < t1 (radians) over all
    // azimuths, integrated to about 1e-9 of the band.
    [[nodiscard]] double gapSolidAngle(double t0, double t1) const;
};

struct CapSkyKind {
    double covered;                    // the caps' share of the hemisphere, about
    double minRadiusDeg, maxRadiusDeg; // cap radii drawn uniformly between
    bool capsAreSky;
};

// Caps at random places until they cover about kind.covered of the
// hemisphere.
[[nodiscard]] CapSky capSky(uint64_t seed, const CapSkyKind& kind);

} // namespace karwen::canopy::test
