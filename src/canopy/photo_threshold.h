// The threshold of one photo. Most methods read only the histogram of its
// values; the edge method also reads every pair of neighbouring pixels,
// which are gathered row by row in the same pass that fills the histogram.
#pragma once

#include "canopy_settings.h"
#include "sky_map.h"
#include "threshold.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace karwen::canopy {

// Every pixel with its right-hand neighbour and with the one in the next
// row, both as the map holds them. A pair weighs the smaller of its two
// solid angles: neighbours cover nearly the same one, and a pair with a
// pixel the map does not count (off the circle or behind the view, weight
// 0) weighs nothing.
class NeighbourPairs {
public:
    static constexpr std::size_t kCopies = 4;

    explicit NeighbourPairs(int width);

    // Where the values of the next row go, indexed by column.
    [[nodiscard]] uint8_t* nextRow() { return here_.data(); }
    // Pairs the row just written with its own left neighbours and with the
    // row before, if that was the row above; weights: the map's weights.
    void addRow(const SkyMap::Row& row, const float* weights);
    [[nodiscard]] PairHistogram histogram() const;

private:
    std::vector<uint8_t> here_, before_;
    std::vector<uint16_t> cells_;     // the cells of a row's pairs,
    std::vector<double> pairWeights_; // and their weights
    // Pairs across and down the rows go to matrices of their own (a pixel's
    // two pairs often share a cell), in one block, the second a few cache
    // lines past a multiple of 4 KiB from the first, so that the same cell
    // of the two is not taken for the same address while a store to it is
    // pending.
    std::vector<double> block_;
    double* across_[kCopies];
    double* down_[kCopies];
    const SkyMap::Row* last_ = nullptr;
};

// The threshold the settings ask for, from the photo's weighted value
// histogram and, for the edge method, its neighbouring pairs; none when the
// Minimum method finds no valley.
[[nodiscard]] std::optional<int> photoThreshold(
    const Histogram& histogram, const NeighbourPairs* pairs, const CanopySettings& settings);

} // namespace karwen::canopy
