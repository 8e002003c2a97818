#include "dot_placement.h"

#include "mdl_karwen.h"

#include <cmath>

namespace karwen {

void computeDotPositions(const AreaCircle& circle, const ViewMapping& view, std::span<float, kDotCount + 1> x,
    std::span<float, kDotCount + 1> y)
{
    // The pattern is defined with the literal 3.141593, not pi; keeping it
    // places every dot exactly where saved measurements expect it.
    constexpr double kPi = 3.141593;
    std::size_t n = 0;
    for (int ring = 0; ring < kRingCount; ++ring) {
        const int dots = RingDots[static_cast<std::size_t>(ring)];
        const double r = circle.r * RingRadius[static_cast<std::size_t>(ring)];
        for (int k = 1; k <= dots && n < static_cast<std::size_t>(kDotCount); ++k) {
            ++n;
            const double theta = (k + 0.5) * 2.0 * kPi / dots;
            const PlanePoint at = imageToView(view, {circle.cx + r * std::cos(theta), circle.cy + r * std::sin(theta)});
            x[n] = static_cast<float>(at.x);
            y[n] = static_cast<float>(at.y);
        }
    }
}

bool positionAreaDots(const AreaCircle& circle, const ViewMapping& view)
{
    if (!AreaOn)
        return false;
    computeDotPositions(circle, view, DotX, DotY);
    return true;
}

} // namespace karwen
