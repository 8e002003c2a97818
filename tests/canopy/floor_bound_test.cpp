// A ring or sector without sky gives a bound, not a value: worked by hand
// for one ring, then from the dots and from the pixels of a sky whose
// second ring holds no gap.
#include "floor_bound.h"

#include "dot_figures.h"
#include "dot_sky.h"
#include "pixel_figures.h"
#include "projection_model.h"
#include "sky_map.h"
#include "synthetic_sky.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace karwen::canopy {
namespace {

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
    // Every other ring all sky: only ring 2 adds, 2 cos t sin t / sum sin t_j (-ln 1/n).
    double sinSum = 0.0;
    for (int k = 0; k < layout.rings(); ++k)
        sinSum += std::sin(layout.ringCentre(k));
    const double t = layout.ringCentre(1);
    const double w = 2.0 * std::cos(t) * std::sin(t) / sinSum;
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
    const PixelFigures f = measurePixels(photo.view(), record, settings);
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
    const auto map = sharedSkyMap(record, 300, 300, layout);
    double pixels = 0.0;
    for (const uint16_t bin : map->bins())
        pixels += bin / settings.sectors == 1;
    double sinSum = 0.0;
    for (int k = 0; k < layout.rings(); ++k)
        sinSum += std::sin(layout.ringCentre(k));
    const double t = layout.ringCentre(1);
    const double w = 2.0 * std::cos(t) * std::sin(t) / sinSum;
    EXPECT_GT(pixels, 1000.0);
    EXPECT_NEAR(f.leBound->atLeast, f.le - w * (10.0 - std::log(pixels)), 1e-9);
    EXPECT_LT(f.lBound->atLeast, f.l);
    double total = 0.0;
    for (const double v : f.histogram)
        total += v;
    EXPECT_NEAR(total, 2.0 * std::numbers::pi, 0.01); // the whole hemisphere, weighted
}

} // namespace
} // namespace karwen::canopy
