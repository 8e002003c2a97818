// Pixel figures against the analytic values of synthetic scenes: every
// fisheye projection, views along the camera axis and off it, other
// channels, thresholds and ring layouts, the skies at the extremes, and a
// view made by the imaging library's resampler.
#include "pixel_figures.h"

#include "projection_model.h"
#include "synthetic_sky.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <ostream>

namespace karwen::canopy {
namespace {

using test::fisheye;

constexpr int kSide = 1000;
constexpr double kPi = std::numbers::pi;

struct AccuracyCase {
    const char* name;
    ProjectionRecord record;
    CanopySettings settings;
    int side = kSide;
};

void PrintTo(const AccuracyCase& c, std::ostream* os) { *os << c.name; }

CanopySettings with(Channel channel, ThresholdMethod method, int rings = 5, double maxZenith = 75.0, int sectors = 8)
{
    return {.channel = channel,
        .method = method,
        .fixedThreshold = 100,
        .rings = rings,
        .maxZenithDeg = maxZenith,
        .sectors = sectors};
}

class PixelAccuracy : public ::testing::TestWithParam<AccuracyCase> { };

TEST_P(PixelAccuracy, MatchesTheAnalyticScene)
{
    const auto& [name, record, settings, side] = GetParam();
    const test::Scene scene = test::patchScene(7);
    const test::Truth truth = test::truthOf(scene, settings.rings, settings.maxZenithDeg, settings.sectors);
    const PixelFigures f = measurePixels(test::render(scene, record, side, side).view(), record, nullptr, settings);
    ASSERT_EQ(f.status, PixelStatus::Ok);
    EXPECT_FALSE(f.partial);
    EXPECT_EQ(f.saturated, truth.saturated);
    // A view 10 degrees off the camera axis loses a lune of 2 x 10 degrees
    // (in steradians) beyond every patch: openness is a share of the rest.
    const double tilt = std::acos(std::cos(record.Alpha * kDegToRad) * std::cos(record.Beta * kDegToRad));
    const double openness = truth.openness * 2.0 * kPi / (2.0 * kPi - 2.0 * tilt);
    EXPECT_NEAR(f.openness, openness, 0.001);
    EXPECT_NEAR(f.difn, truth.difn, 0.001);
    double ringError = 0.0, sectorError = 0.0;
    for (std::size_t k = 0; k < truth.ringGap.size(); ++k)
        ringError = std::max(ringError, std::fabs(f.ringGap[k] - truth.ringGap[k]));
    for (std::size_t b = 0; b < truth.sectorGap.size(); ++b)
        sectorError = std::max(sectorError, std::fabs(f.sectorGap[b] - truth.sectorGap[b]));
    // The bins of 9 rings and 12 sectors are smaller: fewer pixels, and a
    // larger share of them on a patch's edge.
    EXPECT_LT(ringError, 0.0025);
    EXPECT_LT(sectorError, settings.rings * settings.sectors > 40 ? 0.025 : 0.01);
    EXPECT_NEAR(f.le, truth.le, 0.002 * truth.le);
    EXPECT_NEAR(f.l, truth.l, 0.002 * truth.l);
    EXPECT_NEAR(f.lx, truth.lx, 0.03);
    std::printf("[accuracy] %-22s openness %+.4f difn %+.4f gf_k %.4f gf_ks %.4f le %+.2f%% l %+.2f%%\n", name,
        f.openness - openness, f.difn - truth.difn, ringError, sectorError, 100.0 * (f.le / truth.le - 1.0),
        100.0 * (f.l / truth.l - 1.0));
}

// R about 480 on a 1000 x 1000 photo, and R 300 and 1500 on photos their
// size; the off-axis cases move the circle off the image centre, tilt it
// and look 10 degrees away from its axis.
const CanopySettings kDefault;
INSTANTIATE_TEST_SUITE_P(Scenes, PixelAccuracy,
    ::testing::Values(AccuracyCase{"orthographic", fisheye(kOrthographic, 500, 500, 480), kDefault},
        AccuracyCase{"equisolid", fisheye(kEquisolidangle, 500, 500, 480), kDefault},
        AccuracyCase{"equidistant", fisheye(kEquidistant, 500, 500, 480), kDefault},
        AccuracyCase{"stereographic", fisheye(kStereographic, 500, 500, 480), kDefault},
        AccuracyCase{"orthographic_off_axis", fisheye(kOrthographic, 490, 505, 478, 8, -6, 30), kDefault},
        AccuracyCase{"equisolid_off_axis", fisheye(kEquisolidangle, 490, 505, 478, 8, -6, 30), kDefault},
        AccuracyCase{"equidistant_off_axis", fisheye(kEquidistant, 490, 505, 478, 8, -6, 30), kDefault},
        AccuracyCase{"stereographic_off_axis", fisheye(kStereographic, 490, 505, 478, 8, -6, 30), kDefault},
        AccuracyCase{"orthographic_r300", fisheye(kOrthographic, 301.3, 300.6, 300), kDefault, 603},
        AccuracyCase{"equisolid_r300", fisheye(kEquisolidangle, 301.3, 300.6, 300), kDefault, 603},
        AccuracyCase{"equidistant_r300", fisheye(kEquidistant, 301.3, 300.6, 300), kDefault, 603},
        AccuracyCase{"stereographic_r300", fisheye(kStereographic, 301.3, 300.6, 300), kDefault, 603},
        AccuracyCase{"orthographic_r1500", fisheye(kOrthographic, 1501, 1501, 1500), kDefault, 3002},
        AccuracyCase{"equisolid_r1500", fisheye(kEquisolidangle, 1501, 1501, 1500), kDefault, 3002},
        AccuracyCase{"equidistant_r1500", fisheye(kEquidistant, 1501, 1501, 1500), kDefault, 3002},
        AccuracyCase{"stereographic_r1500", fisheye(kStereographic, 1501, 1501, 1500), kDefault, 3002},
        AccuracyCase{
            "luma_ridler", fisheye(kEquisolidangle, 500.5, 499.5, 480), with(Channel::Luma, ThresholdMethod::Ridler)},
        AccuracyCase{
            "blue_fixed", fisheye(kEquisolidangle, 500.5, 499.5, 480), with(Channel::Blue, ThresholdMethod::Fixed)},
        AccuracyCase{"nine_rings_to_81", fisheye(kStereographic, 500.5, 499.5, 480),
            with(Channel::Blue, ThresholdMethod::Otsu, 9, 81.0, 12)}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(PixelFigures, RingWithoutGapSaturates)
{
    // No patch reaches zenith angles 28 to 47 degrees: ring 2 is closed.
    const ProjectionRecord record = fisheye(kEquidistant, 500.5, 499.5, 480);
    const test::Scene scene = test::patchScene(7, 28.0, 47.0);
    const test::Truth truth = test::truthOf(scene, 5, 75.0, 8);
    ASSERT_EQ(truth.ringGap[2], 0.0);
    const PixelFigures f = measurePixels(test::render(scene, record, kSide, kSide).view(), record, nullptr, {});
    EXPECT_EQ(f.ringGap[2], 0.0);
    EXPECT_TRUE(f.saturated);
    EXPECT_NEAR(f.le, truth.le, 0.05 * truth.le);
    EXPECT_NEAR(f.l, truth.l, 0.05 * truth.l);
}

TEST(PixelFigures, AllSkyAndAllCanopy)
{
    const ProjectionRecord record = fisheye(kStereographic, 400, 400, 380);
    const PixelFigures sky = measurePixels(test::uniform(0xffb0d0ffu, record, 800, 800).view(), record, nullptr, {});
    ASSERT_EQ(sky.status, PixelStatus::Ok);
    EXPECT_EQ(sky.threshold, 127); // one value: no split, the middle of the scale
    EXPECT_EQ(sky.openness, 1.0);
    EXPECT_EQ(sky.difn, 1.0);
    EXPECT_EQ(sky.le, 0.0);
    EXPECT_EQ(sky.lx, 1.0);
    EXPECT_FALSE(sky.saturated);

    const PixelFigures canopy = measurePixels(test::uniform(0xff204010u, record, 800, 800).view(), record, nullptr, {});
    EXPECT_EQ(canopy.openness, 0.0);
    EXPECT_TRUE(canopy.saturated);
    // Every ring at the floor: le = 2 * 10 * sum cos t_k sin t_k / sum sin t_k.
    double cosSin = 0.0, sines = 0.0;
    for (int k = 0; k < 5; ++k) {
        const double t = (k + 0.5) * 15.0 * kDegToRad;
        cosSin += std::cos(t) * std::sin(t);
        sines += std::sin(t);
    }
    EXPECT_NEAR(canopy.le, 20.0 * cosSin / sines, 1e-12);
}

TEST(PixelFigures, RefusesWhatItCannotMeasure)
{
    const ProjectionRecord record = fisheye(kEquidistant, 50, 50, 40);
    const test::Photo photo = test::uniform(0xffffffffu, record, 100, 100);
    ProjectionRecord perspective = record, noRadius = record, beside = record;
    perspective.Proj = kPerspective;
    noRadius.R = 0.0;
    beside.Cx = -500.0; // the circle lies wholly left of the photo
    EXPECT_EQ(measurePixels(photo.view(), record, nullptr, {.rings = 0}).status, PixelStatus::BadSettings);
    EXPECT_EQ(measurePixels({nullptr, 100, 100, 100}, record, nullptr, {}).status, PixelStatus::BadPixels);
    EXPECT_EQ(measurePixels(photo.view(), perspective, nullptr, {}).status, PixelStatus::BadRecord);
    EXPECT_EQ(measurePixels(photo.view(), noRadius, nullptr, {}).status, PixelStatus::BadRecord);
    EXPECT_EQ(measurePixels(photo.view(), beside, nullptr, {}).status, PixelStatus::NoPixels);
    // A circle far smaller than a pixel: one pixel holds it all.
    for (const double radius : {0.3, 1e-9}) {
        const ProjectionRecord speck = fisheye(kEquidistant, 50.5, 50.5, radius);
        const PixelFigures f = measurePixels(photo.view(), speck, nullptr, {});
        ASSERT_EQ(f.status, PixelStatus::Ok) << radius;
        EXPECT_EQ(f.openness, 1.0) << radius;
    }
}

// The direction conventions against the imaging library's resampler: a
// photo taken off the view direction, tilted and off-centre, is converted
// by RixSDeform into an equidistant view looking along the view direction.
// If zenith, azimuth, tilt and view angles meant anything different here,
// the sectors of the converted view would not hold the scene's gaps.
TEST(ResamplerAgreement, ConvertedViewHoldsTheSameSky)
{
    const CanopySettings settings;
    const test::Scene scene = test::patchScene(23);
    const test::Truth truth = test::truthOf(scene, settings.rings, settings.maxZenithDeg, settings.sectors);
    const ProjectionRecord src = fisheye(kEquisolidangle, 490, 505, 478, 8, -6, 30);
    const ProjectionRecord dst = fisheye(kEquidistant, 500, 500, 480);
    const test::RixImage photo(test::render(scene, src, kSide, kSide)), converted(kSide, kSide);
    ASSERT_GT(photo.handle(), 0);
    ASSERT_EQ(RixSDeform(photo.handle(), converted.handle(), &src, &dst, 0), 1);
    const PixelFigures f = measurePixels(converted.view(), dst, nullptr, settings);
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
