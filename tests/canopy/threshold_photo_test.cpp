// Minimum and edge detection on synthetic photos whose right threshold is
// known: sky and canopy as two well-separated populations of blue values,
// then the same photo blurred, so that every edge is a ramp whose middle
// value lies where the sky ends.
#include "pixel_figures.h"

#include "projection_model.h"
#include "random.h"
#include "synthetic_sky.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <ostream>
#include <vector>

namespace karwen::canopy {
namespace {

constexpr int kSide = 1000;
// The renderer's blue values: canopy 20 to 40, sky 235 to 255.
constexpr int kCanopyTop = 40;
constexpr int kSkyBottom = 235;
constexpr double kMiddle = 0.5 * (30.0 + 245.0); // of the two populations' means

// The blue channel blurred by a normal kernel of spread sigma pixels, over
// the pixels inside the circle only (the black outside would darken the
// rim): both the masked values and the mask are blurred, then divided.
test::Photo blurred(const test::Photo& photo, const ProjectionRecord& record, double sigma)
{
    const int reach = static_cast<int>(std::ceil(3.0 * sigma));
    std::vector<double> kernel;
    for (int d = -reach; d <= reach; ++d)
        kernel.push_back(std::exp(-0.5 * d * d / (sigma * sigma)));
    const auto n = static_cast<std::size_t>(photo.width) * static_cast<std::size_t>(photo.height);
    std::vector<double> value(n), mask(n);
    const auto inside = [&](int i, int j) { return std::hypot(i + 0.5 - record.Cx, j + 0.5 - record.Cy) <= record.R; };
    for (int j = 0; j < photo.height; ++j)
        for (int i = 0; i < photo.width; ++i) {
            const std::size_t k = static_cast<std::size_t>(j) * static_cast<std::size_t>(photo.width) + std::size_t(i);
            mask[k] = inside(i, j) ? 1.0 : 0.0;
            value[k] = mask[k] * (photo.pixels[k] & 0xffu);
        }
    // One direction at a time: step 1 along rows, then width across them.
    const auto pass = [&](std::vector<double>& a, int step, int length) {
        std::vector<double> out(n, 0.0);
        for (std::size_t k = 0; k < n; ++k) {
            const int at = step == 1 ? int(k % std::size_t(photo.width)) : int(k / std::size_t(photo.width));
            for (int d = -reach; d <= reach; ++d)
                if (at + d >= 0 && at + d < length)
                    out[k] += kernel[std::size_t(d + reach)] * a[std::size_t(std::ptrdiff_t(k) + d * step)];
        }
        a.swap(out);
    };
    for (std::vector<double>* a : {&value, &mask}) {
        pass(*a, 1, photo.width);
        pass(*a, photo.width, photo.height);
    }
    test::Photo out = photo;
    for (std::size_t k = 0; k < n; ++k)
        if (photo.pixels[k] != test::kBlack)
            out.pixels[k] = (photo.pixels[k] & 0xffffff00u) | static_cast<uint32_t>(std::lround(value[k] / mask[k]));
    return out;
}

CanopySettings plainBlue(ThresholdMethod method) { return {.gamma = 1.0, .method = method}; }

struct PhotoCase {
    const char* name;
    ThresholdMethod method;
    ProjectionRecord record;
    bool caps; // a cap scene, else a patch scene
};

void PrintTo(const PhotoCase& c, std::ostream* os) { *os << c.name; }

class ThresholdPhotos : public ::testing::TestWithParam<PhotoCase> { };

// Sharp: every threshold from the top of the canopy to below the sky splits
// the photo exactly, and the method must find one of them. Blurred by 2
// pixels: only a threshold near the middle value keeps the openness (about
// 0.001 per step away from it); 100 or 180 would miss it by 0.02.
TEST_P(ThresholdPhotos, FindTheKnownSplit)
{
    const auto& [name, method, record, caps] = GetParam();
    const test::Scene scene = caps ? test::capScene(5) : test::patchScene(11);
    const double openness = scene.openness();
    const test::Photo sharp = test::render(scene, record, kSide, kSide);
    const PixelFigures f = measurePixels(sharp.view(), record, nullptr, plainBlue(method));
    ASSERT_EQ(f.status, PixelStatus::Ok);
    EXPECT_GE(f.threshold, kCanopyTop);
    EXPECT_LT(f.threshold, kSkyBottom);
    EXPECT_NEAR(f.openness, openness, 0.003);

    const PixelFigures soft = measurePixels(blurred(sharp, record, 2.0).view(), record, nullptr, plainBlue(method));
    ASSERT_EQ(soft.status, PixelStatus::Ok);
    EXPECT_NEAR(soft.threshold, kMiddle, 6.0);
    EXPECT_NEAR(soft.openness, openness, 0.006);
    std::printf("[threshold] %-22s sharp %3d %+.4f, blurred %3d %+.4f\n", name, f.threshold, f.openness - openness,
        soft.threshold, soft.openness - openness);
}

INSTANTIATE_TEST_SUITE_P(Synthetic, ThresholdPhotos,
    ::testing::Values(PhotoCase{"minimum_patches", ThresholdMethod::Minimum,
                          test::fisheye(kEquisolidangle, 500.5, 499.5, 480), false},
        PhotoCase{"edge_patches", ThresholdMethod::Edge, test::fisheye(kEquisolidangle, 500.5, 499.5, 480), false},
        PhotoCase{"minimum_caps_turned", ThresholdMethod::Minimum, test::fisheye(kEquidistant, 490, 505, 478, 0, 0, 30),
            true},
        PhotoCase{
            "edge_caps_turned", ThresholdMethod::Edge, test::fisheye(kEquidistant, 490, 505, 478, 0, 0, 30), true}),
    [](const auto& test) { return std::string(test.param.name); });

// Two populations under noise: 40 round gaps of radius 40 pixels on a
// 1000 x 1000 equidistant photo, blue 170 for sky and 90 for canopy (grey,
// on the photo's scale), normal noise of spread sigma on every channel.
test::Photo twoPopulations(uint64_t seed, double sigma)
{
    constexpr int kGaps = 40;
    constexpr double kCentre = 500.0, kRadius = 480.0, kGap = 40.0;
    Xoshiro256 random(seed);
    std::vector<std::pair<double, double>> gaps;
    while (gaps.size() < kGaps) {
        const double r = (kRadius - kGap) * std::sqrt(random.uniform()), a = 2.0 * std::numbers::pi * random.uniform();
        const double x = kCentre + r * std::cos(a), y = kCentre + r * std::sin(a);
        if (std::ranges::all_of(
                gaps, [&](const auto& g) { return std::hypot(g.first - x, g.second - y) > 2.1 * kGap; }))
            gaps.emplace_back(x, y);
    }
    test::Photo photo{kSide, kSide, std::vector<uint32_t>(std::size_t(kSide) * kSide, test::kBlack)};
    std::vector<uint8_t> sky(photo.pixels.size(), 0);
    for (const auto& [x, y] : gaps)
        for (int j = int(y - kGap); j <= int(y + kGap); ++j)
            for (int i = int(x - kGap); i <= int(x + kGap); ++i)
                if (std::hypot(i + 0.5 - x, j + 0.5 - y) <= kGap)
                    sky[std::size_t(j) * kSide + std::size_t(i)] = 1;
    for (int j = 0; j < kSide; ++j)
        for (int i = 0; i < kSide; ++i) {
            const std::size_t k = std::size_t(j) * kSide + std::size_t(i);
            if (std::hypot(i + 0.5 - kCentre, j + 0.5 - kCentre) > kRadius)
                continue;
            uint32_t pixel = test::kBlack;
            for (const int shift : {0, 8, 16}) {
                const double v = (sky[k] ? 170.0 : 90.0) + sigma * random.normal();
                pixel |= static_cast<uint32_t>(std::clamp(std::lround(v), 0L, 255L)) << shift;
            }
            photo.pixels[k] = pixel;
        }
    return photo;
}

// The noise puts specks into the tail of the sky, whose contrast with
// their neighbours grows with their brightness: no threshold up there may
// win, or the whole sky would read as canopy.
TEST(ThresholdPhotos, EdgeDetectionSurvivesNoise)
{
    const ProjectionRecord record = test::fisheye(kEquidistant, 500, 500, 480);
    const CanopySettings edge{.method = ThresholdMethod::Edge};
    for (uint64_t seed = 1; seed <= 10; ++seed) {
        const double clean = measurePixels(twoPopulations(seed, 0.0).view(), record, nullptr, edge).openness;
        ASSERT_GT(clean, 0.2);
        for (const double sigma : {5.0, 10.0, 15.0}) {
            const PixelFigures f = measurePixels(twoPopulations(seed, sigma).view(), record, nullptr, edge);
            ASSERT_EQ(f.status, PixelStatus::Ok);
            EXPECT_NEAR(f.openness, clean, 0.01) << "seed " << seed << ", sigma " << sigma;
        }
    }
}

// Pure noise has no regions: edge detection finds no threshold and says so.
TEST(ThresholdPhotos, NoiseAloneHasNoEdges)
{
    const ProjectionRecord record = test::fisheye(kEquidistant, 200, 200, 190);
    test::Photo photo = test::uniform(0xff000000u, record, 400, 400);
    Xoshiro256 random(7);
    for (uint32_t& pixel : photo.pixels)
        pixel = test::kBlack | static_cast<uint32_t>(random.uniform() * 256.0);
    EXPECT_EQ(measurePixels(photo.view(), record, nullptr, plainBlue(ThresholdMethod::Edge)).status,
        PixelStatus::NoThreshold);
}

} // namespace
} // namespace karwen::canopy
