// The threshold of one photo. Most methods read only the histogram of its
// values; the edge method also reads every pair of neighbouring pixels, so
// for it the photo's pixels are passed over once more.
#pragma once

#include "canopy_settings.h"
#include "pixel_values.h"
#include "pixel_view.h"
#include "sky_map.h"
#include "threshold.h"

#include <optional>

namespace karwen::canopy {

// Every pixel with its right-hand neighbour and with the one in the next
// row, both as the map holds them. A pair weighs the smaller of its two
// solid angles: neighbours cover nearly the same one, and a pair with a
// pixel the map does not count (off the circle or behind the view, weight
// 0) weighs nothing.
[[nodiscard]] PairHistogram neighbourPairs(const PixelView& view, const SkyMap& map, const ValueTable& values);

// The threshold the settings ask for, from the photo's weighted value
// histogram and, for the edge method, its neighbouring pairs; none when the
// Minimum method finds no valley.
[[nodiscard]] std::optional<int> photoThreshold(const PixelView& view, const SkyMap& map, const ValueTable& values,
    const Histogram& histogram, const CanopySettings& settings);

} // namespace karwen::canopy
