#include "photo_threshold.h"

#include "edge_rows.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace karwen::canopy {

namespace {

constexpr std::size_t kValues = 256;
constexpr std::size_t kTableStride = 2 * kValues + 8; // + 64 bytes
constexpr int kBlock = 16;                            // pixels skipped together
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
    // A power of two, so that a weight in units is the weight's own bits;
    // at most 2^120, which a float holds, for maps of vanishing weights.
    : scale_(maxWeight > 0.0f ? std::ldexp(1.0f, std::min(20 - std::ilogb(maxWeight), 120)) : 1.0f)
    , rows_{RowBuffer(static_cast<std::size_t>(width)), RowBuffer(static_cast<std::size_t>(width)),
          RowBuffer(static_cast<std::size_t>(width))}
    , none_(static_cast<std::size_t>(width))
    , tables_(kSumTables * kTableStride, 0)
{
}

// Every pixel of the row here, with the rows above and below it (none: a
// row of weight 0), a piece of the row at a time. In a photo most pixels
// often equal all four neighbours (deep shade and open sky, once
// linearised); their pairs add nothing, so only the runs of blocks that
// hold a pixel that differs are summed.
void NeighbourPairs::addPixels(
    const RowBuffer* above, const RowBuffer& here, const RowBuffer* below, std::vector<int64_t>& tables) const
{
    const RowBuffer& up = above != nullptr ? *above : none_;
    const RowBuffer& down = below != nullptr ? *below : none_;
    std::array<uint8_t, kChunk + kBlock> differs{}; // 0 past the piece
    const auto blockDiffers = [&](int k) {
        uint64_t first, second;
        std::memcpy(&first, differs.data() + k, sizeof first);
        std::memcpy(&second, differs.data() + k + 8, sizeof second);
        return (first | second) != 0;
    };
    static_assert(kBlock == 16 && kChunk % kBlock == 0);
    for (int from = here.x0; from < here.x1; from += kChunk) {
        const int n = std::min(here.x1 - from, kChunk);
        differingPixels(at(here.values, from), at(up.values, from), at(down.values, from), n, differs.data());
        std::fill(differs.begin() + n, differs.end(), uint8_t{0});
        for (int k = 0; k < n;) {
            if (!blockDiffers(k)) {
                k += kBlock;
                continue;
            }
            int end = k + kBlock;
            while (end < n && blockDiffers(end))
                end += kBlock;
            end = std::min(end, n);
            addRun(up, here, down, from + k, end - k, tables);
            k = end;
        }
    }
}

// Pixels from .. from + n - 1 of the row here: their pairs with the next
// pixel and with the pixels above and below, then what all four give each
// pixel, added to the tables.
void NeighbourPairs::addRun(const RowBuffer& above, const RowBuffer& here, const RowBuffer& below, int from, int n,
    std::vector<int64_t>& tables) const
{
    std::array<int32_t, kChunk + 1> rightWeight, rightContrast;
    std::array<int32_t, kChunk> downWeight, downContrast, upWeight, upContrast;
    std::array<int64_t, 2 * kChunk> sums;
    const uint8_t* v = at(here.values, from);
    const int32_t* u = at(here.units, from);
    // From the pixel before the first: pixels past the row's ends weigh 0.
    pairsOf(v - 1, u - 1, v, u, n + 1, rightWeight.data(), rightContrast.data());
    pairsOf(v, u, at(below.values, from), at(below.units, from), n, downWeight.data(), downContrast.data());
    pairsOf(v, u, at(above.values, from), at(above.units, from), n, upWeight.data(), upContrast.data());
    const RowPairs pairs{rightWeight.data() + 1, rightContrast.data() + 1, downWeight.data(), downContrast.data(),
        upWeight.data(), upContrast.data()};
    pixelSums(pairs, n, sums.data());
    addPixelSums(v, sums.data(), n, tables.data(), kTableStride);
}

void NeighbourPairs::addRow(const SkyMap::Row& row, const float* weights, bool withRim)
{
    RowBuffer& r = *next_;
    std::fill(at(r.units, r.x0), at(r.units, r.x1), 0);
    r.y = row.y;
    r.x0 = row.x0;
    r.x1 = row.x1;
    weightUnits(weights + row.firstWeight, row.x1 - row.x0, scale_, at(r.units, row.x0));
    if (!withRim) {
        std::fill(at(r.units, row.x0), at(r.units, row.inner0), 0);
        std::fill(at(r.units, row.inner1), at(r.units, row.x1), 0);
    }
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
    sums.unit = 1.0 / double(scale_);
    for (std::size_t k = 0; k < kSumTables; ++k)
        for (std::size_t v = 0; v < kValues; ++v) {
            sums.weight[v] += tables[k * kTableStride + 2 * v];
            sums.contrast[v] += tables[k * kTableStride + 2 * v + 1];
        }
    return sums;
}

void addRimPairs(EdgeSums& sums, const PixelView& view, const SkyMap& map, const ValueTable& values, float scale)
{
    const std::span<const SkyMap::Row> rows = map.rows();
    const std::span<const SkyMap::RimPixel> rim = map.rimPixels();
    const float* weights = map.weights().data();
    // A row of the map as the pairs read it: column x's value, units and
    // whether the pass left it out; none past the row's ends.
    struct Line {
        const SkyMap::Row* row = nullptr;
        const uint32_t* pixels = nullptr;
        [[nodiscard]] bool holds(int x) const { return row != nullptr && x >= row->x0 && x < row->x1; }
        [[nodiscard]] bool leftOut(int x) const { return x < row->inner0 || x >= row->inner1; }
    };
    const auto lineAt = [&](int y) {
        const SkyMap::Row* row = map.rowAt(y);
        return Line{row, row != nullptr ? view.row(y) : nullptr};
    };
    const auto pair = [&](const Line& a, int xa, const Line& b, int xb) {
        const auto units = [&](const Line& l, int x) {
            int32_t u = 0;
            weightUnits(weights + l.row->firstWeight + (x - l.row->x0), 1, scale, &u);
            return u;
        };
        sums.addPair(values(a.pixels[xa]), values(b.pixels[xb]), std::min(units(a, xa), units(b, xb)));
    };
    for (std::size_t k = 0; k < rim.size();) {
        const int y = rows[rim[k].row].y;
        const Line above = lineAt(y - 1), here = lineAt(y), below = lineAt(y + 1);
        for (; k < rim.size() && rows[rim[k].row].y == y; ++k) {
            // A pair of two rim pixels is taken from the earlier one (by
            // row, then column).
            const int x = rim[k].x;
            if (here.holds(x + 1))
                pair(here, x, here, x + 1);
            if (below.holds(x))
                pair(here, x, below, x);
            if (here.holds(x - 1) && !here.leftOut(x - 1))
                pair(here, x, here, x - 1);
            if (above.holds(x) && !above.leftOut(x))
                pair(here, x, above, x);
        }
    }
}

} // namespace karwen::canopy
