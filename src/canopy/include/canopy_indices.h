// Canopy figures derived from per-ring and per-sector gap fractions:
//   difn = sum gf_k sin t_k cos t_k / sum sin t_k cos t_k (Welles and Norman 1991)
//   le   = 2 sum -ln(gf_k) cos t_k w_k, w_k = sin t_k / sum sin t_j (Miller 1967)
//   l    = the same with, per ring, the mean over sectors of -ln(gf_ks)
//   lx   = le / l (Lang and Xiang 1986)
// t_k being the ring's central zenith angle. A gap fraction below
// exp(-10) (a ring or sector without gap) counts as exp(-10) and marks the
// result saturated.
#pragma once

#include "ring_layout.h"

#include <span>
#include <vector>

namespace karwen::canopy {

// exp(-10)
inline constexpr double kGapFloor = 4.5399929762484854e-05;

class RingWeights {
public:
    explicit RingWeights(const RingLayout& layout);

    // ringGap holds one gap fraction per ring; a NaN makes the result NaN.
    [[nodiscard]] double difn(std::span<const double> ringGap) const;
    [[nodiscard]] double le(std::span<const double> ringGap, bool& saturated) const;
    // sectorGap is ring-major (ring k, sector s at k * sectors + s). A NaN
    // marks a sector the photo does not show; it is left out of its ring's
    // mean, and a ring with no sector shown makes the result NaN.
    [[nodiscard]] double l(std::span<const double> sectorGap, bool& saturated) const;

private:
    int sectors_;
    std::vector<double> difnWeight_; // sin t_k cos t_k / sum
    std::vector<double> laiWeight_;  // 2 cos t_k w_k
};

// le / l; a canopy without foliage (l = 0) is not clumped, so 1.
[[nodiscard]] double clumping(double le, double l);

} // namespace karwen::canopy
