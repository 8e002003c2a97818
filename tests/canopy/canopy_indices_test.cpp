// The ring formulas against canopies whose leaf area is known.
#include "canopy_indices.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace karwen::canopy {
namespace {

std::vector<double> ringGaps(const RingLayout& layout, double (*gapAt)(double))
{
    std::vector<double> gaps;
    for (int k = 0; k < layout.rings(); ++k)
        gaps.push_back(gapAt(layout.ringCentre(k)));
    return gaps;
}

// Randomly placed leaves with a spherical angle distribution (G = 0.5) and
// leaf area index 3 let through exp(-0.5 * 3 / cos t). Miller's sum then
// gives 2 sum 1.5 / cos t_k cos t_k w_k = 3 sum w_k = 3 on any ring layout.
double spherical(double t) { return std::exp(-1.5 / std::cos(t)); }

TEST(CanopyIndices, MillerRecoversTheLeafAreaOfSphericalLeaves)
{
    for (const RingLayout& layout :
        {RingLayout{5, 8, 75.0 * kDegToRad}, RingLayout{3, 1, 60.0 * kDegToRad}, RingLayout{9, 4, 81.0 * kDegToRad}}) {
        const RingWeights weights(layout);
        const std::vector<double> gaps = ringGaps(layout, spherical);
        bool saturated = false;
        EXPECT_NEAR(weights.le(gaps, saturated), 3.0, 1e-12) << layout.rings();
        // Leaves spread evenly over the sectors: nothing is clumped.
        std::vector<double> sectors;
        for (double g : gaps)
            sectors.insert(sectors.end(), static_cast<std::size_t>(layout.sectors()), g);
        const double l = weights.l(sectors, saturated);
        EXPECT_NEAR(l, 3.0, 1e-12);
        EXPECT_NEAR(clumping(weights.le(gaps, saturated), l), 1.0, 1e-12);
        EXPECT_FALSE(saturated);
    }
}

TEST(CanopyIndices, ClumpedSectorsAndSaturation)
{
    // One ring centred on 30 degrees, two sectors: leaves of contact number
    // 2 / cos 30 in one sector, none in the other. The ring lets half its
    // sky through on average, the sectors say more foliage is hidden.
    const RingLayout layout{1, 2, 60.0 * kDegToRad};
    const RingWeights weights(layout);
    const double c = std::cos(30.0 * kDegToRad);
    const double dense = std::exp(-2.0 / c);
    const std::vector<double> ring{(dense + 1.0) / 2.0};
    const std::vector<double> sectors{dense, 1.0};
    bool saturated = false;
    EXPECT_NEAR(weights.difn(ring), (dense + 1.0) / 2.0, 1e-15);
    const double le = weights.le(ring, saturated);
    EXPECT_NEAR(le, 2.0 * c * -std::log((dense + 1.0) / 2.0), 1e-12);
    EXPECT_NEAR(weights.l(sectors, saturated), 2.0, 1e-12); // 2 c (2 / c + 0) / 2
    EXPECT_FALSE(saturated);
    // A sector the photo does not show is left out of the ring's mean.
    EXPECT_NEAR(weights.l(std::vector<double>{dense, NAN}, saturated), 4.0, 1e-12);

    // No gap at all: the floor exp(-10) stands in and says so.
    const std::vector<double> closed{0.0};
    EXPECT_NEAR(weights.le(closed, saturated), 2.0 * c * 10.0, 1e-12);
    EXPECT_TRUE(saturated);
    saturated = false;
    EXPECT_NEAR(weights.l(std::vector<double>{0.0, 1.0}, saturated), c * 10.0, 1e-12);
    EXPECT_TRUE(saturated);
    EXPECT_EQ(clumping(0.0, 0.0), 1.0);
}

} // namespace
} // namespace karwen::canopy
