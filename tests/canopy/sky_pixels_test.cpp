// The pixels the Canopy window tints as sky are exactly those the figures
// from the pixels count: their solid angles add up to the openness, bright
// pixels off the circle are never among them, and they follow the
// threshold.
#include "sky_pixels.h"

#include "pixel_figures.h"
#include "projection_model.h"
#include "sky_map.h"
#include "synthetic_sky.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

namespace karwen::canopy {
namespace {

// The solid angle of the pixels the runs hold, from the map's weights.
double solidAngleOf(const std::vector<PixelRun>& runs, const SkyMap& map, long& pixels)
{
    std::map<int, const SkyMap::Row*> rowAt;
    for (const SkyMap::Row& row : map.rows())
        rowAt[row.y] = &row;
    double sum = 0.0;
    pixels = 0;
    for (const PixelRun& run : runs) {
        const SkyMap::Row& row = *rowAt.at(run.y);
        EXPECT_TRUE(run.x0 >= row.x0 && run.x1 <= row.x1 && run.x0 < run.x1);
        for (int x = run.x0; x < run.x1; ++x)
            sum += map.weights()[row.firstWeight + std::size_t(x - row.x0)];
        pixels += run.x1 - run.x0;
    }
    return sum;
}

TEST(SkyPixels, AreThePixelsTheOpennessCounts)
{
    const ProjectionRecord record = test::fisheye(kEquidistant, 160.0, 150.0, 140.0);
    test::Photo photo = test::render(test::patchScene(7), record, 330, 300);
    // Bright sky in the corners, off the circle: never counted.
    for (const int corner : {0, 329, 300 * 330 - 1})
        photo.pixels[std::size_t(corner)] = 0xffffffffu;
    for (const CanopySettings& settings : {CanopySettings{}, CanopySettings{.channel = Channel::Luma, .gamma = 1.0},
             CanopySettings{.method = ThresholdMethod::Fixed, .fixedThreshold = 40, .rings = 7}}) {
        const PixelFigures figures = measurePixels(photo.view(), record, nullptr, settings);
        ASSERT_EQ(figures.status, PixelStatus::Ok);
        const std::vector<PixelRun> runs = skyRuns(photo.view(), record, nullptr, settings, figures.threshold);
        const auto map
            = sharedSkyMap(record, test::idealModel(record), photo.width, photo.height, RingLayout::of(settings));
        long pixels = 0;
        const double sky = solidAngleOf(runs, *map, pixels);
        double all = 0.0;
        for (const double bin : map->binSolidAngle())
            all += bin;
        EXPECT_NEAR(sky / all, figures.openness, 1e-9);
        EXPECT_GT(pixels, 2000);
        for (const PixelRun& run : runs)
            EXPECT_LT(std::hypot(run.x0 + 0.5 - record.Cx, run.y + 0.5 - record.Cy), record.R + 1.0);
    }
}

TEST(SkyPixels, FollowTheThresholdAndRefuseBadInput)
{
    const ProjectionRecord record = test::fisheye(kEquisolidangle, 100.0, 100.0, 90.0);
    const test::Photo photo = test::render(test::capScene(3), record, 200, 200);
    const CanopySettings settings{.channel = Channel::Luma, .gamma = 1.0}; // dark green canopy above 5
    long low = 0, high = 0;
    const auto map = sharedSkyMap(record, test::idealModel(record), 200, 200, RingLayout::of(settings));
    (void)solidAngleOf(skyRuns(photo.view(), record, nullptr, settings, 5), *map, low);
    (void)solidAngleOf(skyRuns(photo.view(), record, nullptr, settings, 200), *map, high);
    EXPECT_GT(low, high);
    EXPECT_TRUE(skyRuns(photo.view(), record, nullptr, settings, 255).empty());
    ProjectionRecord flat = record;
    flat.R = 0.0;
    EXPECT_TRUE(skyRuns(photo.view(), flat, nullptr, settings, 10).empty());
    EXPECT_TRUE(skyRuns({}, record, nullptr, settings, 10).empty());
    EXPECT_TRUE(skyRuns(photo.view(), record, nullptr, CanopySettings{.rings = 0}, 10).empty());
}

} // namespace
} // namespace karwen::canopy
