// Pixel figures against the analytic values of synthetic scenes; the
// pixels handed out without a copy; the sky tint and the sky image, which
// hold the pixels the figures count; the pixels across an anti-aliased rim.
#include "dots_view.h"
#include "image_row.h"
#include "light_regions.h"
#include "pixel_figures.h"
#include "pixel_sky.h"
#include "pixel_view.h"
#include "projection_model.h"
#include "rix.h"
#include "sky_map.h"
#include "sky_pixels.h"
#include "synthetic_sky.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>
#include <ostream>
#include <string>
#include <vector>

namespace karwen::canopy {
namespace {

using test::fisheye;

constexpr int kSide = 1000;
constexpr double kPi = std::numbers::pi;

struct AccuracyCase {
    std::string name;
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
    const PixelFigures f = measurePixels(test::render(scene, record, side, side).view(), record, nullptr, settings);
    // The bins of 9 rings and 12 sectors are smaller: fewer pixels, and a
    // larger share of them on a patch's edge.
    test::expectMatchesTruth(f, scene, record, settings, settings.rings * settings.sectors > 40 ? 0.025 : 0.01);
}

// R about 480 on a 1000 x 1000 photo, and R 300 and 1500 on photos their
// size; the off-axis cases move the circle off the image centre, tilt it
// and look 10 degrees away from its axis.
std::vector<AccuracyCase> accuracyCases()
{
    const std::pair<int32_t, std::string> projections[] = {{kOrthographic, "orthographic"},
        {kEquisolidangle, "equisolid"}, {kEquidistant, "equidistant"}, {kStereographic, "stereographic"}};
    std::vector<AccuracyCase> cases;
    for (const auto& [p, name] : projections) {
        cases.push_back({name, fisheye(p, 500, 500, 480), {}});
        cases.push_back({name + "_off_axis", fisheye(p, 490, 505, 478, 8, -6, 30), {}});
        cases.push_back({name + "_r300", fisheye(p, 301.3, 300.6, 300), {}, 603});
        cases.push_back({name + "_r1500", fisheye(p, 1501, 1501, 1500), {}, 3002});
    }
    const ProjectionRecord equisolid = fisheye(kEquisolidangle, 500.5, 499.5, 480);
    cases.push_back({"luma_ridler", equisolid, with(Channel::Luma, ThresholdMethod::Ridler)});
    cases.push_back({"blue_fixed", equisolid, with(Channel::Blue, ThresholdMethod::Fixed)});
    cases.push_back({"nine_rings_to_81", fisheye(kStereographic, 500.5, 499.5, 480),
        with(Channel::Blue, ThresholdMethod::Otsu, 9, 81.0, 12)});
    return cases;
}
INSTANTIATE_TEST_SUITE_P(
    Scenes, PixelAccuracy, ::testing::ValuesIn(accuracyCases()), [](const auto& test) { return test.param.name; });

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

// Canvas rows run top-down, the view's rows bottom-up.
void expectViewMatchesBlit(int32_t handle)
{
    const std::optional<PixelView> view = pixelViewOf(handle);
    ASSERT_TRUE(view.has_value()) << RixLastError();
    ASSERT_TRUE(isValid(*view));
    ASSERT_EQ(view->width, RixWidth(handle));
    ASSERT_EQ(view->height, RixHeight(handle));
    const int w = view->width, h = view->height;
    std::vector<uint32_t> canvas(std::size_t(w) * std::size_t(h), 0u);
    RixCanvas dc{reinterpret_cast<uint8_t*>(canvas.data()), w, h, w * 4};
    ASSERT_EQ(RixStretchBlt(handle, 0, 0, w, h, &dc, 0, 0, w, h), 1) << RixLastError();
    int differing = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            differing += view->row(y)[x] != canvas[std::size_t(h - 1 - y) * std::size_t(w) + std::size_t(x)];
    EXPECT_EQ(differing, 0);
}

TEST(PixelView, SeesWhatTheLibraryDraws)
{
    const test::RixImage photo(std::string(KARWEN_SAMPLES_DIR) + "/allsky_day.jpg"), wide(321, 203);
    ASSERT_GT(photo.handle(), 0) << RixLastError();
    expectViewMatchesBlit(photo.handle());

    const ProjectionRecord src{250, 250, 240, 0, 0, 0, kEquidistant};
    const ProjectionRecord dst{160, 100, 150, 0, 0, 0, kOrthographic};
    ASSERT_EQ(RixSDeform(photo.handle(), wide.handle(), &src, &dst, 1), 1) << RixLastError();
    expectViewMatchesBlit(wide.handle());
}

TEST(PixelView, NoImageNoView)
{
    const int32_t image = RixCreate(4, 4);
    ASSERT_EQ(RixDestroy(image), 1);
    for (const int32_t handle : {0, -1, image}) {
        EXPECT_FALSE(pixelViewOf(handle).has_value()) << handle;
        EXPECT_EQ(std::string(RixLastError()).rfind("RixPixels", 0), 0u) << RixLastError();
    }
    const uint32_t* bits = nullptr;
    const int32_t live = RixCreate(4, 4);
    EXPECT_EQ(RixPixels(live, &bits, nullptr), 0);
    EXPECT_EQ(RixDestroy(live), 1);
}

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

// The share of the hemisphere the map shows that the sky tint holds, and
// its pixels.
double tintedShare(const test::Photo& photo, const ProjectionRecord& record, const CanopySettings& settings,
    int threshold, long& pixels)
{
    const auto map
        = sharedSkyMap(record, test::idealModel(record), photo.width, photo.height, RingLayout::of(settings));
    const std::vector<PixelRun> runs = skyRuns(photo.view(), record, nullptr, settings, threshold);
    return solidAngleOf(runs, *map, pixels) / test::sumOf(map->binSolidAngle());
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
        long pixels = 0;
        EXPECT_NEAR(tintedShare(photo, record, settings, figures.threshold, pixels), figures.openness, 1e-9);
        EXPECT_GT(pixels, 2000);
        for (const PixelRun& run : skyRuns(photo.view(), record, nullptr, settings, figures.threshold))
            EXPECT_LT(std::hypot(run.x0 + 0.5 - record.Cx, run.y + 0.5 - record.Cy), record.R + 1.0);
    }
}

// Neither the tint nor the sky image of what cannot be measured.
TEST(SkyPixels, FollowTheThresholdAndRefuseBadInput)
{
    const ProjectionRecord record = test::fisheye(kEquisolidangle, 100.0, 100.0, 90.0);
    const test::Photo photo = test::render(test::capScene(3), record, 200, 200);
    const CanopySettings settings{.channel = Channel::Luma, .gamma = 1.0}; // dark green canopy above 5
    long low = 0, high = 0;
    (void)tintedShare(photo, record, settings, 5, low);
    (void)tintedShare(photo, record, settings, 200, high);
    EXPECT_GT(low, high);
    EXPECT_TRUE(skyRuns(photo.view(), record, nullptr, settings, 255).empty());
    ProjectionRecord flat = record;
    flat.R = 0.0;
    const struct {
        PixelView view;
        ProjectionRecord record;
        CanopySettings settings;
    } bad[] = {{photo.view(), flat, settings}, {{}, record, settings}, {photo.view(), record, {.rings = 0}}};
    for (const auto& c : bad) {
        EXPECT_TRUE(skyRuns(c.view, c.record, nullptr, c.settings, 10).empty());
        EXPECT_EQ(skyImage(c.view, c.record, nullptr, c.settings, 10).width, 0);
    }
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
        const std::vector<uint8_t>& grey = image.grey; // rows top first

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
    const std::vector<uint8_t> grey = skyImage(photo.view(), record, nullptr, settings, figures.threshold).grey;
    ASSERT_EQ(grey.size(), 300u * 300u);
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
}

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
                weight += test::weightOf(*map, p);
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
// in the histogram and below the threshold. So is a lens that sees past 90
// degrees, however dark the photo is past its own rim: it shows the scene
// beyond the pixels the map counts last.
TEST(RimReading, WhatIsNotDarkPastTheRimIsReadAsItStands)
{
    const ProjectionRecord record = fisheye(kOrthographic, 500, 500, 480);
    test::Photo photo = test::render(skyBeyond80(), record, kSide, kSide);
    for (int j = 0; j < kSide; ++j)
        for (int i = 0; i < kSide; ++i)
            if (std::hypot(i + 0.5 - 500.0, j + 0.5 - 500.0) > 481.0)
                photo.pixels[std::size_t(j) * kSide + std::size_t(i)] = 0xff606060u;
    const PixelFigures f = measurePixels(photo.view(), record, nullptr, kToTheHorizon);
    ASSERT_EQ(f.status, PixelStatus::Ok);
    EXPECT_NEAR(test::sumOf(f.histogram), 2.0 * kPi, 1e-3);
    EXPECT_LT(f.openness, std::cos(80.0 * kDegToRad) - 0.01);

    const RixLens lens = test::lensOf({2.0 / kPi}, 95.0);
    const ProjectionRecord wide = fisheye(RixLensSource, 500, 500, 450);
    const PixelFigures g
        = measurePixels(test::render(skyBeyond80(), wide, kSide, kSide, &lens).view(), wide, &lens, kToTheHorizon);
    ASSERT_EQ(g.status, PixelStatus::Ok);
    EXPECT_NEAR(test::sumOf(g.histogram), 2.0 * kPi, 1e-3);
    EXPECT_NEAR(g.openness, std::cos(80.0 * kDegToRad), 0.003);
}

// The window's sky tint and the light's regions read the rim as the
// figures do.
TEST(RimReading, TheSkyTintAndTheLightReadTheRimAsTheFigures)
{
    const ProjectionRecord record = fisheye(kOrthographic, 500.3, 499.6, 480);
    const test::Photo photo = test::render(skyBeyond80(), record, kSide, kSide);
    const PixelFigures f = measurePixels(photo.view(), record, nullptr, kToTheHorizon);
    ASSERT_EQ(f.status, PixelStatus::Ok);
    long pixels = 0;
    EXPECT_NEAR(tintedShare(photo, record, kToTheHorizon, f.threshold, pixels), f.openness, 1e-9);

    const light::SkyGrid grid(9, 36);
    const RegionGaps gaps = measureRegionGaps(photo.view(), record, nullptr, kToTheHorizon, f.threshold, grid, {});
    EXPECT_NEAR(test::regionShare(gaps.gap, grid), f.openness, 1e-3);
}

} // namespace
} // namespace karwen::canopy
