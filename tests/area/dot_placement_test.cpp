#include "dot_placement.h"

#include "area_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace karwen;
using karwen::test::AreaTest;

namespace {

// Ring and position within the ring of every dot, 1-based.
std::vector<std::pair<int, int>> ringOfDots()
{
    std::vector<std::pair<int, int>> rings(1);
    for (int i = 0; i < kRingCount; ++i)
        for (int k = 1; k <= RingDots[static_cast<std::size_t>(i)]; ++k)
            rings.emplace_back(i, k);
    return rings;
}

// Where dot n is drawn.
PlanePoint dot(int n) { return {DotX[static_cast<std::size_t>(n)], DotY[static_cast<std::size_t>(n)]}; }

} // namespace

using DotPlacement = AreaTest;

TEST_F(DotPlacement, WorkedValuesAtZoomTwoWithScroll)
{
    DotX[0] = -7.0f;
    const AreaCircle circle{300.0, 200.0, 100.0};
    const ViewMapping view{2.0f, 50, -20, 600};
    ASSERT_TRUE(positionAreaDots(circle, view));
    EXPECT_FLOAT_EQ(DotX[1], 500.0f); // (300 - 50) * 2
    EXPECT_FLOAT_EQ(DotY[1], 160.0f); // (-20 - 200) * 2 + 600
    EXPECT_EQ(DotX[0], -7.0f);        // dot 0 is never placed
    // Ring 1 starts one and a half steps counter-clockwise from the right:
    // 135, 225, 315, 45 degrees, on screen with y pointing down.
    const double r = 100.0 * 0.054772256 * 2.0;
    const double degrees[] = {135.0, 225.0, 315.0, 45.0};
    for (int k = 0; k < 4; ++k) {
        const double a = degrees[k] * M_PI / 180.0;
        EXPECT_NEAR(dot(2 + k).x, 500.0 + r * std::cos(a), 1e-4) << k;
        EXPECT_NEAR(dot(2 + k).y, 160.0 - r * std::sin(a), 1e-4) << k;
    }
}

TEST_F(DotPlacement, DotsLieOnTheirRingsEvenlySpaced)
{
    const AreaCircle circle{256.0, 256.0, 256.0};
    const ViewMapping view{1.0f, 0, 0, 512};
    ASSERT_TRUE(positionAreaDots(circle, view));
    const auto rings = ringOfDots();
    ASSERT_EQ(rings.size(), 1001u);
    for (int n = 1; n <= kDotCount; ++n) {
        const auto [ring, k] = rings[static_cast<std::size_t>(n)];
        const double dx = dot(n).x - 256.0, dy = 256.0 - dot(n).y;
        const double radius = 256.0 * RingRadius[static_cast<std::size_t>(ring)];
        EXPECT_NEAR(std::hypot(dx, dy), radius, 2e-4) << n;
        if (ring == 0)
            continue;
        const double step = 360.0 / RingDots[static_cast<std::size_t>(ring)];
        double angle = std::atan2(dy, dx) * 180.0 / M_PI;
        const double expected = std::fmod((k + 0.5) * step, 360.0);
        double diff = std::fmod(angle - expected + 540.0, 360.0) - 180.0;
        EXPECT_NEAR(diff, 0.0, 1e-3) << n;
    }
}

// Zoom and scroll move the pattern with the picture: every dot stays on the
// same image pixel.
struct ViewCase {
    float scale;
    int32_t x0;
    int32_t y0;
    int32_t pictureH;
};

class DotPlacementViews : public AreaTest, public ::testing::WithParamInterface<ViewCase> { };

TEST_P(DotPlacementViews, SameDotUnderSameImagePixel)
{
    const AreaCircle circle{640.5, 480.25, 470.0};
    ASSERT_TRUE(positionAreaDots(circle, {1.0f, 0, 0, 960}));
    std::vector<PlanePoint> reference;
    for (int n = 0; n <= kDotCount; ++n)
        reference.push_back(viewToImage({1.0f, 0, 0, 960}, dot(n)));

    const ViewCase c = GetParam();
    const ViewMapping view{c.scale, c.x0, c.y0, c.pictureH};
    ASSERT_TRUE(positionAreaDots(circle, view));
    for (int n = 1; n <= kDotCount; ++n) {
        const PlanePoint p = viewToImage(view, dot(n));
        EXPECT_NEAR(p.x, reference[static_cast<std::size_t>(n)].x, 2e-3) << n;
        EXPECT_NEAR(p.y, reference[static_cast<std::size_t>(n)].y, 2e-3) << n;
    }
}

INSTANTIATE_TEST_SUITE_P(ZoomAndScroll, DotPlacementViews,
    ::testing::Values(ViewCase{0.25f, 0, 0, 240}, ViewCase{0.5f, 0, 0, 480}, ViewCase{0.75f, -30, -12, 1024},
        ViewCase{1.5f, 200, 137, 700}, ViewCase{2.0f, 511, 3, 1024}, ViewCase{4.0f, 600, 400, 333},
        ViewCase{8.0f, 1000, 900, 1024}));

TEST_F(DotPlacement, NothingMovesWhileMeasurementIsOff)
{
    AreaOn = false;
    DotX[1] = 12.0f;
    DotY[1] = 34.0f;
    EXPECT_FALSE(positionAreaDots({256.0, 256.0, 256.0}, {1.0f, 0, 0, 512}));
    EXPECT_EQ(DotX[1], 12.0f);
    EXPECT_EQ(DotY[1], 34.0f);
}
