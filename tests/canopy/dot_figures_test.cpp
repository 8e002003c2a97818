// Dot figures: what each dot stands for in every projection, the interval
// rules on hand-worked cases, and the dots off the photo.
#include "dot_figures.h"

#include "dot_sky.h"
#include "projection_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace karwen::canopy {
namespace {

constexpr double kPi = std::numbers::pi;

struct ProjectionCase {
    int32_t proj;
    double (*zenith)(double rho); // the closed form, for reference only
};

const ProjectionCase kFisheyes[] = {
    {kOrthographic, [](double r) { return std::asin(r); }},
    {kEquisolidangle, [](double r) { return 2.0 * std::asin(r / std::sqrt(2.0)); }},
    {kEquidistant, [](double r) { return r * kPi / 2.0; }},
    {kStereographic, [](double r) { return 2.0 * std::atan(r); }},
};

class DotSkyPerProjection : public ::testing::TestWithParam<ProjectionCase> { };

TEST_P(DotSkyPerProjection, DotsShareTheHemisphereByTheirAnnuli)
{
    const auto sky = dotSky(GetParam().proj);
    ASSERT_TRUE(sky.has_value());
    double sum = 0.0, squares = 0.0;
    for (std::size_t n = 1; n <= kDotCount; ++n) {
        sum += sky->solidAngle[n];
        squares += sky->solidAngle[n] * sky->solidAngle[n];
    }
    EXPECT_NEAR(sum, 2.0 * kPi, 1e-12); // the outermost annulus ends at the rim
    // The centre dot owns the disc of radius^2 1/1000; the last dot sits on
    // ring 16 at radius 0.972882316.
    EXPECT_NEAR(sky->solidAngle[1], 2.0 * kPi * (1.0 - std::cos(GetParam().zenith(std::sqrt(0.001)))), 1e-6);
    EXPECT_NEAR(std::acos(sky->cosZenith[kDotCount]), GetParam().zenith(0.972882316), 1e-5);
    // Equal areas are equal solid angles only in the equisolid projection.
    const double effective = sum * sum / squares;
    if (GetParam().proj == kEquisolidangle)
        EXPECT_NEAR(effective, 1000.0, 0.01);
    else
        EXPECT_LT(effective, 990.0);
}

INSTANTIATE_TEST_SUITE_P(EveryFisheye, DotSkyPerProjection, ::testing::ValuesIn(kFisheyes));

TEST(DotFigures, WilsonIntervalsWorkedByHand)
{
    // 50 of 100: centre 0.5, half width 1.96 / 1.038416 * sqrt(0.0025 + 3.8416 / 40000).
    const Estimate half = wilsonInterval(0.5, 100.0);
    EXPECT_NEAR(half.lo, 0.403830, 1e-6);
    EXPECT_NEAR(half.hi, 0.596170, 1e-6);
    // None of 10: from 0 to z^2 / (n + z^2) = 3.8416 / 13.8416.
    const Estimate none = wilsonInterval(0.0, 10.0);
    EXPECT_NEAR(none.lo, 0.0, 1e-15);
    EXPECT_NEAR(none.hi, 0.277540, 1e-6);
}

TEST(DotFigures, OpenClosedAndUnavailable)
{
    const CanopySettings settings;
    DotGaps open{};
    open.fill(true);
    const DotFigures sky = measureDots(open, kEquidistant, settings);
    ASSERT_EQ(sky.status, DotStatus::Ok);
    EXPECT_EQ(sky.openness.value, 1.0);
    EXPECT_EQ(sky.openness.hi, 1.0);
    EXPECT_GT(sky.openness.lo, 0.99);
    // All sky: le is 0 and cannot be less; the dots cannot rule out some
    // foliage, so the interval reaches above it.
    ASSERT_TRUE(sky.le.has_value());
    EXPECT_EQ(sky.le->value, 0.0);
    EXPECT_EQ(sky.le->lo, 0.0);
    EXPECT_GT(sky.le->hi, 0.005);
    // No sky: le sits at the floor, which the dots cannot rule out either,
    // and a few gaps between the dots would bring it well below.
    const DotFigures closed = measureDots(DotGaps{}, kEquidistant, settings);
    EXPECT_EQ(closed.openness.value, 0.0);
    EXPECT_TRUE(closed.saturated);
    EXPECT_EQ(closed.le->hi, closed.le->value);
    EXPECT_LT(closed.le->lo, closed.le->value - 3.0);

    EXPECT_EQ(measureDots(open, kPerspective, settings).status, DotStatus::Unavailable);
    EXPECT_EQ(measureDots(open, kEquidistant, {.sectors = 0}).status, DotStatus::BadSettings);
    // Rings of half a degree out to 9 degrees: the dot rings skip most.
    EXPECT_FALSE(measureDots(open, kEquidistant, {.rings = 18, .maxZenithDeg = 9.0}).le.has_value());
}

// Dots off the photo are left out of both figures: every other dot off the
// photo, marked canopy, and the rest all sky still read as an open sky.
TEST(DotFigures, DotsOffThePhotoAreLeftOut)
{
    const CanopySettings settings;
    DotGaps gaps{};
    DotMask outside{};
    for (std::size_t n = 1; n <= kDotCount; ++n) {
        outside[n] = n % 2 == 1;
        gaps[n] = !outside[n];
    }
    const DotFigures f = measureDots(gaps, kEquisolidangle, settings, outside);
    ASSERT_EQ(f.status, DotStatus::Ok);
    EXPECT_EQ(f.outside, 500);
    EXPECT_NEAR(f.effectiveDots, 500.0, 0.01); // equal weights in the equisolid projection
    EXPECT_EQ(f.openness.value, 1.0);
    EXPECT_EQ(f.openness.lo, wilsonInterval(1.0, f.effectiveDots).lo);
    ASSERT_TRUE(f.le.has_value());
    EXPECT_EQ(f.le->value, 0.0);
    EXPECT_FALSE(f.saturated);

    DotMask all{};
    all.fill(true);
    EXPECT_EQ(measureDots(gaps, kEquisolidangle, settings, all).status, DotStatus::OffPhoto);
}

} // namespace
} // namespace karwen::canopy
