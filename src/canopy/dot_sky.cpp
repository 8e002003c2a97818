#include "dot_sky.h"

#include "projection_model.h"
#include "radial_geometry.h"
#include "tables_filled.h"

#include <cmath>
#include <numbers>

namespace karwen::canopy {

bool dotTablesFilled()
{
    int dots = 0;
    for (int i = 0; i < kRingCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (RingDots[k] <= 0 || (i > 0 && !(RingRadius[k] > RingRadius[k - 1])) || !(RingRadius[k] < 1.0))
            return false;
        dots += RingDots[k];
    }
    return dots == kDotCount;
}

std::optional<DotSky> dotSky(int32_t dstProjection)
{
    if (!RixIsFisheye(dstProjection) || !dotTablesFilled() || !coefTablesFilled())
        return std::nullopt;
    DotSky sky;
    int inside = 0; // D(i)
    std::size_t n = 0;
    for (int i = 0; i < kRingCount; ++i) {
        const int dots = RingDots[static_cast<std::size_t>(i)];
        const double inner = std::sqrt(double(inside) / kDotCount);
        const double outer = std::sqrt(double(inside + dots) / kDotCount);
        const double annulus
            = 2.0 * std::numbers::pi * (zenithAt(inner, dstProjection).cos - zenithAt(outer, dstProjection).cos);
        const double cosZenith = zenithAt(RingRadius[static_cast<std::size_t>(i)], dstProjection).cos;
        for (int k = 0; k < dots; ++k) {
            ++n;
            sky.solidAngle[n] = annulus / dots;
            sky.cosZenith[n] = cosZenith;
        }
        inside += dots;
    }
    return sky;
}

} // namespace karwen::canopy
