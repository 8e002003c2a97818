// Reading the dots from a destination image: the pixel under each dot as
// the view places it, image rows counted from the bottom.
#include "dot_gaps.h"

#include "dot_placement.h"
#include "pixel_view.h"
#include "projection_model.h"
#include "synthetic_sky.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace karwen::canopy {
namespace {

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

} // namespace
} // namespace karwen::canopy
