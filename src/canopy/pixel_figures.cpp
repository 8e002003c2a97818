#include "pixel_figures.h"

#include "canopy_indices.h"
#include "photo_threshold.h"
#include "pixel_values.h"
#include "rim_reading.h"
#include "sky_map.h"

#include <cmath>
#include <cstddef>
#include <memory>
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
// hand. The pixels across the rim take part in neither: they are added
// apart (addRim, addRimPairs), once it is known how they are read.
//
// Two things keep the pass short. Neighbouring pixels mostly fall in the
// same cell, and each addition would wait for the one before to be stored:
// consecutive pixels of a row go to the lanes 0, 1, 2, 3 of their cells in
// turn instead, and the lanes are summed at the end. And the pixels are
// counted by their channel value as it stands, which the value table turns
// into the thresholded value once per cell at the end rather than once per
// pixel. Together they take a third off a real photo's whole measurement;
// the sums differ from one running total only by rounding (a few units in
// the 15th digit).
constexpr std::size_t kLanes = 4;

// Not inlined: on its own its loops keep every pointer in a register.
template <Channel C, bool WithPairs>
[[gnu::noinline]] void accumulate(const PixelView& view, const SkyMap& map, const ValueTable& values,
    std::vector<double>& hist, NeighbourPairs* pairs)
{
    // Bin b's raw value v in lane l at (b * 256 + v) * kLanes + l: the lanes
    // of one cell share a cache line.
    std::vector<double> lanes(hist.size() * kLanes, 0.0);
    // Plain pointers, held in registers through the loops.
    const uint8_t* const lut = values.table().data();
    const float* const weights = map.weights().data();
    const uint16_t* const bins = map.bins().data();
    double* const h = lanes.data();
    const auto rawOf = [&values](uint32_t pixel) { return C == Channel::Blue ? (pixel & 0xffu) : values.raw(pixel); };
    const auto add = [&](const uint32_t* px, const uint16_t* b, const float* w, int i, std::size_t lane) {
        const unsigned raw = rawOf(px[i]);
        h[(std::size_t(b[i]) * kValues + raw) * kLanes + lane] += w[i];
        return raw;
    };
    for (const SkyMap::Row& row : map.rows()) {
        const uint32_t* px = view.row(row.y) + row.x0;
        const float* w = weights + row.firstWeight;
        const uint16_t* b = bins + row.first;
        const int from = row.inner0 - row.x0, to = row.inner1 - row.x0;
        if constexpr (WithPairs) {
            uint8_t* rowValues = pairs->nextRow() + row.x0;
            for (int i = 0; i < from; ++i)
                rowValues[i] = lut[rawOf(px[i])];
            for (int i = from; i < to; ++i)
                rowValues[i] = lut[add(px, b, w, i, std::size_t(i) % kLanes)];
            for (int i = to; i < row.x1 - row.x0; ++i)
                rowValues[i] = lut[rawOf(px[i])];
            pairs->addRow(row, weights, false);
        } else {
            int i = from;
            for (; i + int(kLanes) <= to; i += int(kLanes))
                for (std::size_t lane = 0; lane < kLanes; ++lane)
                    (void)add(px, b, w, i + int(lane), lane);
            for (; i < to; ++i)
                (void)add(px, b, w, i, 0);
        }
    }
    static_assert(kLanes == 4, "the sum below adds four lanes");
    for (std::size_t bin = 0; bin < hist.size() / kValues; ++bin)
        for (std::size_t raw = 0; raw < kValues; ++raw) {
            const double* lane = h + (bin * kValues + raw) * kLanes;
            hist[bin * kValues + lut[raw]] += (lane[0] + lane[1]) + (lane[2] + lane[3]);
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

// The histograms of one pass, and the edge method's pairs.
struct Pass {
    std::vector<double> hist;
    std::unique_ptr<NeighbourPairs> pairs;
};

Pass passOver(const PixelView& view, const SkyMap& map, const ValueTable& values, const CanopySettings& settings)
{
    Pass pass{std::vector<double>(static_cast<std::size_t>(map.binCount()) * kValues, 0.0), nullptr};
    if (settings.method == ThresholdMethod::Edge)
        pass.pairs = std::make_unique<NeighbourPairs>(view.width, map.maxWeight());
    NeighbourPairs* pairs = pass.pairs.get();
    if (readsBlueByte(settings.channel))
        accumulate<Channel::Blue>(view, map, values, pass.hist, pairs);
    else
        accumulate<Channel::Luma>(view, map, values, pass.hist, pairs);
    return pass;
}

// The rim pixels, each with the value it is read by (RimReading::values).
void addRim(std::vector<double>& hist, const SkyMap& map, const std::vector<uint8_t>& values)
{
    const std::span<const SkyMap::RimPixel> rim = map.rimPixels();
    for (std::size_t k = 0; k < rim.size(); ++k)
        hist[rim[k].bin * kValues + values[k]] += rim[k].weight;
}

Histogram totalOf(const std::vector<double>& hist)
{
    Histogram total{};
    for (std::size_t i = 0; i < hist.size(); ++i)
        total[i % kValues] += hist[i];
    return total;
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
    // Whether the rim is read by its inside depends on the threshold, which
    // for most methods depends on the histogram without the rim: the rim
    // is kept apart whenever it may be, and added as it stands when the
    // threshold then found shows the photo is not dark beyond it.
    const RimReading rim(view, *map, values);
    Pass pass = passOver(view, *map, values, settings);
    EdgeSums pairs = pass.pairs ? pass.pairs->sums() : EdgeSums{};
    const auto addRimAsItStands = [&] {
        addRim(pass.hist, *map, rim.values(false));
        if (pass.pairs)
            addRimPairs(pairs, view, *map, values, pass.pairs->scale());
    };
    bool byInside = settings.method == ThresholdMethod::Fixed ? rim.appliesAt(settings.fixedThreshold) : rim.mayApply();
    if (!byInside)
        addRimAsItStands();
    f.histogram = totalOf(pass.hist);
    std::optional<int> threshold = chooseThreshold(f.histogram, pairs, settings);
    if (byInside && threshold && !rim.appliesAt(*threshold)) {
        byInside = false;
        addRimAsItStands();
        f.histogram = totalOf(pass.hist);
        threshold = chooseThreshold(f.histogram, pairs, settings);
    }
    if (byInside)
        addRim(pass.hist, *map, rim.values(true));
    const std::vector<double>& hist = pass.hist;
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
