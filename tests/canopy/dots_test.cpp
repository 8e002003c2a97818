// Dot figures: what each dot stands for in every projection, the interval
// rules on hand-worked cases, the dots off the photo, the dots read from a
// destination image (with or without making it), and the coverage of the
// 95 % intervals over random skies whose exact figures are known (small
// gaps, narrower than the dot spacing of about 4.5 degrees, and large ones,
// at openness about 0.02, 0.2 and 0.6).
#include "canopy_indices.h"
#include "dot_figures.h"
#include "dot_gaps.h"
#include "dot_placement.h"
#include "dot_sky.h"
#include "pixel_view.h"
#include "projection_model.h"
#include "synthetic_sky.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

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

constexpr int kSide = 600;

// Sky (blue 255) where the pattern says so, canopy (blue 0) elsewhere.
template <class Pattern> std::vector<uint32_t> paint(Pattern sky)
{
    std::vector<uint32_t> pixels(std::size_t(kSide) * kSide);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
            pixels[std::size_t(y) * kSide + std::size_t(x)] = sky(x, y) ? 0xff0000ffu : 0xff000000u;
    return pixels;
}

int gapCount(const DotReading& reading) { return int(std::count(reading.gaps.begin() + 1, reading.gaps.end(), true)); }

CanopySettings plain() { return {.gamma = 1.0}; }

// Dot n of ring i, k-th in its ring, lies at angle (k + 0.5) 2 pi / dots
// counter-clockwise from the x axis (y up), radius R * RingRadius[i].
TEST(DotGaps, ReadsThePixelUnderEveryDot)
{
    const ProjectionRecord dst = test::fisheye(kEquidistant, 300.25, 299.75, 280);
    const auto scattered = [](int x, int y) { return (x * 7 + y * 13) % 5 < 2; };
    const std::vector<uint32_t> pixels = paint(scattered);
    const auto reading = classifyDots({pixels.data(), kSide, kSide, kSide}, dst, plain(), 127);
    ASSERT_TRUE(reading.has_value());
    EXPECT_EQ(reading->outside(), 0);
    std::size_t n = 0;
    for (int i = 0; i < kRingCount; ++i) {
        const int dots = RingDots[static_cast<std::size_t>(i)];
        const double r = dst.R * RingRadius[static_cast<std::size_t>(i)];
        for (int k = 1; k <= dots; ++k) {
            ++n;
            const double a = (k + 0.5) * 2.0 * 3.141593 / dots;
            const int x = int(std::floor(dst.Cx + r * std::cos(a)));
            const int y = int(std::floor(dst.Cy + r * std::sin(a)));
            EXPECT_EQ(reading->gaps[n], scattered(x, y)) << "dot " << n;
        }
    }
}

TEST(DotGaps, DotsOffTheImageAndBadInput)
{
    // A circle centred on the left edge: the left half of the dots is off.
    const ProjectionRecord dst = test::fisheye(kEquidistant, 0.0, 300.5, 280);
    const std::vector<uint32_t> pixels = paint([](int, int) { return true; });
    const PixelView view{pixels.data(), kSide, kSide, kSide};
    const auto reading = classifyDots(view, dst, plain(), 127);
    ASSERT_TRUE(reading.has_value());
    EXPECT_EQ(gapCount(*reading) + reading->outside(), kDotCount);
    EXPECT_NEAR(reading->outside(), kDotCount / 2, 10);
    EXPECT_FALSE(classifyDots(view, dst, plain(), 256).has_value());
    EXPECT_FALSE(classifyDots({pixels.data(), kSide, kSide, kSide - 1}, dst, plain(), 127).has_value());
}

// A circle cut by the photo's left edge: the dots whose point falls left of
// the photo are outside, whether the view is made or not, and the rest read
// the sky they see. Source and view share the projection and the radius, so
// the view shows the photo shifted and the dots off the photo are those
// left of 100 pixels from the view's centre.
TEST(DotGaps, DotsOffThePhotoAreNotRead)
{
    const test::RixImage photoImage(test::Photo{kSide, kSide, paint([](int, int) { return true; })}); // all sky
    const test::RixImage viewImage(kSide, kSide);
    const int32_t photo = photoImage.handle(), view = viewImage.handle();
    ASSERT_GT(photo, 0);
    const ProjectionRecord source = test::fisheye(kEquidistant, 100.0, 300.0, 280);
    const ProjectionRecord dst = test::fisheye(kEquidistant, 300.0, 300.0, 280);
    std::array<float, kDotCount + 1> x{}, y{};
    computeDotPositions({300.0, 300.0, 280.0}, {1.0f, 0, 0, kSide}, x, y);
    int offPhoto = 0;
    for (std::size_t n = 1; n <= kDotCount; ++n)
        offPhoto += std::floor(x[n]) + 0.5 < 200.0;

    ASSERT_EQ(RixSDeform(photo, view, &source, &dst, 0), 1);
    const auto made = classifyDots(*pixelViewOf(view), dst, *photoSideOf(photo, source), plain(), 127);
    const auto unmade = classifyDotsOf(photo, source, nullptr, dst, kSide, kSide, plain(), 127);
    const auto mask = dotsOffPhoto(*photoSideOf(photo, source), dst, kSide, kSide);
    ASSERT_TRUE(made && unmade && mask);
    EXPECT_GT(offPhoto, 200);
    EXPECT_EQ(made->outside(), offPhoto);
    EXPECT_EQ(unmade->outsideDots, made->outsideDots);
    EXPECT_EQ(*mask, made->outsideDots);
    EXPECT_EQ(gapCount(*made), int(kDotCount) - offPhoto); // every dot that sees the photo sees sky
    // Read as if the view were the photo, the dots off it are canopy.
    const auto asPhoto = classifyDots(*pixelViewOf(view), dst, plain(), 127);
    EXPECT_EQ(asPhoto->outside(), 0);
    EXPECT_LT(measureDots(asPhoto->gaps, dst.Proj, plain()).openness.value, 0.8);
    // Sides the conversion cannot have.
    EXPECT_FALSE(dotsOffPhoto({source, 0, kSide, std::nullopt}, dst, kSide, kSide).has_value());
    EXPECT_FALSE(dotsOffPhoto(*photoSideOf(photo, source), dst, kSide, 0).has_value());
    EXPECT_FALSE(photoSideOf(-1, source).has_value());
}

// Reading the dots without making the view gives exactly the reading of the
// made view: a photo of fine noise, so that a dot read one pixel off would
// show, seen through an axial and a tilted source, into views that hold
// the whole circle or only part of it.
TEST(DotGaps, ReadingWithoutTheViewEqualsReadingTheView)
{
    test::Photo noise{700, 500, std::vector<uint32_t>(700 * 500)};
    uint32_t state = 12345u;
    for (uint32_t& pixel : noise.pixels) {
        state = state * 1664525u + 1013904223u;
        pixel = 0xff000000u | (state >> 8);
    }
    const test::RixImage photoImage(noise), viewImage(kSide, kSide);
    const int32_t photo = photoImage.handle(), view = viewImage.handle();
    ASSERT_GT(photo, 0);
    struct Case {
        ProjectionRecord source, view;
    };
    const Case cases[] = {
        {test::fisheye(kEquidistant, 350, 250, 240), test::fisheye(kEquisolidangle, 300, 300, 300)},
        {test::fisheye(kEquisolidangle, 340.5, 260.25, 230, 8, -5, 20),
            test::fisheye(kEquidistant, 300.25, 299.75, 280)},
        {test::fisheye(kOrthographic, 350, 250, 245), test::fisheye(kStereographic, 0.0, 300.5, 280)},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(RixSDeform(photo, view, &c.source, &c.view, 0), 1);
        const auto made = classifyDots(*pixelViewOf(view), c.view, *photoSideOf(photo, c.source), plain(), 127);
        const auto unmade = classifyDotsOf(photo, c.source, nullptr, c.view, kSide, kSide, plain(), 127);
        ASSERT_TRUE(made.has_value());
        ASSERT_TRUE(unmade.has_value());
        EXPECT_EQ(unmade->gaps, made->gaps);
        EXPECT_EQ(unmade->outside(), made->outside());
        EXPECT_EQ(unmade->outsideDots, made->outsideDots);
        const int gaps = gapCount(*made);
        EXPECT_GT(gaps, 100); // the noise reads both ways
        EXPECT_LT(gaps + made->outside(), int(kDotCount) - 100);
    }
    EXPECT_FALSE(
        classifyDotsOf(photo, cases[0].source, nullptr, cases[0].view, kSide, kSide, plain(), 256).has_value());
    EXPECT_FALSE(classifyDotsOf(photo, cases[0].source, nullptr, cases[0].view, 0, kSide, plain(), 127).has_value());
    EXPECT_FALSE(classifyDotsOf(-1, cases[0].source, nullptr, cases[0].view, kSide, kSide, plain(), 127).has_value());
}

constexpr double kDeg = kPi / 180.0;
constexpr int kScenes = 200;

// The dots' directions on the sky of a fisheye destination: zenith from the
// dot's ring, azimuth from where the dot lies around the circle.
struct DotDirections {
    std::array<double, kDotCount + 1> x{}, y{}, z{};
};

DotDirections dotDirections(int32_t projection)
{
    std::array<float, kDotCount + 1> px{}, py{};
    computeDotPositions({0.0, 0.0, 1.0}, {1.0f, 0, 0, 0}, px, py); // view y counts down
    const DotSky sky = *dotSky(projection);
    DotDirections d;
    for (std::size_t n = 1; n <= kDotCount; ++n) {
        const double a = std::atan2(-double(py[n]), double(px[n]));
        const double s = std::sqrt(1.0 - sky.cosZenith[n] * sky.cosZenith[n]);
        d.x[n] = s * std::cos(a);
        d.y[n] = s * std::sin(a);
        d.z[n] = sky.cosZenith[n];
    }
    return d;
}

TEST(DotScenes, CapSolidAnglesWorkedInClosedForm)
{
    const test::Cap tilted{std::sin(40 * kDeg), 0.0, std::cos(40 * kDeg), 15 * kDeg, std::cos(15 * kDeg)};
    const test::Scene one{{}, {tilted}, true};
    EXPECT_NEAR(one.gapSolidAngle(0.0, kPi / 2.0), 2.0 * kPi * (1.0 - std::cos(15 * kDeg)), 1e-9);
    // A cap on the zenith fills the bands inside its radius.
    const test::Cap zenith{0.0, 0.0, 1.0, 20 * kDeg, std::cos(20 * kDeg)};
    const test::Scene top{{}, {zenith}, false};
    EXPECT_NEAR(top.gapSolidAngle(10 * kDeg, 30 * kDeg), 2.0 * kPi * (std::cos(20 * kDeg) - std::cos(30 * kDeg)), 1e-9);
    // A cap centred on the horizon is half above it.
    const test::Cap horizon{1.0, 0.0, 0.0, 10 * kDeg, std::cos(10 * kDeg)};
    EXPECT_NEAR(
        (test::Scene{{}, {horizon}, true}.gapSolidAngle(0.0, kPi / 2.0)), kPi * (1.0 - std::cos(10 * kDeg)), 1e-9);
    // Split at 45 degrees, the two parts add up.
    EXPECT_NEAR(one.gapSolidAngle(0.0, 45 * kDeg) + one.gapSolidAngle(45 * kDeg, kPi / 2.0),
        one.gapSolidAngle(0.0, kPi / 2.0), 1e-9);
}

struct CoverageCase {
    const char* name;
    test::CapSkyKind kind;
};

const CoverageCase kCases[] = {
    {"small gaps, openness 0.02", {0.02, 1.0, 3.0, true}},
    {"small gaps, openness 0.2", {0.2, 1.0, 3.0, true}},
    {"small gaps, openness 0.6", {0.4, 1.0, 3.0, false}},
    {"large gaps, openness 0.02", {0.02, 5.0, 10.0, true}},
    {"large gaps, openness 0.2", {0.2, 10.0, 25.0, true}},
    {"large gaps, openness 0.6", {0.4, 10.0, 25.0, false}},
};

class DotCoverage : public ::testing::TestWithParam<CoverageCase> { };

TEST_P(DotCoverage, BothIntervalsHoldTheTruth)
{
    const CanopySettings settings;
    const RingLayout layout = RingLayout::of(settings);
    const RingWeights weights(layout);
    int openHeld = 0, leHeld = 0;
    for (int scene = 0; scene < kScenes; ++scene) {
        const int32_t projection = scene % 4;
        const DotDirections dots = dotDirections(projection);
        const test::Scene sky = test::capSky(7919u * uint64_t(scene) + 17u, GetParam().kind);
        DotGaps gaps{};
        for (std::size_t n = 1; n <= kDotCount; ++n)
            gaps[n] = sky.sky(dots.x[n], dots.y[n], dots.z[n]);
        const DotFigures f = measureDots(gaps, projection, settings);
        ASSERT_EQ(f.status, DotStatus::Ok);
        ASSERT_TRUE(f.le.has_value());

        const double trueOpenness = sky.gapSolidAngle(0.0, kPi / 2.0) / (2.0 * kPi);
        std::vector<double> ringGap;
        for (int k = 0; k < layout.rings(); ++k) {
            const double t0 = k * layout.ringWidth(), t1 = t0 + layout.ringWidth();
            ringGap.push_back(sky.gapSolidAngle(t0, t1) / (2.0 * kPi * (std::cos(t0) - std::cos(t1))));
        }
        bool saturated = false;
        const double trueLe = weights.le(ringGap, saturated);
        openHeld += f.openness.lo <= trueOpenness && trueOpenness <= f.openness.hi;
        leHeld += f.le->lo <= trueLe && trueLe <= f.le->hi;
        EXPECT_LE(f.le->lo, f.le->value);
        EXPECT_GE(f.le->hi, f.le->value);
        if (scene % 20 == 0) { // the bootstrap draws the same numbers on every call
            const DotFigures again = measureDots(gaps, projection, settings);
            EXPECT_EQ(again.le->lo, f.le->lo);
            EXPECT_EQ(again.le->hi, f.le->hi);
        }
    }
    const double openCoverage = double(openHeld) / kScenes, leCoverage = double(leHeld) / kScenes;
    EXPECT_GE(openCoverage, 0.90);
    EXPECT_GE(leCoverage, 0.90);
}

INSTANTIATE_TEST_SUITE_P(RandomSkies, DotCoverage, ::testing::ValuesIn(kCases));

} // namespace
} // namespace karwen::canopy
