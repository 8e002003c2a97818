#include "photo_threshold.h"

#include "edge_rows.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace karwen::canopy {

namespace {

constexpr std::size_t kValues = 256;
constexpr std::size_t kTableStride = 2 * kValues + 8; // + 64 bytes
constexpr int kChunk = 512;                           // pixels summed at a time

// Column x of a row's array.
template <typename T> T* at(std::vector<T>& v, int x) { return v.data() + 1 + x; }
template <typename T> const T* at(const std::vector<T>& v, int x) { return v.data() + 1 + x; }

} // namespace

NeighbourPairs::RowBuffer::RowBuffer(std::size_t width)
    : values(width + 2, 0)
    , units(width + 2, 0)
{
}

NeighbourPairs::NeighbourPairs(int width, float maxWeight)
    // A power of two, so that a weight in units is the weight's own bits.
    : scale_(maxWeight > 0.0f ? std::ldexp(1.0f, 20 - std::ilogb(maxWeight)) : 1.0f)
    , rows_{RowBuffer(static_cast<std::size_t>(width)), RowBuffer(static_cast<std::size_t>(width)),
          RowBuffer(static_cast<std::size_t>(width))}
    , none_(static_cast<std::size_t>(width))
    , tables_(kCopies * kTableStride, 0)
{
}

// Every pixel of the row here, with the rows above and below it (none: a
// row of weight 0), a piece of the row at a time: its pairs with the next
// pixel and with the pixels above and below, then what all four give each
// pixel, added to the tables.
void NeighbourPairs::addPixels(
    const RowBuffer* above, const RowBuffer& here, const RowBuffer* below, std::vector<int64_t>& tables) const
{
    const RowBuffer& up = above != nullptr ? *above : none_;
    const RowBuffer& down = below != nullptr ? *below : none_;
    std::array<int32_t, kChunk + 1> rightWeight, rightContrast;
    std::array<int32_t, kChunk> downWeight, downContrast, upWeight, upContrast;
    std::array<int64_t, 2 * kChunk> sums;
    for (int from = here.x0; from < here.x1; from += kChunk) {
        const int n = std::min(here.x1 - from, kChunk);
        const uint8_t* v = at(here.values, from);
        const int32_t* u = at(here.units, from);
        // From the pixel before the first: pixels past the row's ends weigh 0.
        pairsOf(v - 1, u - 1, v, u, n + 1, rightWeight.data(), rightContrast.data());
        pairsOf(v, u, at(down.values, from), at(down.units, from), n, downWeight.data(), downContrast.data());
        pairsOf(v, u, at(up.values, from), at(up.units, from), n, upWeight.data(), upContrast.data());
        const RowPairs pairs{rightWeight.data() + 1, rightContrast.data() + 1, downWeight.data(), downContrast.data(),
            upWeight.data(), upContrast.data()};
        pixelSums(pairs, n, sums.data());
        addPixelSums(v, sums.data(), n, tables.data(), kTableStride);
    }
}

void NeighbourPairs::addRow(const SkyMap::Row& row, const float* weights)
{
    RowBuffer& r = *next_;
    std::fill(at(r.units, r.x0), at(r.units, r.x1), 0);
    r.y = row.y;
    r.x0 = row.x0;
    r.x1 = row.x1;
    weightUnits(weights + row.firstWeight, row.x1 - row.x0, scale_, at(r.units, row.x0));
    const bool follows = pending_ != nullptr && pending_->y + 1 == r.y;
    if (pending_ != nullptr)
        addPixels(above_, *pending_, follows ? &r : nullptr, tables_);
    above_ = follows ? pending_ : nullptr;
    pending_ = &r;
    for (RowBuffer& free : rows_)
        if (&free != above_ && &free != pending_)
            next_ = &free;
}

EdgeSums NeighbourPairs::sums() const
{
    std::vector<int64_t> tables = tables_;
    if (pending_ != nullptr)
        addPixels(above_, *pending_, nullptr, tables);
    EdgeSums sums;
    for (std::size_t k = 0; k < kCopies; ++k)
        for (std::size_t v = 0; v < kValues; ++v) {
            sums.weight[v] += tables[k * kTableStride + 2 * v];
            sums.contrast[v] += tables[k * kTableStride + 2 * v + 1];
        }
    return sums;
}

std::optional<int> photoThreshold(
    const Histogram& histogram, const NeighbourPairs* pairs, const CanopySettings& settings)
{
    return chooseThreshold(histogram, pairs != nullptr ? pairs->sums() : EdgeSums{}, settings);
}

} // namespace karwen::canopy
