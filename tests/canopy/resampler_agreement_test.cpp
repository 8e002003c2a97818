// The direction conventions against the imaging library's resampler: a
// photo taken off the view direction, tilted and off-centre, is converted
// by RixSDeform into an equidistant view looking along the view direction.
// If zenith, azimuth, tilt and view angles meant anything different here,
// the sectors of the converted view would not hold the scene's gaps.
#include "pixel_figures.h"

#include "projection_model.h"
#include "rix.h"
#include "synthetic_sky.h"
#include "test_image.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace karwen::canopy {
namespace {

TEST(ResamplerAgreement, ConvertedViewHoldsTheSameSky)
{
    constexpr int kSide = 1000;
    const CanopySettings settings;
    const test::Scene scene = test::patchScene(23);
    const test::Truth truth = test::truthOf(scene, settings.rings, settings.maxZenithDeg, settings.sectors);
    const ProjectionRecord src = test::fisheye(kEquisolidangle, 490, 505, 478, 8, -6, 30);
    const test::Photo photo = test::render(scene, src, kSide, kSide);

    const int32_t hSrc = RixCreate(kSide, kSide), hDst = RixCreate(kSide, kSide);
    ASSERT_GT(hSrc, 0);
    ASSERT_GT(hDst, 0);
    const karwen::test::ImagePixels source(hSrc);
    for (int y = 0; y < kSide; ++y)
        std::copy_n(photo.view().row(y), kSide, source.row(y));
    const ProjectionRecord dst = test::fisheye(kEquidistant, 500, 500, 480);
    ASSERT_EQ(RixSDeform(hSrc, hDst, &src, &dst, 0), 1);
    const PixelFigures f = measurePixels(pixelViewOf(hDst).value(), dst, settings);
    RixDestroy(hSrc);
    RixDestroy(hDst);

    ASSERT_EQ(f.status, PixelStatus::Ok);
    for (std::size_t b = 0; b < truth.sectorGap.size(); ++b)
        EXPECT_NEAR(f.sectorGap[b], truth.sectorGap[b], 0.03) << "ring x sector " << b;
    for (std::size_t k = 0; k < truth.ringGap.size(); ++k)
        EXPECT_NEAR(f.ringGap[k], truth.ringGap[k], 0.015) << "ring " << k;
    // The lune behind the camera is black in the converted view and counts
    // as canopy there, so openness is a share of the whole hemisphere.
    EXPECT_NEAR(f.openness, truth.openness, 0.01);
}

} // namespace
} // namespace karwen::canopy
