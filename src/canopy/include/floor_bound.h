// A leaf area index whose ring (for L, a ring's sector) shows no sky at all
// is not measured there: its gap fraction meets the floor exp(-10), and the
// index says only how few units (dots, pixels) the ring had. It is reported
// as a bound instead: each such cell counted as if one unit's share of it
// were sky, the index can only be that or more.
#pragma once

#include "canopy_indices.h"

#include <optional>
#include <span>
#include <vector>

namespace karwen::canopy {

// A ring (sector -1) or one sector of a ring that shows no sky; 0-based.
struct EmptyCell {
    int ring = 0;
    int sector = -1;

    friend bool operator==(const EmptyCell&, const EmptyCell&) = default;
};

struct FloorBound {
    double atLeast = 0.0;
    std::vector<EmptyCell> empty; // ring by ring, sector by sector
};

// le over ringGap with each ring below the floor counted at unitShare[k]
// (one dot's or pixel's share of ring k); none when no ring is below it, or
// when le does not exist (a ring the photo does not show).
[[nodiscard]] std::optional<FloorBound> leBound(
    const RingWeights& weights, std::span<const double> ringGap, std::span<const double> unitShare);

// l the same way, sector by sector: sectorGap and unitShare ring-major.
[[nodiscard]] std::optional<FloorBound> lBound(
    const RingWeights& weights, std::span<const double> sectorGap, std::span<const double> unitShare, int sectors);

} // namespace karwen::canopy
