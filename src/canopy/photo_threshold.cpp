#include "photo_threshold.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace karwen::canopy {

namespace {

// The values of the row's pixels go to a buffer indexed by column, so that
// the next row finds the ones above it there.
template <Channel C> void addPairs(const PixelView& view, const SkyMap& map, const ValueTable& values, double* pairs)
{
    const auto& lut = values.table();
    const float* weights = map.weights().data();
    const auto width = static_cast<std::size_t>(view.width);
    std::vector<uint8_t> here(width), before(width);
    const SkyMap::Row* last = nullptr;
    for (const SkyMap::Row& row : map.rows()) {
        const uint32_t* px = view.row(row.y);
        for (int x = row.x0; x < row.x1; ++x) {
            const unsigned raw = C == Channel::Blue ? (px[x] & 0xffu) : values.raw(px[x]);
            here[static_cast<std::size_t>(x)] = lut[raw];
        }
        // Weights of column x: w[x - x0]. Equal values land on the diagonal,
        // which no threshold reads.
        const float* w = weights + row.firstWeight;
        for (int x = row.x0; x + 1 < row.x1; ++x) {
            const std::size_t i = static_cast<std::size_t>(x - row.x0);
            pairs[here[static_cast<std::size_t>(x)] * 256u + here[static_cast<std::size_t>(x) + 1]]
                += std::min(w[i], w[i + 1]);
        }
        if (last != nullptr && last->y + 1 == row.y) {
            const float* wb = weights + last->firstWeight;
            for (int x = std::max(row.x0, last->x0); x < std::min(row.x1, last->x1); ++x)
                pairs[here[static_cast<std::size_t>(x)] * 256u + before[static_cast<std::size_t>(x)]]
                    += std::min(w[x - row.x0], wb[x - last->x0]);
        }
        std::swap(here, before);
        last = &row;
    }
}

} // namespace

PairHistogram neighbourPairs(const PixelView& view, const SkyMap& map, const ValueTable& values)
{
    PairHistogram pairs(kPairCells, 0.0);
    if (values.channel() == Channel::Blue)
        addPairs<Channel::Blue>(view, map, values, pairs.data());
    else
        addPairs<Channel::Luma>(view, map, values, pairs.data());
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
