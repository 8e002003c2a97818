// The light regions' gap fractions of a photo, by every pixel's direction
// and the orientation; what the photo shows of each; the image point of a
// sky direction; the light figures of half-open photos.
#include "light_cuts.h"
#include "light_regions.h"
#include "light_row.h"
#include "pixel_figures.h"
#include "projection_model.h"
#include "region_rule.h"
#include "sky_map.h"
#include "synthetic_sky.h"
#include "view_direction.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace karwen::canopy {
namespace {

using test::fisheye;

constexpr double kPi = std::numbers::pi;
constexpr double kDeg = kPi / 180.0;

TEST(SkyOrientation, LookingUpPutsEastOnTheLeftAndMirroringOnTheRight)
{
    const SkyOrientation up{0.0, 0.0, false};
    EXPECT_DOUBLE_EQ(up.trueAzimuth(90.0), 0.0);   // the top is north
    EXPECT_DOUBLE_EQ(up.trueAzimuth(180.0), 90.0); // the left is east
    const SkyOrientation map{0.0, 0.0, true};
    EXPECT_DOUBLE_EQ(map.trueAzimuth(0.0), 90.0); // the right is east
    // A compass bearing of 350 at a declination of +15 puts true 5 at the top.
    const SkyOrientation turned{350.0, 15.0, false};
    EXPECT_NEAR(turned.trueTop(), 5.0, 1e-12);
    for (const SkyOrientation& o : {up, map, turned, SkyOrientation{123.4, -20.0, true}})
        for (double phi = 0.0; phi < 360.0; phi += 17.5)
            EXPECT_NEAR(o.photoAzimuth(o.trueAzimuth(phi)), phi, 1e-9);
    EXPECT_FALSE(isValid(SkyOrientation{360.5, 0.0, false}));
    EXPECT_FALSE(isValid(SkyOrientation{0.0, -90.5, false}));
}

struct RunsCase {
    const char* name;
    ProjectionRecord record;
    int rings, sectors;
    SkyOrientation orientation;
};

void PrintTo(const RunsCase& c, std::ostream* os) { *os << c.name; }

class AxialRuns : public ::testing::TestWithParam<RunsCase> { };

// The runs worked out row by row put every pixel where its own direction
// puts it, as the view off the axis classifies pixel by pixel.
TEST_P(AxialRuns, PutEveryPixelInTheRegionOfItsDirection)
{
    const RunsCase& c = GetParam();
    const RingLayout layout(5, 8, 75.0 * kDegToRad);
    const RadialModel model = test::idealModel(c.record);
    const auto map = sharedSkyMap(c.record, model, 640, 480, layout);
    const PixelSky sky(c.record, model, layout);
    const RegionRule rule(light::SkyGrid(c.rings, c.sectors), c.orientation, sky.frame());
    AxialRegionCuts cuts(sky, rule);
    std::vector<RegionRun> runs;
    long pixels = 0, wrong = 0;
    for (const SkyMap::Row& row : map->rows()) {
        cuts.runsOf(sky, row, runs);
        ASSERT_FALSE(runs.empty());
        EXPECT_EQ(runs.front().from, row.x0);
        EXPECT_EQ(runs.back().to, row.x1);
        for (std::size_t k = 0; k < runs.size(); ++k) {
            if (k > 0) {
                EXPECT_EQ(runs[k].from, runs[k - 1].to);
            }
            for (int i = runs[k].from; i < runs[k].to; ++i) {
                ++pixels;
                wrong += runs[k].region != rule.ofDirection(sky.directionAt(sky.xOf(i), sky.yOf(row.y)));
            }
        }
    }
    EXPECT_GT(pixels, 100000);
    EXPECT_EQ(wrong, 0);
}

INSTANTIATE_TEST_SUITE_P(Regions, AxialRuns,
    ::testing::Values(RunsCase{"default grid", fisheye(kEquidistant, 320.3, 240.7, 230.0), 18, 72, {}},
        RunsCase{"turned and declined", fisheye(kEquisolidangle, 321.1, 239.4, 250.0), 18, 72, {37.3, 4.2, false}},
        RunsCase{"mirrored", fisheye(kOrthographic, 319.6, 240.2, 235.0), 9, 36, {201.0, -7.5, true}},
        RunsCase{"centre on a pixel centre", fisheye(kEquidistant, 320.5, 240.5, 220.0), 18, 72, {90.0, 0.0, false}},
        RunsCase{"centre on a pixel corner", fisheye(kStereographic, 320.0, 240.0, 210.0), 7, 13, {11.0, 0.0, true}},
        RunsCase{"tilted", fisheye(kEquidistant, 320.3, 240.7, 230.0, 0.0, 0.0, 30.0), 18, 72, {0.0, 0.0, false}},
        RunsCase{"finest grid", fisheye(kEquidistant, 320.3, 240.2, 238.0), 90, 360, {0.25, 0.0, false}},
        RunsCase{"one region", fisheye(kEquidistant, 320.3, 240.2, 238.0), 1, 1, {0.0, 0.0, false}},
        RunsCase{"circle past the image", fisheye(kEquidistant, 120.3, 140.7, 300.0), 18, 72, {45.1, 0.0, false}}));

// A photo whose sky is the quadrant of photo azimuths 180..270 (its lower
// left): looking up with north at the top, that is the south-east.
test::Scene quadrant(double a0)
{
    test::Scene scene;
    scene.patches.push_back({0.0, kPi / 2.0, a0, a0 + kPi / 2.0});
    return scene;
}

void expectSouthEastOpen(const RegionGaps& gaps, const light::SkyGrid& grid)
{
    for (int k = 0; k < grid.regions(); ++k) {
        const double azimuth = (k % grid.sectors() + 0.5) * grid.sectorWidthDeg();
        EXPECT_DOUBLE_EQ(gaps.gap[std::size_t(k)], azimuth > 90.0 && azimuth < 180.0 ? 1.0 : 0.0) << "region " << k;
        EXPECT_DOUBLE_EQ(gaps.shown[std::size_t(k)], 1.0);
    }
}

// The quadrant's edges lie on region edges, and each pixel is painted by its
// centre's direction as it is classified by it: the gaps are exactly 0 and
// 1, however the photo was turned or flipped, when the orientation says so.
TEST(RegionGaps, FollowTheOrientationOfTheSameSky)
{
    const light::SkyGrid grid(9, 36);
    const CanopySettings settings;
    const auto gapsOf = [&](double a0, const ProjectionRecord& record, const SkyOrientation& o) {
        const test::Photo photo = test::render(quadrant(a0), record, 600, 600, nullptr, test::Rim::Hard);
        const PixelFigures f = measurePixels(photo.view(), record, nullptr, settings);
        return measureRegionGaps(photo.view(), record, nullptr, settings, f.threshold, grid, o);
    };
    const ProjectionRecord record = fisheye(kEquidistant, 300.3, 299.6, 280.0);
    // Looking up, north at the top; turned by 180 degrees, its top aimed
    // south; flipped left to right, to a map's orientation; a compass aimed
    // 10 degrees east of north with a declination of -10; flipped and its
    // top aimed west, which tells the mirroring and the turn apart (the
    // right is north, the lower left the south-east).
    for (const auto& [a0, o] : {std::pair{kPi, SkyOrientation{0.0, 0.0, false}}, {0.0, {180.0, 0.0, false}},
             {1.5 * kPi, {0.0, 0.0, true}}, {kPi, {10.0, -10.0, false}}, {kPi, {270.0, 0.0, true}}}) {
        SCOPED_TRACE(o.topAzimuthDeg);
        expectSouthEastOpen(gapsOf(a0, record, o), grid);
    }
}

// The regions follow the image's own angle: measuring a photo along its
// axis with a tilt changes none of them.
TEST(RegionGaps, TiltDoesNotTurnTheRegions)
{
    const light::SkyGrid grid(18, 72);
    const CanopySettings settings;
    const ProjectionRecord plain = fisheye(kEquidistant, 400.3, 300.8, 290.0);
    ProjectionRecord tilted = plain;
    tilted.Rot = 30.0;
    const test::Photo photo = test::render(test::patchScene(3), plain, 800, 600);
    const int threshold = measurePixels(photo.view(), plain, nullptr, settings).threshold;
    const RegionGaps a = measureRegionGaps(photo.view(), plain, nullptr, settings, threshold, grid, {});
    const RegionGaps b = measureRegionGaps(photo.view(), tilted, nullptr, settings, threshold, grid, {});
    for (std::size_t k = 0; k < a.gap.size(); ++k)
        EXPECT_NEAR(a.gap[k], b.gap[k], 1e-12) << "region " << k;
}

struct OpennessCase {
    const char* name;
    ProjectionRecord record;
    int rings, sectors;
    int width = 800, height = 600;
};

void PrintTo(const OpennessCase& c, std::ostream* os) { *os << c.name; }

class RegionOpenness : public ::testing::TestWithParam<OpennessCase> { };

// The regions' gaps weighted by their solid angles give the openness of
// the whole hemisphere, the part the photo does not show counted as
// obstructed: the pixel openness to 90 degrees times the share covered.
TEST_P(RegionOpenness, IsThePixelOpennessOfWhatThePhotoShows)
{
    const OpennessCase& c = GetParam();
    CanopySettings settings;
    settings.maxZenithDeg = 90.0;
    const test::Photo photo = test::render(test::patchScene(11), c.record, c.width, c.height);
    const PixelFigures f = measurePixels(photo.view(), c.record, nullptr, settings);
    ASSERT_EQ(f.status, PixelStatus::Ok);
    const light::SkyGrid grid(c.rings, c.sectors);
    const RegionGaps gaps
        = measureRegionGaps(photo.view(), c.record, nullptr, settings, f.threshold, grid, {77.0, 0.0, false});
    EXPECT_NEAR(test::regionShare(gaps.gap, grid), f.openness * f.coveredShare, 1e-3);
}

INSTANTIATE_TEST_SUITE_P(Regions, RegionOpenness,
    ::testing::Values(OpennessCase{"default grid", fisheye(kEquidistant, 400.3, 300.6, 290.0), 18, 72},
        OpennessCase{"coarse grid", fisheye(kEquisolidangle, 400.3, 300.6, 290.0), 9, 36},
        OpennessCase{"finest grid", fisheye(kEquidistant, 400.3, 300.6, 290.0), 90, 360},
        OpennessCase{"cut by the image's edge", fisheye(kEquidistant, 150.3, 300.6, 290.0), 18, 72},
        OpennessCase{"view off the axis", fisheye(kEquidistant, 400.3, 300.6, 290.0, 10.0, 5.0, 20.0), 18, 72}));

// A region holding no pixel centre (the finest grid near the zenith of a
// small photo) takes the class of the pixel under its centre.
TEST(RegionGaps, RegionsWithoutAPixelTakeThePixelUnderTheirCentre)
{
    const light::SkyGrid grid(90, 360);
    const ProjectionRecord record = fisheye(kEquidistant, 30.2, 30.4, 28.0);
    for (const bool open : {true, false}) {
        const test::Photo photo = test::uniform(open ? 0xff8090f0u : 0xff204010u, record, 60, 60);
        const RegionGaps gaps = measureRegionGaps(photo.view(), record, nullptr, CanopySettings{}, 100, grid, {});
        for (std::size_t k = 0; k < gaps.gap.size(); ++k)
            ASSERT_DOUBLE_EQ(gaps.gap[k], open ? 1.0 : 0.0) << "region " << k;
    }
}

// What a photo shows: every region of a circle wholly on its image; a
// circle cut by the image's edge shows as much as its pixels cover; a lens
// of 80 degrees' half field shows nothing of the last two 5-degree rings.
TEST(RegionGaps, ShowWhatThePhotoCovers)
{
    const light::SkyGrid grid(18, 72);
    const auto shownOf = [&](const ProjectionRecord& record, int width, const RixLens* lens) {
        const test::Photo photo = test::uniform(0xff8090f0u, record, width, 600);
        return measureRegionGaps(photo.view(), record, lens, CanopySettings{}, 100, grid, {}).shown;
    };
    for (const double s : shownOf(fisheye(kEquidistant, 300.3, 300.2, 290.0), 600, nullptr))
        ASSERT_DOUBLE_EQ(s, 1.0);

    const ProjectionRecord cut = fisheye(kEquidistant, 100.3, 300.2, 290.0);
    const std::vector<double> shown = shownOf(cut, 600, nullptr);
    CanopySettings to90;
    to90.maxZenithDeg = 90.0;
    const test::Photo photo = test::uniform(0xff8090f0u, cut, 600, 600);
    const double covered = measurePixels(photo.view(), cut, nullptr, to90).coveredShare;
    EXPECT_LT(covered, 0.9);
    EXPECT_NEAR(test::regionShare(shown, grid), covered, 2e-3);

    const RixLens lens = test::lensOf({1.0 / (80.0 * kDeg)}, 80.0);
    const ProjectionRecord through = fisheye(RixLensSource, 300.3, 300.2, 290.0);
    const std::vector<double> narrow = shownOf(through, 600, &lens);
    for (int k = 0; k < grid.regions(); ++k)
        ASSERT_NEAR(narrow[std::size_t(k)], k / grid.sectors() < 16 ? 1.0 : 0.0, 1e-12) << "region " << k;
}

// imagePointOf is the inverse of the direction the regions read at a pixel
// centre: zenith from the view direction, azimuth with the tilt added back.
TEST(ImagePoint, GivesBackTheDirectionItWasAskedFor)
{
    const ProjectionRecord records[]
        = {fisheye(kEquidistant, 400.3, 300.6, 290.0), fisheye(kEquisolidangle, 400.3, 300.6, 290.0, 0.0, 0.0, 30.0),
            fisheye(kStereographic, 400.3, 300.6, 290.0, 12.0, -7.0, 15.0),
            fisheye(kOrthographic, 410.0, 290.0, 300.0, 0.0, 20.0, 0.0)};
    const RingLayout layout(5, 8, 75.0 * kDegToRad);
    for (const ProjectionRecord& record : records) {
        const PixelSky sky(record, test::idealModel(record), layout);
        const RegionRule rule(light::SkyGrid(18, 72), {}, sky.frame());
        int seen = 0;
        for (double zenith = 0.0; zenith <= 88.0; zenith += 11.0)
            for (double phi = 3.0; phi < 360.0; phi += 29.0) {
                const std::optional<ImagePoint> p = imagePointOf(record, nullptr, zenith, phi);
                if (!p)
                    continue; // beyond the camera's side of a view off the axis
                ++seen;
                const PixelSky::Direction d
                    = sky.directionAt((p->x - record.Cx) / record.R, (p->y - record.Cy) / record.R);
                EXPECT_NEAR(std::acos(std::min(d.ez, 1.0)) / kDeg, zenith, 1e-3);
                if (zenith > 0.0) {
                    EXPECT_NEAR(std::remainder(rule.photoAzimuthOf(d.ex, d.ey) - phi, 360.0), 0.0, 1e-3);
                }
            }
        EXPECT_GT(seen, 40);
    }
    // The zenith of a view along the axis is the circle's centre; a
    // direction past an 80-degree lens's field is not on the photo.
    const std::optional<ImagePoint> centre = imagePointOf(records[0], nullptr, 0.0, 0.0);
    ASSERT_TRUE(centre);
    EXPECT_DOUBLE_EQ(centre->x, 400.3);
    const RixLens lens = test::lensOf({1.0 / (80.0 * kDeg)}, 80.0);
    const ProjectionRecord through = fisheye(RixLensSource, 300.3, 300.2, 290.0);
    EXPECT_TRUE(imagePointOf(through, &lens, 79.0, 10.0));
    EXPECT_FALSE(imagePointOf(through, &lens, 81.0, 10.0));
}

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

} // namespace
} // namespace karwen::canopy
