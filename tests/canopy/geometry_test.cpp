// The per-pixel geometry against closed-form solid angles; the edge
// method's pairs against every pair counted on its own; the ring formulas
// against canopies of known leaf area, and the bounds of rings without sky;
// the random numbers behind the intervals.
#include "canopy_indices.h"
#include "dot_figures.h"
#include "dot_sky.h"
#include "edge_rows.h"
#include "floor_bound.h"
#include "photo_threshold.h"
#include "pixel_figures.h"
#include "pixel_sky.h"
#include "projection_model.h"
#include "radial_geometry.h"
#include "random.h"
#include "sky_map.h"
#include "synthetic_sky.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <numeric>
#include <utility>
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
    EXPECT_NEAR(test::sumOf(solid), 2.0 * kPi - 2.0 * tilt, 0.001 * 2.0 * kPi);
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
                    const auto solid = map.binSolidAngle();
                    const double all = test::sumOf(solid);
                    const double cap = std::accumulate(solid.begin(), solid.begin() + 5 * layout.sectors(), 0.0);
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

TEST(NeighbourPairs, SumsEqualEveryPairCountedOnItsOwn)
{
    struct Case {
        ProjectionRecord record;
        int width, height;
        unsigned run; // values are equal over squares of this side
    };
    const Case cases[] = {
        {fisheye(kEquidistant, 300.5, 300.5, 280), 601, 601, 1},
        {fisheye(kEquisolidangle, 100.5, 60.5, 130, 0, 0, 22.5), 180, 160, 7},
        {fisheye(kOrthographic, 250.3, 249.1, 245, -35, 20, 0), 500, 500, 1},
        {fisheye(kStereographic, 200.25, 180.5, 220, 0, 60, -90), 420, 300, 40},
        {fisheye(kEquidistant, 300.5, 300.5, 280), 601, 601, 100},
        {fisheye(kEquidistant, 3.5, 2.5, 3), 7, 5, 1},
    };
    const RingLayout layout{5, 8, 75.0 * kDegToRad};
    for (const Case& c : cases) {
        const SkyMap map(c.record, test::idealModel(c.record), c.width, c.height, layout);
        // Values by pixel from a hash of the square of side run it lies in,
        // so that larger runs give wide patches whose pixels equal all their
        // neighbours.
        std::vector<uint8_t> image(std::size_t(c.width) * std::size_t(c.height));
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                const uint32_t square = uint32_t(x) / c.run * 7919u + uint32_t(y) / c.run * 104729u;
                image[std::size_t(y) * std::size_t(c.width) + std::size_t(x)] = uint8_t((square * 2654435761u) >> 24);
            }
        const auto value = [&](int x, int y) { return image[std::size_t(y) * std::size_t(c.width) + std::size_t(x)]; };

        // Gathered with the pixels across the rim, and apart from them.
        NeighbourPairs pairs(c.width, map.maxWeight()), apart(c.width, map.maxWeight());
        const float* weights = map.weights().data();
        for (const SkyMap::Row& row : map.rows()) {
            const uint8_t* values = &image[std::size_t(row.y) * std::size_t(c.width) + std::size_t(row.x0)];
            std::copy_n(values, row.x1 - row.x0, pairs.nextRow() + row.x0);
            pairs.addRow(row, weights);
            std::copy_n(values, row.x1 - row.x0, apart.nextRow() + row.x0);
            apart.addRow(row, weights, false);
        }

        const auto units = [&](const SkyMap::Row& row, int x) {
            int32_t u = 0;
            weightUnits(weights + row.firstWeight + (x - row.x0), 1, pairs.scale(), &u);
            return u;
        };
        EdgeSums expected;
        const auto rows = map.rows();
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const SkyMap::Row& row = rows[r];
            for (int x = row.x0; x + 1 < row.x1; ++x)
                expected.addPair(value(x, row.y), value(x + 1, row.y), std::min(units(row, x), units(row, x + 1)));
            if (r + 1 == rows.size() || rows[r + 1].y != row.y + 1)
                continue;
            const SkyMap::Row& below = rows[r + 1];
            for (int x = std::max(row.x0, below.x0); x < std::min(row.x1, below.x1); ++x)
                expected.addPair(value(x, row.y), value(x, below.y), std::min(units(row, x), units(below, x)));
        }
        const EdgeSums got = pairs.sums();
        EXPECT_EQ(got.weight, expected.weight) << c.width << " x " << c.height;
        EXPECT_EQ(got.contrast, expected.contrast) << c.width << " x " << c.height;
        // Something was counted: the comparison is not of two empty tables.
        EXPECT_TRUE(std::ranges::any_of(expected.contrast, [](int64_t s) { return s != 0; }));

        // Without the pixels across the rim, which are then added on their own.
        std::vector<uint32_t> pixels(image.size());
        std::ranges::transform(image, pixels.begin(), [](uint8_t v) { return 0xff000000u | v; });
        const PixelView view{pixels.data(), c.width, c.height, c.width};
        EdgeSums rejoined = apart.sums();
        ASSERT_FALSE(map.rimPixels().empty());
        EXPECT_NE(rejoined.weight, expected.weight) << "the rim weighs something";
        addRimPairs(rejoined, view, map, ValueTable(Channel::Blue, 1.0), apart.scale());
        EXPECT_EQ(rejoined.weight, expected.weight) << c.width << " x " << c.height;
        EXPECT_EQ(rejoined.contrast, expected.contrast) << c.width << " x " << c.height;
    }
}

// A circle far larger than its photo gives pixel weights too small for a
// float to scale to whole units: the pairs then weigh nothing rather than
// overflowing.
TEST(NeighbourPairs, VanishingWeightsWeighNothing)
{
    NeighbourPairs pairs(4, 1e-40f);
    EXPECT_TRUE(std::isfinite(pairs.scale()));
    const float weights[4] = {1e-40f, 1e-40f, 1e-40f, 1e-40f};
    const uint8_t values[4] = {10, 200, 10, 200};
    std::copy_n(values, 4, pairs.nextRow());
    pairs.addRow(SkyMap::Row{0, 0, 4, 0, 0}, weights);
    const EdgeSums sums = pairs.sums();
    EXPECT_TRUE(std::ranges::all_of(sums.weight, [](int64_t s) { return s == 0; }));
    EXPECT_EQ(edgeThreshold(sums, Histogram{}), kMidScale);
}

std::vector<double> ringGaps(const RingLayout& layout, double (*gapAt)(double))
{
    std::vector<double> gaps;
    for (int k = 0; k < layout.rings(); ++k)
        gaps.push_back(gapAt(layout.ringCentre(k)));
    return gaps;
}

// Miller's weight of ring k in le: 2 cos t_k sin t_k / sum sin t_j.
double millerWeight(const RingLayout& layout, int k)
{
    double sinSum = 0.0;
    for (int j = 0; j < layout.rings(); ++j)
        sinSum += std::sin(layout.ringCentre(j));
    const double t = layout.ringCentre(k);
    return 2.0 * std::cos(t) * std::sin(t) / sinSum;
}

// Randomly placed leaves with a spherical angle distribution (G = 0.5) and
// leaf area index 3 let through exp(-0.5 * 3 / cos t). Miller's sum then
// gives 2 sum 1.5 / cos t_k cos t_k w_k = 3 sum w_k = 3 on any ring layout.
double spherical(double t) { return std::exp(-1.5 / std::cos(t)); }

TEST(CanopyIndices, MillerRecoversTheLeafAreaOfSphericalLeaves)
{
    for (const RingLayout& layout :
        {RingLayout{5, 8, 75.0 * kDegToRad}, RingLayout{3, 1, 60.0 * kDegToRad}, RingLayout{9, 4, 81.0 * kDegToRad}}) {
        const RingWeights weights(layout);
        const std::vector<double> gaps = ringGaps(layout, spherical);
        bool saturated = false;
        EXPECT_NEAR(weights.le(gaps, saturated), 3.0, 1e-12) << layout.rings();
        // Leaves spread evenly over the sectors: nothing is clumped.
        std::vector<double> sectors;
        for (double g : gaps)
            sectors.insert(sectors.end(), static_cast<std::size_t>(layout.sectors()), g);
        const double l = weights.l(sectors, saturated);
        EXPECT_NEAR(l, 3.0, 1e-12);
        EXPECT_NEAR(clumping(weights.le(gaps, saturated), l), 1.0, 1e-12);
        EXPECT_FALSE(saturated);
    }
}

TEST(CanopyIndices, ClumpedSectorsAndSaturation)
{
    // One ring centred on 30 degrees, two sectors: leaves of contact number
    // 2 / cos 30 in one sector, none in the other. The ring lets half its
    // sky through on average, the sectors say more foliage is hidden.
    const RingLayout layout{1, 2, 60.0 * kDegToRad};
    const RingWeights weights(layout);
    const double c = std::cos(30.0 * kDegToRad);
    const double dense = std::exp(-2.0 / c);
    const std::vector<double> ring{(dense + 1.0) / 2.0};
    const std::vector<double> sectors{dense, 1.0};
    bool saturated = false;
    EXPECT_NEAR(weights.difn(ring), (dense + 1.0) / 2.0, 1e-15);
    const double le = weights.le(ring, saturated);
    EXPECT_NEAR(le, 2.0 * c * -std::log((dense + 1.0) / 2.0), 1e-12);
    EXPECT_NEAR(weights.l(sectors, saturated), 2.0, 1e-12); // 2 c (2 / c + 0) / 2
    EXPECT_FALSE(saturated);
    // A sector the photo does not show is left out of the ring's mean.
    EXPECT_NEAR(weights.l(std::vector<double>{dense, NAN}, saturated), 4.0, 1e-12);

    // No gap at all: the floor exp(-10) stands in and says so.
    const std::vector<double> closed{0.0};
    EXPECT_NEAR(weights.le(closed, saturated), 2.0 * c * 10.0, 1e-12);
    EXPECT_TRUE(saturated);
    saturated = false;
    EXPECT_NEAR(weights.l(std::vector<double>{0.0, 1.0}, saturated), c * 10.0, 1e-12);
    EXPECT_TRUE(saturated);
    EXPECT_EQ(clumping(0.0, 0.0), 1.0);
}

TEST(FloorBound, OneRingWorkedByHand)
{
    // One ring to 90 degrees: t = 45 degrees, le = 2 cos t (-ln gf).
    const RingWeights weights(RingLayout(1, 2, std::numbers::pi / 2.0));
    const std::vector<double> none{0.0}, share{0.01};
    const auto bound = leBound(weights, none, share);
    ASSERT_TRUE(bound.has_value());
    EXPECT_NEAR(bound->atLeast, std::sqrt(2.0) * std::log(100.0), 1e-12);
    EXPECT_EQ(bound->empty, (std::vector<EmptyCell>{{0, -1}}));
    EXPECT_FALSE(leBound(weights, std::vector<double>{0.2}, share).has_value());
    // L: sector 2 of the ring has no gap, sector 1 half; mean of ln 2 and ln 100.
    const auto l = lBound(weights, std::vector<double>{0.5, 0.0}, std::vector<double>{0.02, 0.01}, 2);
    ASSERT_TRUE(l.has_value());
    EXPECT_NEAR(l->atLeast, std::sqrt(2.0) * (std::log(2.0) + std::log(100.0)) / 2.0, 1e-12);
    EXPECT_EQ(l->empty, (std::vector<EmptyCell>{{0, 1}}));
}

// A ring the photo does not show (a photo of one pixel, say) leaves le
// undefined: no bound, never "at least nan".
TEST(FloorBound, NoBoundWhereARingIsNotShown)
{
    const RingWeights weights(RingLayout(2, 1, std::numbers::pi / 2.0));
    const std::vector<double> gap{0.0, NAN}, share{0.01, NAN};
    EXPECT_FALSE(leBound(weights, gap, share).has_value());
    EXPECT_FALSE(lBound(weights, gap, share, 1).has_value());
    // A one-pixel photo, all canopy: saturated, its le and bounds absent.
    const ProjectionRecord record = test::fisheye(kEquidistant, 0.5, 0.5, 0.47);
    const uint32_t pixel = 0xff203010u;
    const PixelFigures f = measurePixels({&pixel, 1, 1, 1}, record, nullptr, {});
    ASSERT_EQ(f.status, PixelStatus::Ok);
    EXPECT_FALSE(f.leBound.has_value());
    EXPECT_FALSE(f.lBound.has_value());
}

TEST(FloorBound, DotsOfARingWithoutSky)
{
    const CanopySettings settings; // 5 rings to 75 degrees
    const auto sky = dotSky(kEquisolidangle);
    ASSERT_TRUE(sky.has_value());
    const RingLayout layout = RingLayout::of(settings);
    DotGaps gaps{};
    for (std::size_t n = 1; n <= kDotCount; ++n)
        gaps[n] = layout.ringOf(sky->cosZenith[n]) != 1;
    const DotFigures f = measureDots(gaps, kEquisolidangle, settings);
    ASSERT_TRUE(f.saturated && f.le && f.leBound);
    EXPECT_EQ(f.leBound->empty, (std::vector<EmptyCell>{{1, -1}}));
    // Every other ring all sky: only ring 2 adds, its weight times -ln 1/n.
    const double w = millerWeight(layout, 1);
    EXPECT_NEAR(f.leBound->atLeast, w * std::log(double(f.ringDots[1])), 1e-12);
    EXPECT_NEAR(f.le->value, w * 10.0, 1e-12); // the floor
    EXPECT_FALSE(measureDots(DotGaps{}, kPerspective, settings).leBound.has_value());
}

TEST(FloorBound, PixelsOfARingWithoutSky)
{
    const ProjectionRecord record = test::fisheye(kEquidistant, 150.0, 150.0, 140.0);
    // No patch between 14 and 31 degrees: ring 2 (15 to 30) is all canopy.
    const test::Photo photo = test::render(test::patchScene(11, 14.0, 31.0), record, 300, 300);
    const CanopySettings settings{.method = ThresholdMethod::Fixed, .fixedThreshold = 127};
    const PixelFigures f = measurePixels(photo.view(), record, nullptr, settings);
    ASSERT_EQ(f.status, PixelStatus::Ok);
    ASSERT_TRUE(f.saturated && f.leBound && f.lBound);
    EXPECT_EQ(f.leBound->empty.size(), 1u);
    EXPECT_EQ(f.leBound->empty[0], (EmptyCell{1, -1}));
    std::size_t inRing2 = 0;
    for (const EmptyCell& cell : f.lBound->empty)
        inRing2 += cell.ring == 1;
    EXPECT_EQ(inRing2, std::size_t(settings.sectors));
    // Ring 2 counted at one over its pixels instead of exp(-10).
    const RingLayout layout = RingLayout::of(settings);
    const auto map = sharedSkyMap(record, test::idealModel(record), 300, 300, layout);
    double pixels = 0.0;
    for (const uint16_t bin : map->bins())
        pixels += bin / settings.sectors == 1;
    const double w = millerWeight(layout, 1);
    EXPECT_GT(pixels, 1000.0);
    EXPECT_NEAR(f.leBound->atLeast, f.le - w * (10.0 - std::log(pixels)), 1e-9);
    EXPECT_LT(f.lBound->atLeast, f.l);
    // The whole hemisphere, weighted, but for the pixels across the rim,
    // which are read by their inside and so left out of the threshold's
    // histogram.
    double rim = 0.0;
    for (const SkyMap::RimPixel& p : map->rimPixels())
        rim += test::weightOf(*map, p);
    EXPECT_GT(rim, 0.01);
    EXPECT_NEAR(test::sumOf(f.histogram) + rim, 2.0 * std::numbers::pi, 1e-3);
}

TEST(Random, SameNumbersEverywhere)
{
    uint64_t state = 0;
    EXPECT_EQ(splitMix64(state), 0xe220a8397b1dcdafull);
    EXPECT_EQ(splitMix64(state), 0x6e789e6aa1b965f4ull);
    EXPECT_EQ(splitMix64(state), 0x06c45d188009454full);
    Xoshiro256 random(42);
    EXPECT_EQ(random.next(), 0x15780b2e0c2ec716ull);
    EXPECT_EQ(random.next(), 0x6104d9866d113a7eull);
    EXPECT_EQ(random.next(), 0xae17533239e499a1ull);
}

// Mean and variance of `draws` draws against the expected ones: the mean
// within four standard errors, the variance within 5 %; every draw within
// [lo, hi].
template <class Draw> void expectMoments(Draw draw, int draws, double lo, double hi, double mean, double variance)
{
    double sum = 0.0, squares = 0.0;
    for (int i = 0; i < draws; ++i) {
        const double x = draw();
        ASSERT_GE(x, lo);
        ASSERT_LE(x, hi);
        sum += x;
        squares += x * x;
    }
    const double m = sum / draws;
    EXPECT_NEAR(m, mean, 4.0 * std::sqrt(variance / draws));
    EXPECT_NEAR(squares / draws - m * m, variance, 0.05 * variance);
}

TEST(Random, BinomialMeanAndVariance)
{
    Xoshiro256 random(7);
    for (const auto& [n, p] : {std::pair{50, 0.3}, {200, 0.02}, {7, 0.9}}) {
        SCOPED_TRACE(n);
        expectMoments([&] { return double(random.binomial(n, p)); }, 20000, 0.0, n, n * p, n * p * (1.0 - p));
    }
    EXPECT_EQ(random.binomial(30, 0.0), 0);
    EXPECT_EQ(random.binomial(30, 1.0), 30);
    EXPECT_EQ(random.binomial(0, 0.5), 0);
}

// Beta(a, b) has mean a / (a + b) and variance ab / ((a + b)^2 (a + b + 1));
// shapes below 1 go through the boosted gamma draw. Every draw lies strictly
// inside (0, 1).
TEST(Random, BetaMeanAndVariance)
{
    Xoshiro256 random(11);
    for (const auto& [a, b] : {std::pair{0.5, 10.5}, {3.0, 2.0}, {40.5, 0.5}}) {
        SCOPED_TRACE(a);
        const double s = a + b;
        expectMoments([&] { return random.beta(a, b); }, 40000, std::nextafter(0.0, 1.0), std::nextafter(1.0, 0.0),
            a / s, a * b / (s * s * (s + 1.0)));
    }
}

} // namespace
} // namespace karwen::canopy
