// Sky/canopy thresholds on a weighted histogram of linearised values
// 0..255. A value is gap (sky) when it lies above the threshold. The
// weights are solid angles, so the threshold of a scene does not depend on
// the projection it was photographed in.
#pragma once

#include "canopy_settings.h"

#include <array>

namespace karwen::canopy {

using Histogram = std::array<double, 256>;

// The threshold of a histogram with fewer than two occupied values: no
// split exists, so a uniform bright photo counts as all sky and a uniform
// dark one as all canopy.
inline constexpr int kMidScale = 127;

// Otsu (1979): the T that maximises the between-class variance of
// {v <= T} and {v > T}; of equal variances the lowest T wins.
[[nodiscard]] int otsuThreshold(const Histogram& histogram);

// Ridler and Calvard (1978), isodata: start at the weighted mean, then move
// to the midpoint of the two class means until the split no longer changes.
// The result is the integer part of the final midpoint.
[[nodiscard]] int ridlerThreshold(const Histogram& histogram);

// The threshold the settings ask for (Otsu, Ridler or the fixed value).
[[nodiscard]] int chooseThreshold(const Histogram& histogram, const CanopySettings& settings);

} // namespace karwen::canopy
