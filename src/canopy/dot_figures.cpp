#include "dot_figures.h"

#include "canopy_indices.h"
#include "dot_sky.h"
#include "random.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace karwen::canopy {

namespace {

// Rank of the percentile bounds among the sorted replicates (nearest rank).
constexpr std::size_t kLowRank = kBootstrapReplicates * 25 / 1000 - 1;
constexpr std::size_t kHighRank = kBootstrapReplicates * 975 / 1000 - 1;

// The read dots of one zenith ring, by their solid angles.
struct RingSample {
    int dots = 0;
    double weight = 0.0, squares = 0.0, gapWeight = 0.0;

    void add(double w, bool gap)
    {
        ++dots;
        weight += w;
        squares += w * w;
        gapWeight += gap ? w : 0.0;
    }
    [[nodiscard]] double gap() const { return weight > 0.0 ? gapWeight / weight : 0.0; }
    [[nodiscard]] double effectiveDots() const { return weight * weight / squares; }
};

std::vector<RingSample> binDots(
    const DotGaps& gaps, const DotMask& outside, const DotSky& sky, const RingLayout& layout)
{
    std::vector<RingSample> rings(static_cast<std::size_t>(layout.rings()));
    for (std::size_t n = 1; n <= kDotCount; ++n) {
        const int k = layout.ringOf(sky.cosZenith[n]);
        if (k >= 0 && !outside[n])
            rings[static_cast<std::size_t>(k)].add(sky.solidAngle[n], gaps[n]);
    }
    return rings;
}

// The percentiles of le over ring gap fractions drawn from each ring's
// Jeffreys posterior Beta(x + 1/2, n - x + 1/2). A ring without a gap dot
// cannot rule out a ring without gap: for the upper end it stays at no gap
// (le's floor), as a ring of gap dots only stays all gap for the lower end
// (Brown, Cai and DasGupta 2001 end the Jeffreys interval of a share so).
Estimate leInterval(const RingWeights& weights, const std::vector<RingSample>& rings, double le)
{
    std::vector<double> a(rings.size()), b(rings.size());
    for (std::size_t k = 0; k < rings.size(); ++k) {
        const double n = rings[k].effectiveDots(), x = n * rings[k].gap();
        a[k] = x + 0.5;
        b[k] = n - x + 0.5;
    }
    Xoshiro256 random(kBootstrapSeed);
    std::vector<double> lows(kBootstrapReplicates), highs(kBootstrapReplicates);
    std::vector<double> low(rings.size()), high(rings.size());
    bool saturated = false; // of a replicate; only the estimate's own flag is reported
    for (std::size_t r = 0; r < lows.size(); ++r) {
        for (std::size_t k = 0; k < rings.size(); ++k) {
            const double g = random.beta(a[k], b[k]);
            low[k] = rings[k].gap() == 1.0 ? 1.0 : g;
            high[k] = rings[k].gap() == 0.0 ? 0.0 : g;
        }
        lows[r] = weights.le(low, saturated);
        highs[r] = weights.le(high, saturated);
    }
    std::nth_element(lows.begin(), lows.begin() + kLowRank, lows.end());
    std::nth_element(highs.begin(), highs.begin() + kHighRank, highs.end());
    return {le, std::min(le, lows[kLowRank]), std::max(le, highs[kHighRank])};
}

} // namespace

DotGaps gapsOfClass(std::span<const int16_t, kDotCount + 1> classes, int16_t gapClass)
{
    DotGaps gaps{};
    for (std::size_t n = 1; n <= kDotCount; ++n)
        gaps[n] = classes[n] == gapClass;
    return gaps;
}

Estimate wilsonInterval(double p, double n)
{
    const double z2 = kConfidenceZ * kConfidenceZ;
    const double denominator = 1.0 + z2 / n;
    const double centre = (p + z2 / (2.0 * n)) / denominator;
    const double half = kConfidenceZ / denominator * std::sqrt(p * (1.0 - p) / n + z2 / (4.0 * n * n));
    return {p, std::max(0.0, centre - half), std::min(1.0, centre + half)};
}

DotFigures measureDots(
    const DotGaps& gaps, int32_t dstProjection, const CanopySettings& settings, const DotMask& outside)
{
    DotFigures f;
    if (!isValid(settings)) {
        f.status = DotStatus::BadSettings;
        return f;
    }
    if (!RixIsFisheye(dstProjection)) {
        f.status = DotStatus::Unavailable;
        return f;
    }
    const std::optional<DotSky> sky = dotSky(dstProjection);
    if (!sky) {
        f.status = DotStatus::NoTables;
        return f;
    }

    RingSample all;
    for (std::size_t n = 1; n <= kDotCount; ++n) {
        if (outside[n])
            ++f.outside;
        else
            all.add(sky->solidAngle[n], gaps[n]);
    }
    if (all.dots == 0) {
        f.status = DotStatus::OffPhoto;
        return f;
    }
    f.effectiveDots = all.effectiveDots();
    f.openness = wilsonInterval(all.gap(), f.effectiveDots);

    const RingLayout layout = RingLayout::of(settings);
    const std::vector<RingSample> rings = binDots(gaps, outside, *sky, layout);
    for (const RingSample& ring : rings)
        f.ringDots.push_back(ring.dots);
    if (std::any_of(rings.begin(), rings.end(), [](const RingSample& r) { return r.dots == 0; }))
        return f;
    std::vector<double> gap(rings.size());
    std::transform(rings.begin(), rings.end(), gap.begin(), [](const RingSample& r) { return r.gap(); });
    const RingWeights weights(layout);
    const double le = weights.le(gap, f.saturated);
    f.le = leInterval(weights, rings, le);
    if (f.saturated) {
        std::vector<double> oneDot(rings.size());
        std::transform(rings.begin(), rings.end(), oneDot.begin(), [](const RingSample& r) { return 1.0 / r.dots; });
        f.leBound = leBound(weights, gap, oneDot);
    }
    return f;
}

} // namespace karwen::canopy
