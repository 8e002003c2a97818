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

struct ZenithRings {
    std::vector<int> dots;
    std::vector<double> gap; // weighted gap share
};

ZenithRings binDots(const DotGaps& gaps, const DotSky& sky, const RingLayout& layout)
{
    const auto rings = static_cast<std::size_t>(layout.rings());
    ZenithRings z{std::vector<int>(rings, 0), std::vector<double>(rings, 0.0)};
    std::vector<double> weight(rings, 0.0);
    for (std::size_t n = 1; n <= kDotCount; ++n) {
        const int k = layout.ringOf(sky.cosZenith[n]);
        if (k < 0)
            continue;
        const auto i = static_cast<std::size_t>(k);
        ++z.dots[i];
        weight[i] += sky.solidAngle[n];
        z.gap[i] += gaps[n] ? sky.solidAngle[n] : 0.0;
    }
    for (std::size_t i = 0; i < rings; ++i)
        z.gap[i] = weight[i] > 0.0 ? z.gap[i] / weight[i] : 0.0;
    return z;
}

Estimate bootstrapLe(const RingWeights& weights, const ZenithRings& z, double le)
{
    Xoshiro256 random(kBootstrapSeed);
    std::vector<double> replicates(kBootstrapReplicates);
    std::vector<double> gap(z.dots.size());
    bool saturated = false; // of a replicate; only the estimate's own flag is reported
    for (double& r : replicates) {
        for (std::size_t k = 0; k < gap.size(); ++k)
            gap[k] = double(random.binomial(z.dots[k], z.gap[k])) / z.dots[k];
        r = weights.le(gap, saturated);
    }
    std::sort(replicates.begin(), replicates.end());
    return {le, replicates[kLowRank], replicates[kHighRank]};
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

DotFigures measureDots(const DotGaps& gaps, int32_t dstProjection, const CanopySettings& settings)
{
    DotFigures f;
    if (!isValid(settings)) {
        f.status = DotStatus::BadSettings;
        return f;
    }
    if (dstProjection < 0 || dstProjection > 3) {
        f.status = DotStatus::Unavailable;
        return f;
    }
    const std::optional<DotSky> sky = dotSky(dstProjection);
    if (!sky) {
        f.status = DotStatus::NoTables;
        return f;
    }

    double sum = 0.0, sumSquares = 0.0, gap = 0.0;
    for (std::size_t n = 1; n <= kDotCount; ++n) {
        const double w = sky->solidAngle[n];
        sum += w;
        sumSquares += w * w;
        gap += gaps[n] ? w : 0.0;
    }
    f.effectiveDots = sum * sum / sumSquares;
    f.openness = wilsonInterval(gap / sum, f.effectiveDots);

    const RingLayout layout = RingLayout::of(settings);
    const ZenithRings z = binDots(gaps, *sky, layout);
    if (std::find(z.dots.begin(), z.dots.end(), 0) != z.dots.end())
        return f;
    const RingWeights weights(layout);
    const double le = weights.le(z.gap, f.saturated);
    f.le = bootstrapLe(weights, z, le);
    return f;
}

} // namespace karwen::canopy
