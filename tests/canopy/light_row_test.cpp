// A photo's light figures through its regions: a photo open only to the
// south at 50 N lets exactly half the diffuse light through and, with its
// north-open complement, all of the direct; an open photo transmits
// everything. (How the orientation turns the regions: the regions' suite.)
#include "light_row.h"

#include "pixel_figures.h"
#include "projection_model.h"
#include "synthetic_sky.h"

#include <gtest/gtest.h>

#include <numbers>

namespace karwen::canopy {
namespace {

using test::fisheye;

constexpr double kPi = std::numbers::pi;

LightRequest season(const SkyOrientation& orientation)
{
    LightRequest r;
    r.settings.site = {50.0, 10.0, 300.0, 1.0};
    r.settings.period = {{2021, 5, 1}, {2021, 9, 30}};
    r.orientation = orientation;
    return r;
}

// The light of a photo whose sky is the half of photo azimuths a0 .. a0 + pi.
light::LightFigures halfOpen(double a0, const SkyOrientation& orientation)
{
    test::Scene scene;
    scene.patches.push_back({0.0, kPi / 2.0, a0, a0 + kPi});
    const ProjectionRecord record = fisheye(kEquidistant, 300.3, 299.6, 280.0);
    const test::Photo photo = test::render(scene, record, 600, 600, nullptr, test::Rim::Hard);
    const CanopySettings settings;
    const PixelFigures f = measurePixels(photo.view(), record, nullptr, settings);
    const LightRequest request = season(orientation);
    const RegionGaps gaps = measureRegionGaps(photo.view(), record, nullptr, settings, f.threshold,
        light::SkyGrid::of(request.settings), request.orientation);
    return lightRowOf(request, gaps).figures;
}

TEST(LightRow, HalfSkiesSplitTheLightExactly)
{
    // Looking up with north at the top, the lower half (photo azimuths 180
    // to 360) is the south: true azimuths 90 to 270.
    const light::LightFigures south = halfOpen(kPi, {});
    const light::LightFigures north = halfOpen(0.0, {});
    EXPECT_NEAR(south.isf, 0.5, 1e-12);
    EXPECT_NEAR(north.isf, 0.5, 1e-12);
    EXPECT_NEAR(south.dsf + north.dsf, 1.0, 1e-12);
    EXPECT_GT(south.dsf, 0.8); // the summer sun at 50 N stands mostly in the south
    EXPECT_NEAR(south.directSunHours + north.directSunHours, south.sunHours, 1e-9);
    EXPECT_DOUBLE_EQ(south.beamCoverage, 1.0);
}

TEST(LightRow, AnOpenPhotoTransmitsEverything)
{
    const ProjectionRecord record = fisheye(kEquisolidangle, 200.4, 200.3, 190.0);
    const test::Photo photo = test::uniform(0xff8090f0u, record, 400, 400);
    const LightRequest request = season({33.0, 0.0, false});
    const RegionGaps gaps = measureRegionGaps(photo.view(), record, nullptr, CanopySettings{}, 100,
        light::SkyGrid::of(request.settings), request.orientation);
    const light::LightFigures f = lightRowOf(request, gaps).figures;
    EXPECT_NEAR(f.dsf, 1.0, 1e-12);
    EXPECT_NEAR(f.isf, 1.0, 1e-12);
    EXPECT_NEAR(f.transTotal, 100.0, 1e-9);
    EXPECT_NEAR(f.directSunHours, f.sunHours, 1e-9);
    EXPECT_NEAR(f.belowTotal, f.aboveTotal, 1e-9);
}

} // namespace
} // namespace karwen::canopy
