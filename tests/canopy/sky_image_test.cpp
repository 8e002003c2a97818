// The sky image of a synthetic photo, written as PNG and read back by
// libpng, holds each pixel's class as the scene has it: sky white, canopy
// black, grey where the figures count nothing (off the circle, beyond 90
// degrees of an oblique view). Weighted as the figures weigh the pixels,
// its white share is the openness; a pixel across an anti-aliased rim
// counts whole in the class it is read by.
#include "dots_view.h"
#include "grey_png.h"
#include "image_row.h"
#include "pixel_figures.h"
#include "pixel_sky.h"
#include "projection_model.h"
#include "sky_map.h"
#include "sky_pixels.h"
#include "synthetic_sky.h"

#include <gtest/gtest.h>

#include <png.h>

#include <cmath>
#include <vector>

namespace karwen::canopy {
namespace {

using test::fisheye;

// The image's PNG as libpng reads it, rows top first.
std::vector<uint8_t> readBack(const SkyImage& image)
{
    const std::vector<uint8_t> png = files::greyPng(image.grey, image.width, image.height);
    png_image read{};
    read.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&read, png.data(), png.size()))
        return {};
    read.format = PNG_FORMAT_RGB; // a palette's entries as they are
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(read));
    if (!png_image_finish_read(&read, nullptr, rgb.data(), 0, nullptr) || int(read.width) != image.width
        || int(read.height) != image.height)
        return {};
    std::vector<uint8_t> grey;
    for (std::size_t i = 0; i < rgb.size(); i += 3)
        grey.push_back(rgb[i]);
    return grey;
}

// Each pixel's weight in the figures, rows counted upward; 0 off the map.
std::vector<float> weightsOf(const SkyMap& map, int width, int height)
{
    std::vector<float> weights(std::size_t(width * height), 0.0f);
    for (const SkyMap::Row& row : map.rows())
        for (int x = row.x0; x < row.x1; ++x)
            weights[std::size_t(row.y * width + x)] = map.weights()[row.firstWeight + std::size_t(x - row.x0)];
    return weights;
}

// How the renderer paints a pixel centre that sees sky: bright blue, where
// canopy is dark green.
bool isSkyBlue(uint32_t pixel) { return (pixel & 0xffu) > 128u; }

struct Oblique {
    const char* name;
    ProjectionRecord record;
};

TEST(SkyImage, ShowsTheScenesClassesAndTheOpenness)
{
    const Oblique cases[] = {
        {"along the axis", fisheye(kEquidistant, 160.0, 150.0, 140.0)},
        {"looking 10 degrees off the axis, tilted", fisheye(kEquisolidangle, 170.3, 149.6, 140.0, 10.0, 4.0, 25.0)},
    };
    const int width = 330, height = 300;
    for (const Oblique& c : cases) {
        const test::Scene scene = test::patchScene(11);
        const test::Photo photo = test::render(scene, c.record, width, height);
        // Between the canopy's noise and the sky, as a photo exposed for the sky gives it.
        const CanopySettings settings{.method = ThresholdMethod::Fixed, .fixedThreshold = 60, .rings = 6};
        const PixelFigures figures = measurePixels(photo.view(), c.record, nullptr, settings);
        ASSERT_EQ(figures.status, PixelStatus::Ok) << c.name;
        const SkyImage image = skyImage(photo.view(), c.record, nullptr, settings, figures.threshold);
        ASSERT_EQ(image.width, width);
        ASSERT_EQ(image.height, height);
        const std::vector<uint8_t> grey = readBack(image);
        ASSERT_EQ(grey, image.grey) << c.name;

        const RadialModel model = test::idealModel(c.record);
        const auto map = sharedSkyMap(c.record, model, width, height, RingLayout::of(settings));
        const std::vector<float> weights = weightsOf(*map, width, height);

        const PixelSky sky(c.record, model, RingLayout::of(settings)); // pixel centres in radii
        double all = 0.0, open = 0.0;
        long wrong = 0, behind = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const float w = weights[std::size_t(y * width + x)];
                const uint8_t shown = grey[std::size_t((height - 1 - y) * width + x)];
                const double px = sky.xOf(x), py = sky.yOf(y);
                uint8_t expected = kOutsideGrey;
                if (w > 0.0f && px * px + py * py >= 1.0 - 2.0 / c.record.R)
                    expected = kCanopyGrey; // across the rim: no patch reaches past 78 degrees
                else if (w > 0.0f)
                    expected = isSkyBlue(photo.pixels[std::size_t(y * width + x)]) ? kSkyGrey : kCanopyGrey;
                else if (px * px + py * py < 1.0)
                    ++behind; // inside the circle, beyond 90 degrees of the view
                wrong += shown != expected;
                if (shown != kOutsideGrey)
                    all += w;
                if (shown == kSkyGrey)
                    open += w;
            }
        EXPECT_EQ(wrong, 0) << c.name;
        EXPECT_NEAR(open / all, figures.openness, 1e-9) << c.name;
        // Looking off the axis, the photo leaves out a part of the
        // hemisphere beyond the lens's field.
        if (c.record.Alpha == 0.0) {
            EXPECT_NEAR(open / all, scene.openness(), 0.001) << c.name;
        } else {
            EXPECT_GT(behind, 100) << c.name;
        }
    }
}

// A clear sky behind a rim anti-aliased on black: the pixels across the
// rim, darkened by the black, are read by their inside and are sky, whole,
// as they count in the openness.
TEST(SkyImage, PixelsAcrossTheRimCountWholeInTheirClass)
{
    const ProjectionRecord record = fisheye(kOrthographic, 150.2, 149.7, 140.0);
    const test::Photo photo = test::uniform(0xff80b0f0u, record, 300, 300, test::Rim::Lens);
    const CanopySettings settings{.method = ThresholdMethod::Fixed, .fixedThreshold = 60};
    const PixelFigures figures = measurePixels(photo.view(), record, nullptr, settings);
    ASSERT_EQ(figures.status, PixelStatus::Ok);
    EXPECT_NEAR(figures.openness, 1.0, 1e-12);
    const SkyImage image = skyImage(photo.view(), record, nullptr, settings, figures.threshold);
    const std::vector<uint8_t> grey = readBack(image);
    ASSERT_EQ(grey, image.grey);
    const auto map = sharedSkyMap(record, test::idealModel(record), 300, 300, RingLayout::of(settings));
    long darkened = 0;
    for (const SkyMap::RimPixel& p : map->rimPixels()) {
        const int y = map->rows()[p.row].y;
        if (p.weight <= 0.0f)
            continue;
        EXPECT_EQ(grey[std::size_t((299 - y) * 300 + p.x)], kSkyGrey) << p.x << ", " << y << " inside " << p.inside;
        darkened += (photo.pixels[std::size_t(y * 300 + p.x)] & 0xffu) < 0xb0u;
    }
    EXPECT_GT(darkened, 200);
    for (const uint8_t g : grey)
        EXPECT_NE(g, kCanopyGrey);
}

// A row's image is that of its own circle, settings and threshold; a
// failed row, or what cannot be measured, has none.
TEST(SkyImage, OfARowWithFiguresOnly)
{
    const ProjectionRecord record = fisheye(kEquidistant, 100.0, 100.0, 90.0);
    const test::RixImage photo(test::render(test::capScene(5), record, 200, 200));
    const CanopySettings settings{.channel = Channel::Luma, .method = ThresholdMethod::Ridler};
    const CanopyRow row = measurePhoto(
        "x.jpg", photo.handle(), record, nullptr, kDotsViewRecord, kDotsViewSide, kDotsViewSide, settings);
    ASSERT_TRUE(row.error.empty()) << row.error;
    const SkyImage direct = skyImage(photo.view(), record, nullptr, settings, row.pixels->threshold);
    const SkyImage ofRow = skyImageOf(photo.handle(), row);
    EXPECT_EQ(ofRow.width, 200);
    EXPECT_TRUE(ofRow.grey == direct.grey);
    EXPECT_EQ(skyImageOf(photo.handle(), failedRow("x.jpg", "damaged JPEG data", settings)).width, 0);
    EXPECT_EQ(skyImageOf(0, row).width, 0);

    ProjectionRecord flat = record;
    flat.R = 0.0;
    EXPECT_EQ(skyImage(photo.view(), flat, nullptr, settings, 10).width, 0);
    EXPECT_EQ(skyImage({}, record, nullptr, settings, 10).width, 0);
    EXPECT_EQ(skyImage(photo.view(), record, nullptr, CanopySettings{.rings = 0}, 10).width, 0);
}

} // namespace
} // namespace karwen::canopy
