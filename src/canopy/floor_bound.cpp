#include "floor_bound.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace karwen::canopy {

namespace {

// gap with every cell below the floor raised to its unit share; the cells
// raised go to empty.
std::vector<double> raised(
    std::span<const double> gap, std::span<const double> unitShare, int sectors, std::vector<EmptyCell>& empty)
{
    std::vector<double> out(gap.begin(), gap.end());
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (!(out[i] < kGapFloor)) // NaN, a cell not shown, stays
            continue;
        out[i] = std::max(unitShare[i], kGapFloor);
        const int cell = int(i);
        empty.push_back(sectors > 0 ? EmptyCell{cell / sectors, cell % sectors} : EmptyCell{cell, -1});
    }
    return out;
}

// A ring the photo does not show leaves the index, and so its bound,
// undefined: no bound then, rather than "at least nan".
std::optional<FloorBound> finite(FloorBound bound)
{
    return std::isfinite(bound.atLeast) ? std::optional<FloorBound>(std::move(bound)) : std::nullopt;
}

} // namespace

std::optional<FloorBound> leBound(
    const RingWeights& weights, std::span<const double> ringGap, std::span<const double> unitShare)
{
    FloorBound bound;
    const std::vector<double> gap = raised(ringGap, unitShare, 0, bound.empty);
    if (bound.empty.empty())
        return std::nullopt;
    bool floorMet = false; // a unit share itself below the floor; it stays counted at the floor
    bound.atLeast = weights.le(gap, floorMet);
    return finite(std::move(bound));
}

std::optional<FloorBound> lBound(
    const RingWeights& weights, std::span<const double> sectorGap, std::span<const double> unitShare, int sectors)
{
    FloorBound bound;
    const std::vector<double> gap = raised(sectorGap, unitShare, sectors, bound.empty);
    if (bound.empty.empty())
        return std::nullopt;
    bool floorMet = false;
    bound.atLeast = weights.l(gap, floorMet);
    return finite(std::move(bound));
}

} // namespace karwen::canopy
