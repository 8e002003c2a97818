// The threshold of one photo. Most methods read only the histogram of its
// values; the edge method also reads every pair of neighbouring pixels,
// which are gathered row by row in the same pass that fills the histogram.
#pragma once

#include "canopy_settings.h"
#include "pixel_values.h"
#include "pixel_view.h"
#include "sky_map.h"
#include "threshold.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace karwen::canopy {

// Every pixel with its right-hand neighbour and with the one in the next
// row, both as the map holds them. A pair weighs the smaller of its two
// weights: neighbours cover nearly the same solid angle, and a pair with a
// pixel the map does not count (off the circle or behind the view, weight
// 0) weighs nothing.
//
// The pairs are not kept: once the rows above and below a row are known,
// each of its pixels adds what its (up to four) pairs give its own value in
// EdgeSums, so that a pixel costs one addition to a 256-entry table rather
// than one per pair to a 65536-cell matrix. Weights are counted in whole
// units, 2^-20 of the map's largest weight or finer, which keeps a pixel's
// sums within 32 bits and the tables' exact.
class NeighbourPairs {
public:
    // maxWeight: the largest weight of the map (SkyMap::maxWeight).
    NeighbourPairs(int width, float maxWeight);
    NeighbourPairs(const NeighbourPairs&) = delete;
    NeighbourPairs& operator=(const NeighbourPairs&) = delete;

    // Where the values of the next row go, indexed by column.
    [[nodiscard]] uint8_t* nextRow() { return next_->values.data() + 1; }
    // Takes the row just written, with the map's weights, and adds the
    // pairs of the row before, whose neighbours are now all known. Without
    // rim, the row's pixels across the rim weigh nothing.
    void addRow(const SkyMap::Row& row, const float* weights, bool withRim = true);
    [[nodiscard]] EdgeSums sums() const;
    // Weights count in whole units of 1 / scale (weightUnits).
    [[nodiscard]] float scale() const { return scale_; }

private:
    // A row's values and weights in units by column, one column further on
    // (column -1 is at 0); units 0 outside [x0, x1).
    struct RowBuffer {
        explicit RowBuffer(std::size_t width);
        std::vector<uint8_t> values;
        std::vector<int32_t> units;
        int y = 0, x0 = 0, x1 = 0;
    };

    void addPixels(
        const RowBuffer* above, const RowBuffer& here, const RowBuffer* below, std::vector<int64_t>& tables) const;
    void addRun(const RowBuffer& above, const RowBuffer& here, const RowBuffer& below, int from, int n,
        std::vector<int64_t>& tables) const;

    float scale_;
    RowBuffer rows_[3];
    RowBuffer none_; // weighs 0 everywhere: the row beyond the map's rows
    RowBuffer* next_ = &rows_[0];
    RowBuffer* pending_ = nullptr; // waits for the row below it
    RowBuffer* above_ = nullptr;   // the row above the pending one
    // kSumTables tables by value (weight, contrast), a few cache lines apart so
    // that the same value of two of them is not taken for the same address.
    std::vector<int64_t> tables_;
};

// The pairs the map's rim pixels (SkyMap::rimPixels) take part in, each
// once, weighed in units of 1 / scale as NeighbourPairs weighs them: added
// to the sums of a pass without the rim, they give those of a pass with it.
void addRimPairs(EdgeSums& sums, const PixelView& view, const SkyMap& map, const ValueTable& values, float scale);

} // namespace karwen::canopy
