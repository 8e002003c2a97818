// Sky/canopy thresholds on a weighted histogram of linearised values
// 0..255. A value is gap (sky) when it lies above the threshold. The
// weights are solid angles, so the threshold of a scene does not depend on
// the projection it was photographed in.
#pragma once

#include "canopy_settings.h"

#include <array>
#include <cstdint>
#include <optional>

namespace karwen::canopy {

using Histogram = std::array<double, 256>;

// The neighbouring pairs the edge method reads, summed by value in whole
// weight units. A pair of values a < b and weight w adds w to weight[a] and
// w (b - a) to contrast[a], and takes the same from weight[b] and
// contrast[b]; a pair of equal values adds nothing. The pairs that straddle
// T (a <= T < b) then weigh the sum of weight[v] over v <= T, and their
// contrast is the like sum of contrast[v]: exact integers, so a T that no
// pair straddles weighs exactly 0. Only the edge method reads them; for the
// others they stay empty. A unit weighs `unit` in the histogram's measure.
struct EdgeSums {
    std::array<int64_t, 256> weight{}, contrast{};
    double unit = 1.0;

    void addPair(int a, int b, int64_t w);
};

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
//
// Only a T that splits the photo into regions takes part: one at which the
// smaller of its two classes (by the histogram) borders the other with at
// most kMostStraddlingPerPixel pairs a pixel. A class of isolated specks
// borders it with four, an uncorrelated speckle of share p <= 1/2 with
// 4 (1 - p), so never fewer than two; a square gap of n x n pixels with
// 4 / n, a round one of radius r with about 2 / r. Noise puts specks into
// the tails of every population, and the contrast of a speck grows with its
// distance from its neighbours' values, so without this rule the tail of
// the sky wins on a noisy photo. None when no T qualifies.
inline constexpr double kMostStraddlingPerPixel = 1.5; // below any speckle's 2
[[nodiscard]] std::optional<int> edgeThreshold(const EdgeSums& pairs, const Histogram& histogram);

// The threshold the settings ask for: from the value histogram, from the
// neighbouring pairs for the edge method, or the fixed value. None when the
// Minimum method finds no valley or the edge method no split into regions.
[[nodiscard]] std::optional<int> chooseThreshold(
    const Histogram& histogram, const EdgeSums& pairs, const CanopySettings& settings);

} // namespace karwen::canopy
