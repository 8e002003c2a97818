// The per-pixel geometry against closed-form solid angles: every ring and
// sector of every projection, off-axis views, and circles cut by the edge.
#include "sky_map.h"

#include "pixel_figures.h"
#include "pixel_sky.h"
#include "radial_geometry.h"
#include "synthetic_sky.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace karwen::canopy {
namespace {

using test::fisheye;

constexpr double kPi = std::numbers::pi;

class SkyMapSolidAngles : public ::testing::TestWithParam<ProjectionRecord> { };

TEST_P(SkyMapSolidAngles, EveryBinCoversItsShareOfTheSphere)
{
    const RingLayout layout{5, 8, 75.0 * kDegToRad};
    const SkyMap map(GetParam(), test::idealModel(GetParam()), 1000, 1000, layout);
    const auto solid = map.binSolidAngle();
    // Rings have no straight edges and come out within a fraction of a per
    // cent. A sector edge that runs along a pixel row, column or diagonal
    // moves whole lines of pixel centres to one side, up to 3 % of the small
    // sectors next to the zenith.
    for (int k = 0; k < layout.rings(); ++k) {
        const double a = k * 15.0 * kDegToRad, b = a + 15.0 * kDegToRad;
        const double ring = 2.0 * kPi * (std::cos(a) - std::cos(b)), sector = ring / layout.sectors();
        double sum = 0.0;
        for (int s = 0; s < layout.sectors(); ++s) {
            const double got = solid[static_cast<std::size_t>(k * layout.sectors() + s)];
            EXPECT_NEAR(got, sector, 0.03 * sector) << "ring " << k << " sector " << s;
            sum += got;
        }
        EXPECT_NEAR(sum, ring, 0.005 * ring) << "ring " << k;
    }
    // The view that looks off the camera axis loses a lune of twice the
    // angle between the two beyond 75 degrees; everything else is shown.
    const ProjectionRecord& r = GetParam();
    const double tilt = std::acos(std::cos(r.Alpha * kDegToRad) * std::cos(r.Beta * kDegToRad));
    double total = 0.0;
    for (const double s : solid)
        total += s;
    EXPECT_NEAR(total, 2.0 * kPi - 2.0 * tilt, 0.001 * 2.0 * kPi);
    EXPECT_NEAR(map.coveredShare(), 1.0, 0.002);
    EXPECT_LE(map.coveredShare(), 1.0);
}

INSTANTIATE_TEST_SUITE_P(EveryProjection, SkyMapSolidAngles,
    ::testing::Values(fisheye(kOrthographic, 500.3, 499.6, 480), fisheye(kEquisolidangle, 500.3, 499.6, 480),
        fisheye(kEquidistant, 500.3, 499.6, 480), fisheye(kStereographic, 500.3, 499.6, 480),
        fisheye(kOrthographic, 490, 505, 478, -9, 7, -50), fisheye(kEquisolidangle, 490, 505, 478, -9, 7, -50),
        fisheye(kEquidistant, 490, 505, 478, -9, 7, -50), fisheye(kStereographic, 490, 505, 478, -9, 7, -50)));

// An equisolid photo maps equal areas to equal solid angles, so the part of
// the 75-degree cap that a straight image edge cuts off is a circular
// segment of the cap's image disc, radius sqrt(2) sin(37.5 degrees).
double segmentShare(double edge, double rho)
{
    if (edge >= rho)
        return 0.0;
    const double segment = rho * rho * std::acos(edge / rho) - edge * std::sqrt(rho * rho - edge * edge);
    return segment / (kPi * rho * rho);
}

TEST(SkyMapCoverage, CircleCutByTheImageEdge)
{
    const double rho = std::sqrt(2.0) * std::sin(37.5 * kPi / 180.0);
    struct Cut {
        double edge; // distance of the bottom edge below the centre, in radii
        bool partial;
    };
    for (const Cut cut : {Cut{0.95, false}, Cut{0.82, false}, Cut{0.78, true}, Cut{0.5, true}}) {
        const ProjectionRecord record = fisheye(kEquisolidangle, 450, cut.edge * 400.0, 400);
        const test::Photo photo = test::uniform(0xffc0e0ffu, record, 900, 900);
        const PixelFigures f = measurePixels(photo.view(), record, nullptr, CanopySettings{});
        ASSERT_EQ(f.status, PixelStatus::Ok);
        EXPECT_NEAR(f.coveredShare, 1.0 - segmentShare(cut.edge, rho), 0.002) << cut.edge;
        EXPECT_EQ(f.partial, cut.partial) << cut.edge;
    }
}

// Maps are built row by row (a view along the camera axis run by run, any
// other several pixels at a time); every pixel must still get exactly the
// bin and weight its own classification gives. The cases put the centre on
// a pixel centre (a row and a column through it), tilt the picture so that
// sector edges run along rows and diagonals, vary the rings and sectors,
// cut the circle by the image edge, and look off the camera axis, so far
// that part of the photo lies behind the view.
TEST(SkyMapBuild, EveryPixelAsClassifiedOnItsOwn)
{
    struct Case {
        ProjectionRecord record;
        RingLayout layout;
        int width, height;
    };
    const Case cases[] = {
        {fisheye(kEquidistant, 300.5, 300.5, 280), RingLayout{5, 8, 75.0 * kDegToRad}, 601, 601},
        {fisheye(kEquisolidangle, 301.37, 297.81, 290, 0, 0, 45), RingLayout{5, 8, 75.0 * kDegToRad}, 600, 600},
        {fisheye(kOrthographic, 250, 250, 250, 0, 0, 90), RingLayout{7, 4, 90.0 * kDegToRad}, 500, 500},
        {fisheye(kStereographic, 200.25, 180.5, 220, 0, 0, -30), RingLayout{1, 1, 60.0 * kDegToRad}, 420, 300},
        {fisheye(kEquidistant, 150.5, 140.5, 160, 0, 0, 7), RingLayout{12, 36, 85.0 * kDegToRad}, 300, 300},
        {fisheye(kEquisolidangle, 100.5, 60.5, 130, 0, 0, 22.5), RingLayout{3, 16, 70.0 * kDegToRad}, 180, 160},
        {fisheye(kEquidistant, 300.5, 300.5, 280, 12, -7, 30), RingLayout{5, 8, 75.0 * kDegToRad}, 601, 601},
        {fisheye(kOrthographic, 250.3, 249.1, 245, -35, 20, 0), RingLayout{9, 12, 85.0 * kDegToRad}, 500, 500},
        {fisheye(kStereographic, 200.25, 180.5, 220, 0, 60, -90), RingLayout{5, 8, 75.0 * kDegToRad}, 420, 300},
    };
    for (const Case& c : cases) {
        const SkyMap map(c.record, test::idealModel(c.record), c.width, c.height, c.layout);
        const PixelSky sky(c.record, test::idealModel(c.record), c.layout);
        std::size_t pixels = 0, wrong = 0, mirrored = 0;
        std::vector<double> binPixels(static_cast<std::size_t>(map.binCount()), 0.0);
        float maxWeight = 0.0f;
        for (const SkyMap::Row& row : map.rows()) {
            mirrored += row.mirrored ? 1 : 0;
            for (int i = row.x0; i < row.x1; ++i) {
                const std::size_t k = std::size_t(i - row.x0);
                binPixels[map.bins()[row.first + k]] += 1.0;
                maxWeight = std::max(maxWeight, map.weights()[row.firstWeight + k]);
                const PixelSky::Pixel p = sky.at(sky.xOf(i), sky.yOf(row.y));
                if (map.bins()[row.first + k] != p.bin
                    || map.weights()[row.firstWeight + k] != static_cast<float>(p.solid))
                    ++wrong;
                ++pixels;
            }
        }
        EXPECT_GT(pixels, 20000u);
        // A centre on a pixel corner or a row's centre line shares the
        // weights of the rows at y and -y.
        const bool axial = c.record.Alpha == 0.0 && c.record.Beta == 0.0;
        const bool halfPixel = axial && 2.0 * c.record.Cy == std::floor(2.0 * c.record.Cy);
        EXPECT_EQ(mirrored > 0, halfPixel) << c.record.Cy;
        EXPECT_EQ(wrong, 0u) << "projection " << c.record.Proj << ", tilt " << c.record.Rot;
        EXPECT_TRUE(std::ranges::equal(map.binPixels(), binPixels));
        EXPECT_EQ(map.maxWeight(), maxWeight);
    }
}

// The tabulated solid angle of a pixel's annulus against the one from exact
// angles, centre to half a pixel past the rim, in every projection, for a
// small and a large circle: within 1e-4 pixel by pixel. Within a pixel of
// the rim the orthographic annulus' solid angle changes like a square root,
// which a table of any fineness interpolates to a few per cent at a point;
// what counts there is the sum over the rim's pixels, the band's integral.
TEST(RadialTableDensity, CloseToTheExactAnnulusEverywhere)
{
    for (const int32_t p : {kOrthographic, kEquisolidangle, kEquidistant, kStereographic})
        for (const double radius : {100.0, 940.5}) {
            const RadialTable table(test::idealModel(p), radius);
            const double half = 0.5 / radius, band = 1.0 - 2.0 * half;
            const int steps = 200000;
            double inner = 0.0, bandTable = 0.0, bandExact = 0.0;
            for (int k = 0; k <= steps; ++k) {
                const double rho = (1.0 + half) * k / steps;
                const double a = std::max(0.0, rho - half), b = rho + half;
                const double exact = 2.0 * (zenithAt(a, p).cos - zenithAt(std::min(b, 1.0), p).cos) / (b * b - a * a);
                const double got = table.at(rho * rho).density;
                if (rho < band) {
                    inner = std::max(inner, std::abs(got / exact - 1.0));
                } else {
                    bandTable += got * rho;
                    bandExact += exact * rho;
                }
            }
            EXPECT_LT(inner, 1e-4) << "projection " << p << " radius " << radius;
            EXPECT_NEAR(bandTable / bandExact, 1.0, 1e-3) << "projection " << p << " radius " << radius;
            // A pixel past the rim by more than its half extent holds none of the circle.
            EXPECT_EQ(table.at((1.0 + 3.0 * half) * (1.0 + 3.0 * half)).density, 0.0);
        }
}

TEST(SkyMapCache, RebuildsOnlyForNewGeometry)
{
    const RingLayout layout{5, 8, 75.0 * kDegToRad};
    const ProjectionRecord record = fisheye(kEquidistant, 100, 100, 90);
    const auto first = sharedSkyMap(record, test::idealModel(record), 200, 200, layout);
    EXPECT_EQ(sharedSkyMap(record, test::idealModel(record), 200, 200, layout), first);
    ProjectionRecord turned = record;
    turned.Rot = 1.0;
    EXPECT_NE(sharedSkyMap(turned, test::idealModel(turned), 200, 200, layout), first);
    EXPECT_NE(sharedSkyMap(record, test::idealModel(record), 200, 201, layout), first);
    EXPECT_NE(sharedSkyMap(record, test::idealModel(record), 200, 200, RingLayout{5, 4, 75.0 * kDegToRad}), first);
}

} // namespace
// Every pixel that holds part of the circle counts with the part inside,
// whatever the centre's fraction of a pixel, on the path along the camera
// axis and on the general one (a view off the axis by a hair), in every
// projection (the orthographic rim, where one pixel holds the most sky,
// included) and at every size: a whole circle holds the hemisphere, a cap
// its solid angle, and a layout to 90 degrees covers the whole circle.
TEST(SkyMapRim, EveryPixelTouchingTheCircleCounts)
{
    const RingLayout layout{9, 4, 90.0 * kDegToRad}; // ring edges every 10 degrees
    const double cap50 = 1.0 - std::cos(50.0 * std::numbers::pi / 180.0);
    for (const int32_t p : {kOrthographic, kEquisolidangle, kEquidistant, kStereographic})
        for (const double radius : {300.0, 480.0, 1500.0})
            for (int k = 0; k < 19; ++k) {
                if (radius > 1000.0 && k % 9 != 3)
                    continue; // a large circle at two fractional centres
                const double fx = k < 10 ? k / 10.0 : 0.0, fy = k < 10 ? 0.0 : (k - 9) / 10.0;
                const int side = static_cast<int>(2.0 * radius) + 8;
                ProjectionRecord record = fisheye(p, radius + 4.0 + fx, radius + 4.0 + fy, radius);
                // A hair off the axis takes the general path; a few centres suffice.
                for (const double alpha : k % 6 == 0 ? std::vector<double>{0.0, 1e-6} : std::vector<double>{0.0}) {
                    record.Alpha = alpha;
                    const SkyMap map(record, test::idealModel(p), side, side, layout);
                    double all = 0.0, cap = 0.0;
                    for (int b = 0; b < map.binCount(); ++b) {
                        all += map.binSolidAngle()[static_cast<std::size_t>(b)];
                        cap += b < 5 * layout.sectors() ? map.binSolidAngle()[static_cast<std::size_t>(b)] : 0.0;
                    }
                    const std::string where = "projection " + std::to_string(p) + " R " + std::to_string(radius)
                        + " centre +" + std::to_string(fx) + ", +" + std::to_string(fy) + " alpha "
                        + std::to_string(alpha);
                    EXPECT_NEAR(all / (2.0 * kPi), 1.0, 0.0003) << where;
                    EXPECT_NEAR(cap / (2.0 * kPi), cap50, 0.001) << where;
                    EXPECT_GE(map.coveredShare(), 0.999) << where;
                    EXPECT_EQ(map.binSolidAngle()[static_cast<std::size_t>(map.beyondBin())], 0.0) << where;
                }
            }
}

} // namespace karwen::canopy
