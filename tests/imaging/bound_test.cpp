// RixBound on synthetic fisheye images with known circles (the real
// photographs are in the circle suite, which loads each once for both).
#include "codec_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <numbers>
#include <string>

namespace {

using codec_test::OwnedImage;

// An image from a grey-level function of (x, y), y counted from the
// bottom, sampled at each pixel's centre and slightly tinted.
template <class F> OwnedImage makeImage(int32_t w, int32_t h, F level)
{
    return OwnedImage(w, h, [&](int x, int y) {
        const auto v = uint8_t(std::clamp(std::lround(level(x + 0.5, y + 0.5)), 0L, 255L));
        return rix::packRgb(v, uint8_t(v * 0.9), uint8_t(std::min(255, v + 20)));
    });
}

// Canopy-like content: bright sky with dark radial branches and blotches.
double canopy(double dx, double dy)
{
    const double angle = std::atan2(dy, dx);
    const double branches = std::sin(angle * 11) > 0.85 ? 0.35 : 1.0;
    const double blotch = 0.75 + 0.25 * std::sin(dx * 0.07) * std::cos(dy * 0.05);
    return 200 * branches * blotch;
}

std::array<int32_t, 4> sides(const RixRect& box) { return {box.Left, box.Top, box.Right, box.Bottom}; }

struct Disc {
    double cx, cy, r;
};

struct Scene {
    double background = 0;
    double noise = 0;     // amplitude of blocky JPEG-like noise outside the disc
    double rimDim = 0;    // share of the radius over which content fades
    double rimFloor = 0;  // level the faded content reaches at the rim
    double rimHidden = 0; // share of the radius that is black at the rim
    int rimBands = 0;     // angles at which content still reaches the rim
    bool cornerText = false;
};

double sceneLevel(const Disc& d, const Scene& s, double x, double y)
{
    const double dx = x - d.cx, dy = y - d.cy;
    const double rho = std::hypot(dx, dy) / d.r;
    // Deterministic noise per 8 x 8 block plus a pixel-level ripple.
    const auto bx = int64_t(x) / 8, by = int64_t(y) / 8;
    const double blockNoise = std::sin(double(bx * 7919 + by * 104729) * 0.61803) * s.noise;
    const double pixelNoise = std::sin(x * 12.9898 + y * 78.233) * s.noise * 0.5;
    if (rho > 1) {
        const bool text = s.cornerText && x < 70 && y > d.cy + d.r * 0.9 && int(x) % 5 < 3 && int(y) % 7 < 4;
        return text ? 230 : s.background + blockNoise + pixelNoise;
    }
    double v = canopy(dx, dy);
    if (s.rimDim > 0 && rho > 1 - s.rimDim) {
        const double t = (rho - (1 - s.rimDim)) / s.rimDim;
        const bool band = s.rimBands > 0
            && std::cos(std::atan2(dy, dx) * s.rimBands) > std::cos(std::numbers::pi / 18 * s.rimBands);
        if (!band)
            v = v * (1 - t) + s.rimFloor * t;
    }
    if (rho > 1 - s.rimHidden) {
        const bool band = std::cos(std::atan2(dy, dx) * s.rimBands) > std::cos(std::numbers::pi / 18 * s.rimBands);
        if (!band)
            v = 0;
    }
    return s.background + v;
}

struct BoundCase {
    const char* name;
    int32_t w, h;
    Disc disc;
    Scene scene;
    double centreTolerance, radiusTolerance;
};

std::ostream& operator<<(std::ostream& os, const BoundCase& c) { return os << c.name; }

class BoundSynthetic : public ::testing::TestWithParam<BoundCase> { };

// The box must be the circle's box clamped to the image.
TEST_P(BoundSynthetic, FindsTheCircle)
{
    const BoundCase c = GetParam();
    const OwnedImage image = makeImage(c.w, c.h, [&](double x, double y) { return sceneLevel(c.disc, c.scene, x, y); });
    RixRect box{};
    ASSERT_EQ(RixBound(image.id(), &box), 1) << RixLastError();
    const double tolC = c.centreTolerance, tolR = c.radiusTolerance;
    const Disc& d = c.disc;
    EXPECT_NEAR(box.Left, std::max(0.0, d.cx - d.r), tolC + tolR);
    EXPECT_NEAR(box.Right, std::min(double(c.w), d.cx + d.r), tolC + tolR);
    EXPECT_NEAR(box.Top, std::max(0.0, d.cy - d.r), tolC + tolR);
    EXPECT_NEAR(box.Bottom, std::min(double(c.h), d.cy + d.r), tolC + tolR);
    if (d.cx - d.r >= 0 && d.cx + d.r <= c.w && d.cy - d.r >= 0 && d.cy + d.r <= c.h) {
        EXPECT_NEAR((box.Left + box.Right) / 2.0, d.cx, tolC);
        EXPECT_NEAR((box.Top + box.Bottom) / 2.0, d.cy, tolC);
        EXPECT_NEAR((box.Right - box.Left) / 2.0, d.r, tolR);
        EXPECT_NEAR((box.Bottom - box.Top) / 2.0, d.r, tolR);
    }
}

INSTANTIATE_TEST_SUITE_P(BoundCircles, BoundSynthetic,
    ::testing::Values(BoundCase{"centred", 640, 480, {320, 240, 220}, {}, 1.5, 2},
        BoundCase{"off_centre_noisy", 800, 600, {300, 330, 180}, {.background = 14, .noise = 6}, 2, 3},
        BoundCase{"touching_left_edge", 900, 600, {250, 300, 250}, {.background = 5, .noise = 3}, 2, 3},
        BoundCase{"cut_top_and_bottom", 800, 600, {400, 300, 340}, {}, 2, 3},
        BoundCase{"cut_off_centre", 1000, 700, {560, 330, 400}, {.background = 8, .noise = 4}, 3, 4},
        BoundCase{"vignetted_rim", 700, 700, {345, 360, 300}, {.rimDim = 0.3, .rimFloor = 40}, 2, 3},
        BoundCase{"near_black_rim", 700, 700, {360, 340, 300}, {.rimDim = 0.35, .rimFloor = 5}, 3, 4},
        BoundCase{
            "dark_rim_with_bands", 1200, 900, {610, 440, 400}, {.rimDim = 0.12, .rimFloor = 0, .rimBands = 5}, 3, 4},
        // Only five 20-degree bands reach the rim; elsewhere the outer tenth
        // of the radius is black, as under a dense canopy.
        BoundCase{"hidden_rim_with_bands", 1200, 900, {590, 460, 400}, {.rimHidden = 0.1, .rimBands = 5}, 5, 8},
        BoundCase{"text_in_corner", 520, 500, {262, 248, 238}, {.cornerText = true}, 2, 3},
        BoundCase{"large_blocks", 4000, 3000, {2010, 1480, 1420}, {.background = 3, .noise = 2}, 6, 8}),
    [](const ::testing::TestParamInfo<BoundCase>& test) { return std::string(test.param.name); });

// No dark surround, no contrast at all, and images too small to hold a
// circle: the whole image is the content.
TEST(Bound, WholeImageWhenThereIsNoCircle)
{
    struct Case {
        const char* name;
        int32_t w, h;
        std::function<double(double, double)> level;
    };
    const Case cases[] = {
        {"textured_full_frame", 640, 480, [](double x, double y) { return 60 + canopy(x - 300, y - 200) * 0.8; }},
        {"all_black", 320, 240, [](double, double) { return 0.0; }},
        {"uniform_grey", 320, 240, [](double, double) { return 128.0; }},
        {"faint_gradient", 320, 240, [](double x, double) { return x / 320.0 * 5; }},
        {"one_pixel", 1, 1, [](double, double) { return 200.0; }},
        {"tiny", 3, 2, [](double x, double) { return x > 1 ? 255.0 : 0.0; }},
        {"seven_square", 7, 7, [](double x, double y) { return std::hypot(x - 3.5, y - 3.5) < 3 ? 200.0 : 0.0; }},
    };
    for (const Case& c : cases) {
        RixRect box{-1, -1, -1, -1};
        ASSERT_EQ(RixBound(makeImage(c.w, c.h, c.level).id(), &box), 1) << c.name;
        EXPECT_EQ(sides(box), (std::array{0, 0, c.w, c.h})) << c.name;
    }
}

// Small images with a circle give a box inside the image around it.
TEST(Bound, SmallImagesGiveABoxInside)
{
    for (const int32_t side : {8, 12, 16, 24, 40}) {
        const double r = side * 0.4;
        const OwnedImage image = makeImage(side, side,
            [&](double x, double y) { return std::hypot(x - side / 2.0, y - side / 2.0) < r ? 180.0 : 0.0; });
        RixRect box{};
        ASSERT_EQ(RixBound(image.id(), &box), 1);
        EXPECT_TRUE(0 <= box.Left && box.Left < box.Right && box.Right <= side)
            << side << ": " << box.Left << ", " << box.Right;
        EXPECT_TRUE(0 <= box.Top && box.Top < box.Bottom && box.Bottom <= side)
            << side << ": " << box.Top << ", " << box.Bottom;
        EXPECT_NEAR((box.Left + box.Right) / 2.0, side / 2.0, 1.5) << side;
    }
}

TEST(Bound, RefusesBadArguments)
{
    const OwnedImage image(16, 16);
    RixRect box{};
    EXPECT_EQ(RixBound(image.id(), nullptr), 0);
    EXPECT_EQ(RixBound(0, &box), 0);
    EXPECT_EQ(RixBound(-1, &box), 0);
    EXPECT_EQ(RixBound(424242, &box), 0);
    EXPECT_STRNE(RixLastError(), "");
}

} // namespace
