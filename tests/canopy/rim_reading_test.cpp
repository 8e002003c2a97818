// The pixels across the rim of photos whose rim is anti-aliased on black, as
// a lens's is: read by their inside, they give the sky along the rim its
// whole share; where the photo is not dark past the rim they are read as
// the rest.
#include "light_regions.h"
#include "pixel_figures.h"
#include "projection_model.h"
#include "sky_map.h"
#include "sky_pixels.h"
#include "synthetic_sky.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>

namespace karwen::canopy {
namespace {

using test::fisheye;

constexpr double kPi = std::numbers::pi;
constexpr int kSide = 1000;
const int32_t kProjections[] = {kOrthographic, kEquisolidangle, kEquidistant, kStereographic};

// Sky only beyond 80 degrees: cos(80 degrees) of the hemisphere, most of it
// within a few pixels of the rim in the orthographic projection.
test::Scene skyBeyond80()
{
    test::Scene scene;
    scene.patches.push_back({80.0 * kDegToRad, 91.0 * kDegToRad, 0.0, 2.0 * kPi});
    return scene;
}

const CanopySettings kToTheHorizon{.rings = 9, .maxZenithDeg = 90.0};

double weightOf(const SkyMap& map, const SkyMap::RimPixel& p)
{
    const SkyMap::Row& row = map.rows()[p.row];
    return map.weights()[row.firstWeight + std::size_t(p.x - row.x0)];
}

double sum(const Histogram& h)
{
    double total = 0.0;
    for (const double v : h)
        total += v;
    return total;
}

// Nine rings to 90 degrees put all of the band in the last; small and large
// circles, their centres off the pixel grid, and every method.
TEST(RimReading, SkyAlongAnAntiAliasedRimCountsWhole)
{
    const test::Scene scene = skyBeyond80();
    const test::Truth truth = test::truthOf(scene, kToTheHorizon.rings, 90.0, kToTheHorizon.sectors);
    ASSERT_NEAR(truth.openness, std::cos(80.0 * kDegToRad), 1e-12);
    const struct {
        double radius;
        ThresholdMethod method;
        double tolerance;
    } cases[] = {{300.0, ThresholdMethod::Otsu, 0.001}, {1500.0, ThresholdMethod::Otsu, 0.001},
        {480.0, ThresholdMethod::Ridler, 0.003}, {480.0, ThresholdMethod::Edge, 0.003}};
    for (const int32_t p : kProjections)
        for (const auto& c : cases) {
            const int side = static_cast<int>(2.0 * c.radius) + 3;
            const ProjectionRecord record = fisheye(p, c.radius + 1.3, c.radius + 1.7, c.radius);
            CanopySettings settings = kToTheHorizon;
            settings.method = c.method;
            const test::Photo photo = test::render(scene, record, side, side);
            const PixelFigures f = measurePixels(photo.view(), record, nullptr, settings);
            const std::string where = "projection " + std::to_string(p) + " radius " + std::to_string(c.radius)
                + " method " + std::string(keyOf(c.method));
            ASSERT_EQ(f.status, PixelStatus::Ok) << where;
            EXPECT_NEAR(f.openness, truth.openness, c.tolerance) << where;
            EXPECT_NEAR(f.difn, truth.difn, c.tolerance) << where;
            EXPECT_NEAR(f.ringGap.back(), 1.0, 0.001) << where;
            std::printf("[rim] %s: openness %+.5f difn %+.5f\n", where.c_str(), f.openness - truth.openness,
                f.difn - truth.difn);
        }
}

// The darkened rim pixels once made a second population of a grey disc:
// Minimum finds no valley and says so, edge detection no edge, so the
// middle of the scale splits it.
TEST(RimReading, AGreyDiscOnBlackHasNoValley)
{
    for (const int32_t p : kProjections) {
        const ProjectionRecord record = fisheye(p, 500, 500, 480);
        const test::Photo photo = test::uniform(0xff909090u, record, kSide, kSide, test::Rim::Lens);
        const PixelFigures f = measurePixels(photo.view(), record, nullptr, {.method = ThresholdMethod::Minimum});
        EXPECT_EQ(f.status, PixelStatus::NoThreshold) << "projection " << p;
        const PixelFigures edge
            = measurePixels(photo.view(), record, nullptr, {.gamma = 1.0, .method = ThresholdMethod::Edge});
        ASSERT_EQ(edge.status, PixelStatus::Ok) << "projection " << p;
        EXPECT_EQ(edge.threshold, kMidScale) << "projection " << p;
        EXPECT_EQ(edge.openness, 1.0) << "projection " << p;
        // The same disc through a fixed threshold is all sky to its rim.
        const PixelFigures fixed
            = measurePixels(photo.view(), record, nullptr, {.method = ThresholdMethod::Fixed, .fixedThreshold = 40});
        EXPECT_EQ(fixed.openness, 1.0) << "projection " << p;
    }
}

// A rim pixel with a quarter of its square inside or more is read by its
// value over that share; one with less takes its inner neighbour's class.
TEST(RimReading, APixelWithLittleInsideTakesItsInnerNeighboursClass)
{
    const ProjectionRecord record = fisheye(kOrthographic, 300.3, 299.6, 280);
    const CanopySettings settings{.method = ThresholdMethod::Fixed, .fixedThreshold = 60, .maxZenithDeg = 90.0};
    const auto map = sharedSkyMap(record, test::idealModel(record), 600, 600, RingLayout::of(settings));
    // Canopy, but for the rim pixels of some inside shares, which read 56:
    // sky over a share below 0.9, canopy as they stand.
    const auto openness = [&](float from, float to, double& weight) {
        test::Photo photo = test::uniform(0xff101010u, record, 600, 600, test::Rim::Lens);
        weight = 0.0;
        for (const SkyMap::RimPixel& p : map->rimPixels())
            if (p.inside >= from && p.inside < to) {
                photo.pixels[std::size_t(map->rows()[p.row].y) * 600 + std::size_t(p.x)] = 0xff000080u;
                weight += weightOf(*map, p);
            }
        const PixelFigures f = measurePixels(photo.view(), record, nullptr, settings);
        EXPECT_EQ(f.status, PixelStatus::Ok);
        return f.openness * 2.0 * kPi;
    };
    double little = 0.0, more = 0.0;
    EXPECT_EQ(openness(0.0f, 0.25f, little), 0.0);
    ASSERT_GT(little, 1e-4);
    // Those of more inside are sky, and so are those of less inside beside them.
    const double open = openness(0.25f, 0.9f, more);
    ASSERT_GT(more, 1e-3);
    EXPECT_GE(open, more * (1.0 - 1e-6));
    EXPECT_LE(open, (more + little) * (1.0 + 1e-6));
}

// A photo that is not dark past the rim (a circle given inside the
// picture) is read pixel by pixel as it stands, the rim's darkened pixels
// in the histogram and below the threshold.
TEST(RimReading, APhotoNotDarkPastTheRimIsReadAsItStands)
{
    const ProjectionRecord record = fisheye(kOrthographic, 500, 500, 480);
    test::Photo photo = test::render(skyBeyond80(), record, kSide, kSide);
    for (int j = 0; j < kSide; ++j)
        for (int i = 0; i < kSide; ++i)
            if (std::hypot(i + 0.5 - 500.0, j + 0.5 - 500.0) > 481.0)
                photo.pixels[std::size_t(j) * kSide + std::size_t(i)] = 0xff606060u;
    const PixelFigures f = measurePixels(photo.view(), record, nullptr, kToTheHorizon);
    ASSERT_EQ(f.status, PixelStatus::Ok);
    EXPECT_NEAR(sum(f.histogram), 2.0 * kPi, 1e-3);
    EXPECT_LT(f.openness, std::cos(80.0 * kDegToRad) - 0.01);
}

// A lens that sees past 90 degrees shows the scene beyond the pixels the map
// counts last: they are read as they stand, however dark the photo is past
// its own rim.
TEST(RimReading, ALensThatSeesPast90DegreesIsReadAsItStands)
{
    const RixLens lens = test::lensOf({2.0 / kPi}, 95.0);
    ProjectionRecord record = fisheye(kEquidistant, 500, 500, 450);
    record.Proj = RixLensSource;
    const test::Photo photo = test::render(skyBeyond80(), record, kSide, kSide, &lens);
    const PixelFigures f = measurePixels(photo.view(), record, &lens, kToTheHorizon);
    ASSERT_EQ(f.status, PixelStatus::Ok);
    EXPECT_NEAR(sum(f.histogram), 2.0 * kPi, 1e-3);
    EXPECT_NEAR(f.openness, std::cos(80.0 * kDegToRad), 0.003);
}

// The window's sky tint and the light's regions read the rim as the
// figures do.
TEST(RimReading, TheSkyTintAndTheLightReadTheRimAsTheFigures)
{
    const ProjectionRecord record = fisheye(kOrthographic, 500.3, 499.6, 480);
    const test::Photo photo = test::render(skyBeyond80(), record, kSide, kSide);
    const PixelFigures f = measurePixels(photo.view(), record, nullptr, kToTheHorizon);
    ASSERT_EQ(f.status, PixelStatus::Ok);
    const auto map = sharedSkyMap(record, test::idealModel(record), kSide, kSide, RingLayout::of(kToTheHorizon));
    double tinted = 0.0, all = 0.0;
    for (const SkyMap::Row& row : map->rows())
        for (int x = row.x0; x < row.x1; ++x)
            all += map->weights()[row.firstWeight + std::size_t(x - row.x0)];
    for (const PixelRun& run : skyRuns(photo.view(), record, nullptr, kToTheHorizon, f.threshold)) {
        const SkyMap::Row* row = map->rowAt(run.y);
        ASSERT_NE(row, nullptr);
        for (int x = run.x0; x < run.x1; ++x)
            tinted += map->weights()[row->firstWeight + std::size_t(x - row->x0)];
    }
    EXPECT_NEAR(tinted / all, f.openness, 1e-9);

    const light::SkyGrid grid(9, 36);
    const RegionGaps gaps = measureRegionGaps(photo.view(), record, nullptr, kToTheHorizon, f.threshold, grid, {});
    double open = 0.0;
    for (int k = 0; k < grid.regions(); ++k)
        open += gaps.gap[std::size_t(k)] * grid.solidAngle(k);
    EXPECT_NEAR(open / (2.0 * kPi), f.openness, 1e-3);
}

} // namespace
} // namespace karwen::canopy
