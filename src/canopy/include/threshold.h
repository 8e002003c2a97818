// Sky/canopy thresholds on a weighted histogram of linearised values
// 0..255. A value is gap (sky) when it lies above the threshold. The
// weights are solid angles, so the threshold of a scene does not depend on
// the projection it was photographed in.
#pragma once

#include "canopy_settings.h"

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

namespace karwen::canopy {

using Histogram = std::array<double, 256>;

// Neighbouring pixels by their two values, weighted: the pairs of values a
// and b at a * 256 + b or b * 256 + a (the two cells are read as one).
// Only the edge method reads it; for the others it may be empty.
using PairHistogram = std::vector<double>;
inline constexpr std::size_t kPairCells = 256 * 256;

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

// The most three-point means minimumThreshold takes before it gives up.
inline constexpr int kMaxSmoothings = 10000;

// Prewitt and Mendelsohn (1966), the Minimum method: replace every value by
// the mean of it and its two neighbours (0 beyond the scale's ends) until
// the histogram has exactly two peaks, then take the valley between them.
// A peak is a run of equal values higher than the values on both sides; the
// valley is the lowest run between the two peaks, and the threshold its
// middle (rounded down). None when the histogram has fewer than two peaks,
// which smoothing never raises to two, or still more than two after
// kMaxSmoothings means.
[[nodiscard]] std::optional<int> minimumThreshold(const Histogram& histogram);

// Nobis and Hunziker (2005), edge detection: the T that maximises the mean
// contrast |a - b| over the neighbouring pairs that straddle it (min(a, b)
// <= T < max(a, b)), each pair counted by its weight. Of equal means the
// lowest T wins; with no pair of unequal values there is no split and the
// result is kMidScale.
[[nodiscard]] int edgeThreshold(const PairHistogram& pairs);

// The threshold the settings ask for: from the value histogram, from the
// neighbouring pairs for the edge method, or the fixed value. None when the
// Minimum method finds no valley.
[[nodiscard]] std::optional<int> chooseThreshold(
    const Histogram& histogram, const PairHistogram& pairs, const CanopySettings& settings);

} // namespace karwen::canopy
