// The ring formulas against canopies whose leaf area is known. A ring or
// sector without sky gives a bound, not a value: worked by hand for one
// ring, then from the dots and from the pixels of a sky whose second ring
// holds no gap.
#include "canopy_indices.h"

#include "dot_figures.h"
#include "dot_sky.h"
#include "floor_bound.h"
#include "pixel_figures.h"
#include "projection_model.h"
#include "sky_map.h"
#include "synthetic_sky.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
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

// Miller's weight of ring k in le: 2 cos t_k sin t_k / sum sin t_j.
double millerWeight(const RingLayout& layout, int k)
{
    double sinSum = 0.0;
    for (int j = 0; j < layout.rings(); ++j)
        sinSum += std::sin(layout.ringCentre(j));
    const double t = layout.ringCentre(k);
    return 2.0 * std::cos(t) * std::sin(t) / sinSum;
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

TEST(FloorBound, OneRingWorkedByHand)
{
    // One ring to 90 degrees: t = 45 degrees, le = 2 cos t (-ln gf).
    const RingWeights weights(RingLayout(1, 2, std::numbers::pi / 2.0));
    const std::vector<double> none{0.0}, share{0.01};
    const auto bound = leBound(weights, none, share);
    ASSERT_TRUE(bound.has_value());
    EXPECT_NEAR(bound->atLeast, std::sqrt(2.0) * std::log(100.0), 1e-12);
    EXPECT_EQ(bound->empty, (std::vector<EmptyCell>{{0, -1}}));
    EXPECT_FALSE(leBound(weights, std::vector<double>{0.2}, share).has_value());
    // L: sector 2 of the ring has no gap, sector 1 half; mean of ln 2 and ln 100.
    const auto l = lBound(weights, std::vector<double>{0.5, 0.0}, std::vector<double>{0.02, 0.01}, 2);
    ASSERT_TRUE(l.has_value());
    EXPECT_NEAR(l->atLeast, std::sqrt(2.0) * (std::log(2.0) + std::log(100.0)) / 2.0, 1e-12);
    EXPECT_EQ(l->empty, (std::vector<EmptyCell>{{0, 1}}));
}

// A ring the photo does not show (a photo of one pixel, say) leaves le
// undefined: no bound, never "at least nan".
TEST(FloorBound, NoBoundWhereARingIsNotShown)
{
    const RingWeights weights(RingLayout(2, 1, std::numbers::pi / 2.0));
    const std::vector<double> gap{0.0, NAN}, share{0.01, NAN};
    EXPECT_FALSE(leBound(weights, gap, share).has_value());
    EXPECT_FALSE(lBound(weights, gap, share, 1).has_value());
    // A one-pixel photo, all canopy: saturated, its le and bounds absent.
    const ProjectionRecord record = test::fisheye(kEquidistant, 0.5, 0.5, 0.47);
    const uint32_t pixel = 0xff203010u;
    const PixelFigures f = measurePixels({&pixel, 1, 1, 1}, record, nullptr, {});
    ASSERT_EQ(f.status, PixelStatus::Ok);
    EXPECT_FALSE(f.leBound.has_value());
    EXPECT_FALSE(f.lBound.has_value());
}

TEST(FloorBound, DotsOfARingWithoutSky)
{
    const CanopySettings settings; // 5 rings to 75 degrees
    const auto sky = dotSky(kEquisolidangle);
    ASSERT_TRUE(sky.has_value());
    const RingLayout layout = RingLayout::of(settings);
    DotGaps gaps{};
    for (std::size_t n = 1; n <= kDotCount; ++n)
        gaps[n] = layout.ringOf(sky->cosZenith[n]) != 1;
    const DotFigures f = measureDots(gaps, kEquisolidangle, settings);
    ASSERT_TRUE(f.saturated && f.le && f.leBound);
    EXPECT_EQ(f.leBound->empty, (std::vector<EmptyCell>{{1, -1}}));
    // Every other ring all sky: only ring 2 adds, its weight times -ln 1/n.
    const double w = millerWeight(layout, 1);
    EXPECT_NEAR(f.leBound->atLeast, w * std::log(double(f.ringDots[1])), 1e-12);
    EXPECT_NEAR(f.le->value, w * 10.0, 1e-12); // the floor
    EXPECT_FALSE(measureDots(DotGaps{}, kPerspective, settings).leBound.has_value());
}

TEST(FloorBound, PixelsOfARingWithoutSky)
{
    const ProjectionRecord record = test::fisheye(kEquidistant, 150.0, 150.0, 140.0);
    // No patch between 14 and 31 degrees: ring 2 (15 to 30) is all canopy.
    const test::Photo photo = test::render(test::patchScene(11, 14.0, 31.0), record, 300, 300);
    const CanopySettings settings{.method = ThresholdMethod::Fixed, .fixedThreshold = 127};
    const PixelFigures f = measurePixels(photo.view(), record, nullptr, settings);
    ASSERT_EQ(f.status, PixelStatus::Ok);
    ASSERT_TRUE(f.saturated && f.leBound && f.lBound);
    EXPECT_EQ(f.leBound->empty.size(), 1u);
    EXPECT_EQ(f.leBound->empty[0], (EmptyCell{1, -1}));
    std::size_t inRing2 = 0;
    for (const EmptyCell& cell : f.lBound->empty)
        inRing2 += cell.ring == 1;
    EXPECT_EQ(inRing2, std::size_t(settings.sectors));
    // Ring 2 counted at one over its pixels instead of exp(-10).
    const RingLayout layout = RingLayout::of(settings);
    const auto map = sharedSkyMap(record, test::idealModel(record), 300, 300, layout);
    double pixels = 0.0;
    for (const uint16_t bin : map->bins())
        pixels += bin / settings.sectors == 1;
    const double w = millerWeight(layout, 1);
    EXPECT_GT(pixels, 1000.0);
    EXPECT_NEAR(f.leBound->atLeast, f.le - w * (10.0 - std::log(pixels)), 1e-9);
    EXPECT_LT(f.lBound->atLeast, f.l);
    // The whole hemisphere, weighted, but for the pixels across the rim,
    // which are read by their inside and so left out of the threshold's
    // histogram.
    double total = 0.0, rim = 0.0;
    for (const double v : f.histogram)
        total += v;
    for (const SkyMap::RimPixel& p : map->rimPixels()) {
        const SkyMap::Row& row = map->rows()[p.row];
        rim += map->weights()[row.firstWeight + std::size_t(p.x - row.x0)];
    }
    EXPECT_GT(rim, 0.01);
    EXPECT_NEAR(total + rim, 2.0 * std::numbers::pi, 1e-3);
}

} // namespace
} // namespace karwen::canopy
