// What each of the 1000 sample dots stands for on the sky of a fisheye
// destination: the solid angle of its share of its ring's annulus, and the
// zenith angle of the ring it sits on.
//
// The area tables lay the dots out in equal-area rings: ring i spans
// radius^2 from D(i)/1000 to (D(i) + RingDots(i))/1000 of the destination
// circle, D(i) being the dots of the rings inside it. Equal image area is
// not equal solid angle in most projections; the radial model of the
// destination projection turns each annulus into its solid angle.
#pragma once

#include "area_model.h"

#include <array>
#include <cstdint>
#include <optional>

namespace karwen::canopy {

struct DotSky {
    std::array<double, kDotCount + 1> solidAngle{}; // steradians; element 0 unused
    std::array<double, kDotCount + 1> cosZenith{};  // element 0 unused
};

// True once start-up has filled RingDots and RingRadius.
[[nodiscard]] bool dotTablesFilled();

// For a fisheye destination (projection 0..3) with the area tables filled;
// nullopt otherwise.
[[nodiscard]] std::optional<DotSky> dotSky(int32_t dstProjection);

} // namespace karwen::canopy
