#include "photo_threshold.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace karwen::canopy {

namespace {

constexpr std::size_t kSkew = 40; // doubles: 320 bytes

// One row at a time: its values go to a buffer indexed by column, then
// each pixel is paired with the one to its left and with the one in the row
// before, whose values the other buffer holds.
template <Channel C>
void addPairs(const PixelView& view, const SkyMap& map, const ValueTable& values, double* across, double* down)
{
    const auto& lut = values.table();
    const float* weights = map.weights().data();
    std::vector<uint8_t> hereBuffer(static_cast<std::size_t>(view.width)), beforeBuffer(hereBuffer.size());
    const SkyMap::Row* last = nullptr;
    for (const SkyMap::Row& row : map.rows()) {
        const uint32_t* px = view.row(row.y);
        const float* w = weights + row.firstWeight; // w[x - x0]
        uint8_t* here = hereBuffer.data();
        const uint8_t* before = beforeBuffer.data();
        for (int x = row.x0; x < row.x1; ++x)
            here[x] = lut[C == Channel::Blue ? (px[x] & 0xffu) : values.raw(px[x])];
        const int n = row.x1 - row.x0;
        const uint8_t* h = here + row.x0;
        for (int i = 1; i < n; ++i)
            across[(unsigned(h[i]) << 8) | h[i - 1]] += double(std::min(w[i], w[i - 1]));
        if (last != nullptr && last->y + 1 == row.y) {
            const int x0 = std::max(row.x0, last->x0), x1 = std::min(row.x1, last->x1);
            const float* wh = w + (x0 - row.x0);
            const float* wb = weights + last->firstWeight + (x0 - last->x0);
            const uint8_t* hb = h + (x0 - row.x0);
            const uint8_t* bb = before + x0;
            for (int i = 0; i < x1 - x0; ++i)
                down[(unsigned(hb[i]) << 8) | bb[i]] += double(std::min(wh[i], wb[i]));
        }
        hereBuffer.swap(beforeBuffer);
        last = &row;
    }
}

} // namespace

PairHistogram neighbourPairs(const PixelView& view, const SkyMap& map, const ValueTable& values)
{
    // Pairs across and down the rows go to matrices of their own (a pixel's
    // two pairs often share a cell), in one block, the second a few cache
    // lines past a multiple of 4 KiB from the first, so that the same cell
    // of the two is not taken for the same address while a store to it is
    // pending.
    std::vector<double> block(2 * kPairCells + kSkew, 0.0);
    double* across = block.data();
    double* down = block.data() + kPairCells + kSkew;
    if (values.channel() == Channel::Blue)
        addPairs<Channel::Blue>(view, map, values, across, down);
    else
        addPairs<Channel::Luma>(view, map, values, across, down);
    PairHistogram pairs(kPairCells);
    for (std::size_t c = 0; c < kPairCells; ++c)
        pairs[c] = across[c] + down[c];
    return pairs;
}

std::optional<int> photoThreshold(const PixelView& view, const SkyMap& map, const ValueTable& values,
    const Histogram& histogram, const CanopySettings& settings)
{
    const PairHistogram pairs
        = settings.method == ThresholdMethod::Edge ? neighbourPairs(view, map, values) : PairHistogram{};
    return chooseThreshold(histogram, pairs, settings);
}

} // namespace karwen::canopy
