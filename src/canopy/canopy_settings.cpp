#include "canopy_settings.h"

namespace karwen::canopy {

bool isValid(const CanopySettings& s)
{
    // Written so that a NaN fails every comparison.
    return s.rings >= 1 && s.rings <= kMaxRings && s.sectors >= 1 && s.sectors <= kMaxSectors
        && s.maxZenithDeg > 0.0 && s.maxZenithDeg <= 90.0 && s.gamma >= kMinGamma && s.gamma <= kMaxGamma
        && s.fixedThreshold >= 0 && s.fixedThreshold <= 255;
}

} // namespace karwen::canopy
