// Thresholds and pixel values against hand-computed cases; Minimum and
// edge detection on synthetic photos whose right threshold is known, sharp,
// blurred and under noise.
#include "pixel_figures.h"
#include "pixel_values.h"
#include "projection_model.h"
#include "random.h"
#include "synthetic_sky.h"
#include "threshold.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <numbers>
#include <optional>
#include <ostream>
#include <tuple>
#include <utility>
#include <vector>

namespace karwen::canopy {
namespace {

struct HistogramCase {
    const char* name;
    std::vector<std::pair<int, double>> bins; // value, weight
    int otsu;
    int ridler;
};

// A histogram holding these weights at these values.
Histogram spikes(const std::vector<std::pair<int, double>>& bins)
{
    Histogram h{};
    for (const auto& [v, w] : bins)
        h[static_cast<std::size_t>(v)] = w;
    return h;
}

// Worked by hand, with between-class variance W0 W1 (m1 - m0)^2:
//  two spikes 50, 200: every T in 50..199 splits alike, the lowest wins;
//    Ridler: mean 125, class means 50 and 200, midpoint 125.
//  0, 100, 200 once each: T = 0 gives 1 * 2 * 150^2 = 45000, T = 100 gives
//    2 * 1 * 150^2 = 45000 as well: the tie goes to 0. Ridler: mean 100 puts
//    100 below (means 50, 200), midpoint 125, stable.
//  0 x3, 80, 255: T = 0: 3*2*167.5^2 = 168337.5 < T = 80: 4*1*235^2 =
//    220900. Ridler: mean 67 -> means 0 and
//    167.5 -> 83.75 moves 80 below -> means 20 and 255 -> 137.5, stable.
//  10 x3, 20, 200 x2, 210 x2: T = 10: 3*5*158^2 = 374460; T = 20:
//    4*4*192.5^2 = 592900; T = 200: 6*2*135^2 = 218700. Ridler: mean
//    108.75, means 12.5 and 205, midpoint 108.75, stable.
//  a single value or nothing: no split, the middle of the scale.
const HistogramCase kHistograms[] = {
    {"two_spikes", {{50, 1.0}, {200, 1.0}}, 50, 125},
    {"tie_goes_low", {{0, 1.0}, {100, 1.0}, {200, 1.0}}, 0, 125},
    {"ridler_moves", {{0, 3.0}, {80, 1.0}, {255, 1.0}}, 80, 137},
    {"bimodal", {{10, 3.0}, {20, 1.0}, {200, 2.0}, {210, 2.0}}, 20, 108},
    {"weights_not_counts", {{10, 0.003}, {20, 0.001}, {200, 0.002}, {210, 0.002}}, 20, 108},
    {"single_value", {{90, 5.0}}, kMidScale, kMidScale},
    {"empty", {}, kMidScale, kMidScale},
};

class Thresholds : public ::testing::TestWithParam<HistogramCase> { };

TEST_P(Thresholds, OtsuAndRidler)
{
    const Histogram h = spikes(GetParam().bins);
    EXPECT_EQ(otsuThreshold(h), GetParam().otsu);
    EXPECT_EQ(ridlerThreshold(h), GetParam().ridler);
    EXPECT_EQ(chooseThreshold(h, {}, {.method = ThresholdMethod::Fixed, .fixedThreshold = 201}), 201);
}

INSTANTIATE_TEST_SUITE_P(HandComputed, Thresholds, ::testing::ValuesIn(kHistograms),
    [](const auto& test) { return std::string(test.param.name); });

// Two normal humps of equal weight and spread, only every other value
// occupied: the comb is smoothed away first, and a histogram symmetric about
// `middle` stays so, so its valley is there.
Histogram combOfTwoHumps(int low, int high, double spread)
{
    Histogram h{};
    for (int v = 0; v < 256; v += 2) {
        const double a = (v - low) / spread, b = (v - high) / spread;
        h[static_cast<std::size_t>(v)] = std::exp(-0.5 * a * a) + std::exp(-0.5 * b * b);
    }
    return h;
}

Histogram oneHump()
{
    Histogram h{};
    for (int v = 0; v < 256; ++v)
        h[static_cast<std::size_t>(v)] = std::exp(-0.5 * std::pow((v - 140) / 30.0, 2.0));
    return h;
}

TEST(MinimumThreshold, KnownValleysAndNone)
{
    const struct {
        const char* name;
        Histogram h;
        std::optional<int> valley;
    } cases[] = {
        {"already two peaks: the middle of the empty run 51..199", spikes({{50, 1.0}, {200, 1.0}}), 125},
        {"weights do not move a flat valley: the run 41..200", spikes({{40, 3.0}, {201, 0.5}}), 120},
        {"a one-value dip: 100 and 101 one peak, 103 and 104 the other",
            spikes({{100, 2.0}, {101, 2.0}, {102, 1.0}, {103, 2.0}, {104, 2.0}}), 102},
        {"comb-like humps at 60 and 180: 64 peaks until smoothed", combOfTwoHumps(60, 180, 20.0), 120},
        {"comb-like humps at 30 and 230", combOfTwoHumps(30, 230, 12.0), 130},
        {"nothing", {}, std::nullopt},
        {"one value", spikes({{90, 5.0}}), std::nullopt},
        {"one hump", oneHump(), std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(minimumThreshold(c.h), c.valley) << c.name;
    EXPECT_EQ(chooseThreshold(oneHump(), {}, {.method = ThresholdMethod::Minimum}), std::nullopt);
}

// Pairs of neighbouring values with weights, either order.
EdgeSums pairsOf(std::initializer_list<std::tuple<int, int, int64_t>> pairs)
{
    EdgeSums sums;
    for (const auto& [a, b, w] : pairs)
        sums.addPair(a, b, w);
    return sums;
}

// A histogram of large regions at both ends of the scale, so that every T
// splits the photo into regions.
Histogram regionsAtBothEnds()
{
    Histogram h{};
    h[0] = h[255] = 1000.0;
    return h;
}

// Worked by hand: the mean contrast of the pairs that straddle T; without
// any pair of different values, the middle of the scale.
TEST(EdgeThreshold, LargestMeanContrast)
{
    const struct {
        const char* name;
        EdgeSums pairs;
        int threshold;
    } cases[] = {
        {"one kind of edge: every T from 40 to 199 sees 160, the lowest wins; equal pairs straddle nothing",
            pairsOf({{40, 200, 1}, {90, 90, 50}}), 40},
        {"a blurred edge 40 -> 60 -> 120 -> 180 -> 200: 20 below 60 and from 180, 60 between",
            pairsOf({{40, 60, 1}, {120, 60, 1}, {120, 180, 1}, {200, 180, 1}}), 60},
        {"weights count: T in 50..59 sees (3 * 10 + 200) / 4 = 57.5, T in 60..249 sees 200",
            pairsOf({{50, 60, 3}, {250, 50, 1}}), 60},
        {"noise (100, 110) beside an edge (10, 200): T in 10..99 sees 190, T in 100..109 (190 + 2 * 10) / 3",
            pairsOf({{10, 200, 1}, {110, 100, 2}}), 10},
        {"no pairs", pairsOf({}), kMidScale},
        {"equal values only", pairsOf({{70, 70, 4}, {200, 200, 1}}), kMidScale},
    };
    for (const auto& c : cases)
        EXPECT_EQ(edgeThreshold(c.pairs, regionsAtBothEnds()), c.threshold) << c.name;
    EXPECT_EQ(chooseThreshold(regionsAtBothEnds(), cases[2].pairs, {.method = ThresholdMethod::Edge}), 60);
}

// A class of specks holds no edges: a bright pixel amid a region of 100
// borders it with all four pairs, and its contrast beats the true edge's.
TEST(EdgeThreshold, SpecksAreNoRegion)
{
    Histogram h{};
    h[20] = 500.0;
    h[100] = 500.0;
    h[250] = 1.0;
    const EdgeSums edgeAndSpeck = pairsOf({{20, 100, 50}, {100, 250, 4}});
    // T in 20..99 sees 80 with 50 pairs for 500 pixels; T in 100..249 sees
    // 150, but from 4 pairs for the one pixel above it.
    EXPECT_EQ(edgeThreshold(edgeAndSpeck, h), 20);
    // A class that borders the other with one pair a pixel is a region.
    EXPECT_EQ(edgeThreshold(pairsOf({{20, 100, 50}, {100, 250, 1}}), h), 100);
    // The weights of the pairs in the histogram's measure.
    EdgeSums fine = edgeAndSpeck;
    fine.unit = 0.25;
    EXPECT_EQ(edgeThreshold(fine, h), 100);
    // Specks only: no threshold, which the figures report.
    h[20] = 0.0;
    EXPECT_EQ(edgeThreshold(pairsOf({{100, 250, 4}}), h), std::nullopt);
    EXPECT_EQ(chooseThreshold(h, pairsOf({{100, 250, 4}}), {.method = ThresholdMethod::Edge}), std::nullopt);
}

TEST(PixelValues, LinearisedChannels)
{
    const ValueTable blue(Channel::Blue, 2.2), plain(Channel::Blue, 1.0), luma(Channel::Luma, 1.0);
    // 255 (128 / 255)^2.2 = 55.98; the ends stay where they are.
    EXPECT_EQ(blue(0xff000080u), 56);
    EXPECT_EQ(blue(0xffffff00u), 0);
    EXPECT_EQ(blue(0x000000ffu), 255);
    for (unsigned v = 0; v < 256; ++v)
        EXPECT_EQ(plain(0xff000000u | v), v);
    // 0.3 * 100 + 0.59 * 200 + 0.11 * 50 = 153.5, rounded up; pure red 76.5 -> 77.
    EXPECT_EQ(luma(0xff64c832u), 154);
    EXPECT_EQ(luma(0xffff0000u), 77);
    EXPECT_EQ(luma(0x00ffffffu), 255);
}

TEST(CanopySettingsCheck, RejectsOutOfRange)
{
    EXPECT_TRUE(isValid(CanopySettings{}));
    for (const CanopySettings& bad : {CanopySettings{.gamma = NAN}, CanopySettings{.maxZenithDeg = 90.5},
             CanopySettings{.sectors = kMaxSectors + 1}})
        EXPECT_FALSE(isValid(bad));
}

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
}

const ProjectionRecord kPatches = test::fisheye(kEquisolidangle, 500.5, 499.5, 480);
const ProjectionRecord kTurned = test::fisheye(kEquidistant, 490, 505, 478, 0, 0, 30);
INSTANTIATE_TEST_SUITE_P(Synthetic, ThresholdPhotos,
    ::testing::Values(PhotoCase{"minimum_patches", ThresholdMethod::Minimum, kPatches, false},
        PhotoCase{"edge_patches", ThresholdMethod::Edge, kPatches, false},
        PhotoCase{"minimum_caps_turned", ThresholdMethod::Minimum, kTurned, true},
        PhotoCase{"edge_caps_turned", ThresholdMethod::Edge, kTurned, true}),
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
