#include "canopy_indices.h"

#include <cmath>
#include <cstddef>

namespace karwen::canopy {

namespace {

double contactNumber(double gap, bool& saturated)
{
    if (gap < kGapFloor) {
        saturated = true;
        gap = kGapFloor;
    }
    return -std::log(gap);
}

} // namespace

RingWeights::RingWeights(const RingLayout& layout)
    : sectors_(layout.sectors())
{
    const std::size_t n = static_cast<std::size_t>(layout.rings());
    difnWeight_.resize(n);
    laiWeight_.resize(n);
    double sinCosSum = 0.0, sinSum = 0.0;
    for (int k = 0; k < layout.rings(); ++k) {
        const double t = layout.ringCentre(k);
        sinCosSum += std::sin(t) * std::cos(t);
        sinSum += std::sin(t);
    }
    for (int k = 0; k < layout.rings(); ++k) {
        const double t = layout.ringCentre(k);
        difnWeight_[static_cast<std::size_t>(k)] = std::sin(t) * std::cos(t) / sinCosSum;
        laiWeight_[static_cast<std::size_t>(k)] = 2.0 * std::cos(t) * std::sin(t) / sinSum;
    }
}

double RingWeights::difn(std::span<const double> ringGap) const
{
    double sum = 0.0;
    for (std::size_t k = 0; k < difnWeight_.size(); ++k)
        sum += difnWeight_[k] * ringGap[k];
    return sum;
}

double RingWeights::le(std::span<const double> ringGap, bool& saturated) const
{
    double sum = 0.0;
    for (std::size_t k = 0; k < laiWeight_.size(); ++k)
        sum += laiWeight_[k] * contactNumber(ringGap[k], saturated);
    return sum;
}

double RingWeights::l(std::span<const double> sectorGap, bool& saturated) const
{
    const std::size_t sectors = static_cast<std::size_t>(sectors_);
    double sum = 0.0;
    for (std::size_t k = 0; k < laiWeight_.size(); ++k) {
        double contacts = 0.0;
        int shown = 0;
        for (std::size_t s = 0; s < sectors; ++s) {
            const double gap = sectorGap[k * sectors + s];
            if (std::isnan(gap))
                continue;
            contacts += contactNumber(gap, saturated);
            ++shown;
        }
        sum += shown > 0 ? laiWeight_[k] * contacts / shown : NAN;
    }
    return sum;
}

double clumping(double le, double l) { return l == 0.0 ? 1.0 : le / l; }

} // namespace karwen::canopy
