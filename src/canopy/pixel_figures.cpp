#include "pixel_figures.h"

#include "canopy_indices.h"
#include "photo_threshold.h"
#include "pixel_values.h"
#include "sky_map.h"

#include <cmath>
#include <cstddef>
#include <optional>
#include <span>

namespace karwen::canopy {

namespace {

constexpr double kPartialLimit = 0.01;
constexpr std::size_t kValues = 256;

// Weighted value histograms of all bins at once, bin b's value v at
// b * 256 + v: one pass over the pixels gives the threshold histogram and,
// once the threshold is known, every bin's gap. The edge method's pairs of
// neighbours are gathered in the same pass, while the row's values are at
// hand.
template <Channel C, bool WithPairs>
void accumulate(const PixelView& view, const SkyMap& map, const ValueTable& values, std::vector<double>& hist,
    NeighbourPairs* pairs)
{
    const auto& lut = values.table();
    const float* weights = map.weights().data();
    const uint16_t* bins = map.bins().data();
    for (const SkyMap::Row& row : map.rows()) {
        const uint32_t* px = view.row(row.y) + row.x0;
        const float* w = weights + row.firstWeight;
        const uint16_t* b = bins + row.first;
        const int n = row.x1 - row.x0;
        uint8_t* rowValues = WithPairs ? pairs->nextRow() + row.x0 : nullptr;
        for (int i = 0; i < n; ++i) {
            const unsigned raw = C == Channel::Blue ? (px[i] & 0xffu) : values.raw(px[i]);
            const uint8_t value = lut[raw];
            hist[b[i] * kValues + value] += w[i];
            if constexpr (WithPairs)
                rowValues[i] = value;
        }
        if constexpr (WithPairs)
            pairs->addRow(row, weights);
    }
}

template <Channel C>
void accumulate(const PixelView& view, const SkyMap& map, const ValueTable& values, std::vector<double>& hist,
    NeighbourPairs* pairs)
{
    if (pairs != nullptr)
        accumulate<C, true>(view, map, values, hist, pairs);
    else
        accumulate<C, false>(view, map, values, hist, nullptr);
}

struct BinSums {
    std::vector<double> all, gap;
};

BinSums sumBins(const std::vector<double>& hist, int bins, int threshold)
{
    const auto n = static_cast<std::size_t>(bins);
    BinSums sums{std::vector<double>(n), std::vector<double>(n)};
    for (std::size_t b = 0; b < sums.all.size(); ++b) {
        const double* h = hist.data() + b * kValues;
        for (std::size_t v = 0; v < kValues; ++v) {
            sums.all[b] += h[v];
            if (static_cast<int>(v) > threshold)
                sums.gap[b] += h[v];
        }
    }
    return sums;
}

double share(double gap, double all) { return all > 0.0 ? gap / all : NAN; }

// One pixel's share of each ring-sector bin and of each ring, by the pixels
// the map holds there.
struct PixelShares {
    std::vector<double> bin, ring;
};

PixelShares pixelShares(const SkyMap& map)
{
    const RingLayout& layout = map.layout();
    const std::span<const double> count = map.binPixels();
    const auto sectors = static_cast<std::size_t>(layout.sectors());
    PixelShares shares{std::vector<double>(static_cast<std::size_t>(map.beyondBin())),
        std::vector<double>(static_cast<std::size_t>(layout.rings()))};
    for (std::size_t k = 0; k < shares.ring.size(); ++k) {
        double ring = 0.0;
        for (std::size_t s = 0; s < sectors; ++s) {
            const double n = count[k * sectors + s];
            shares.bin[k * sectors + s] = n > 0.0 ? 1.0 / n : NAN;
            ring += n;
        }
        shares.ring[k] = ring > 0.0 ? 1.0 / ring : NAN;
    }
    return shares;
}

} // namespace

PixelFigures measurePixels(
    const PixelView& view, const ProjectionRecord& src, const RixLens* lens, const CanopySettings& settings)
{
    PixelFigures f;
    std::optional<RadialModel> model;
    if (!isValid(settings))
        f.status = PixelStatus::BadSettings;
    else if (!isValid(view))
        f.status = PixelStatus::BadPixels;
    else if (!isUsableSource(src))
        f.status = PixelStatus::BadRecord;
    else if (model = RadialModel::of(src.Proj, lens); !model)
        f.status = PixelStatus::BadLens;
    if (f.status != PixelStatus::Ok)
        return f;

    const RingLayout layout = RingLayout::of(settings);
    const auto map = sharedSkyMap(src, *model, view.width, view.height, layout);
    const ValueTable values(settings.channel, settings.gamma);
    std::vector<double> hist(static_cast<std::size_t>(map->binCount()) * kValues, 0.0);
    std::optional<NeighbourPairs> pairs;
    if (settings.method == ThresholdMethod::Edge)
        pairs.emplace(view.width, map->maxWeight());
    NeighbourPairs* gathered = pairs ? &*pairs : nullptr;
    if (readsBlueByte(settings.channel))
        accumulate<Channel::Blue>(view, *map, values, hist, gathered);
    else
        accumulate<Channel::Luma>(view, *map, values, hist, gathered);

    Histogram& total = f.histogram;
    for (std::size_t i = 0; i < hist.size(); ++i)
        total[i % kValues] += hist[i];
    const std::optional<int> threshold = photoThreshold(total, gathered, settings);
    f.threshold = threshold.value_or(0);
    const BinSums sums = sumBins(hist, map->binCount(), f.threshold);

    double all = 0.0, gap = 0.0;
    for (std::size_t b = 0; b < sums.all.size(); ++b) {
        all += sums.all[b];
        gap += sums.gap[b];
    }
    if (!(all > 0.0)) {
        f.status = PixelStatus::NoPixels;
        return f;
    }
    if (!threshold) {
        f.status = PixelStatus::NoThreshold;
        return f;
    }
    f.openness = gap / all;

    const std::size_t rings = static_cast<std::size_t>(layout.rings());
    const std::size_t sectors = static_cast<std::size_t>(layout.sectors());
    f.ringGap.resize(rings);
    f.sectorGap.resize(rings * sectors);
    for (std::size_t k = 0; k < rings; ++k) {
        double ringAll = 0.0, ringGap = 0.0;
        for (std::size_t s = 0; s < sectors; ++s) {
            const std::size_t b = k * sectors + s;
            f.sectorGap[b] = share(sums.gap[b], sums.all[b]);
            ringAll += sums.all[b];
            ringGap += sums.gap[b];
        }
        f.ringGap[k] = share(ringGap, ringAll);
    }

    const RingWeights weights(layout);
    f.difn = weights.difn(f.ringGap);
    f.le = weights.le(f.ringGap, f.saturated);
    f.l = weights.l(f.sectorGap, f.saturated);
    f.lx = clumping(f.le, f.l);
    if (f.saturated) {
        const PixelShares shares = pixelShares(*map);
        f.leBound = leBound(weights, f.ringGap, shares.ring);
        f.lBound = lBound(weights, f.sectorGap, shares.bin, layout.sectors());
    }
    f.coveredShare = map->coveredShare();
    f.partial = f.coveredShare < 1.0 - kPartialLimit;
    return f;
}

} // namespace karwen::canopy
