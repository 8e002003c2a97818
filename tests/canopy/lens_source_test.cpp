// Photos seen through a real lens: the equidistant projection written as a
// lens polynomial measures as the projection itself, a synthetic sky rendered
// through a non-ideal lens is measured through it as well as the ideal
// projections are measured, a narrow lens's missing ring is off the photo,
// lenses that do not fit the record are refused with a reason, and no cache
// confuses one lens with another.
#include "canopy_tracker.h"
#include "dot_gaps.h"
#include "dot_sky.h"
#include "dots_view.h"
#include "image_row.h"
#include "pixel_figures.h"
#include "projection_model.h"
#include "radial_geometry.h"
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
using test::lensOf;

constexpr double kPi = std::numbers::pi;
constexpr int kSide = 1000;

// rho = 0.6 t + 0.04 t^2 + 0.02 t^3, scaled so that rho(pi / 2) = 1: at 45
// degrees it reads 0.452 where the equidistant projection reads 0.5.
RixLens skewedLens(double halfFov)
{
    const double t = kPi / 2.0;
    const double s = 0.6 * t + 0.04 * t * t + 0.02 * t * t * t;
    return lensOf({0.6 / s, 0.04 / s, 0.02 / s}, halfFov);
}

ProjectionRecord throughLens(ProjectionRecord record)
{
    record.Proj = RixLensSource;
    return record;
}

double maxDifference(const std::vector<double>& a, const std::vector<double>& b)
{
    double most = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i)
        most = std::max(most, std::fabs(a[i] - b[i]));
    return most;
}

TEST(LensSource, EquidistantPolynomialMeasuresAsTheProjection)
{
    const RixLens equidistant = lensOf({2.0 / kPi}, 90.0);
    const test::Scene scene = test::patchScene(7);
    for (const ProjectionRecord& ideal :
        {fisheye(kEquidistant, 500, 500, 480), fisheye(kEquidistant, 490, 505, 478, 8, -6, 30)}) {
        const test::RixImage photo(test::render(scene, ideal, kSide, kSide));
        const CanopySettings settings;
        const CanopyRow asProjection
            = measurePhoto("p", photo.handle(), ideal, nullptr, kDotsViewRecord, kSide, kSide, settings);
        const CanopyRow asLens = measurePhoto(
            "p", photo.handle(), throughLens(ideal), &equidistant, kDotsViewRecord, kSide, kSide, settings);
        ASSERT_TRUE(asProjection.error.empty() && asLens.error.empty()) << asLens.error;
        const PixelFigures& a = *asProjection.pixels;
        const PixelFigures& b = *asLens.pixels;
        EXPECT_EQ(a.threshold, b.threshold);
        EXPECT_NEAR(a.openness, b.openness, 1e-6);
        EXPECT_NEAR(a.difn, b.difn, 1e-6);
        EXPECT_NEAR(a.le, b.le, 1e-6);
        EXPECT_NEAR(a.l, b.l, 1e-6);
        EXPECT_NEAR(a.coveredShare, b.coveredShare, 1e-6);
        EXPECT_LT(maxDifference(a.ringGap, b.ringGap), 1e-6);
        EXPECT_LT(maxDifference(a.sectorGap, b.sectorGap), 1e-6);
        ASSERT_TRUE(asProjection.dots && asLens.dots);
        EXPECT_EQ(asProjection.dots->outside, asLens.dots->outside);
        EXPECT_NEAR(asProjection.dots->openness.value, asLens.dots->openness.value, 1e-6);
        EXPECT_NEAR(asProjection.dots->le->value, asLens.dots->le->value, 1e-6);
        ASSERT_TRUE(asLens.lens.has_value());
        EXPECT_EQ(asLens.lens->A[0], equidistant.A[0]);
        EXPECT_FALSE(asProjection.lens.has_value());
    }
}

// The tolerances of the ideal projections' accuracy cases, on the same
// scene, circles and view angles. A wide lens's ring past 90 degrees shows
// sky that must not count.
TEST(LensSource, SyntheticLensMeasuredThroughIt)
{
    const RixLens lens = skewedLens(100.0);
    const test::Scene scene = test::patchScene(7);
    const CanopySettings settings;
    const test::Truth truth = test::truthOf(scene, settings.rings, settings.maxZenithDeg, settings.sectors);
    for (const ProjectionRecord& ideal :
        {fisheye(kEquidistant, 500, 500, 480), fisheye(kEquidistant, 490, 505, 478, 8, -6, 30)}) {
        const ProjectionRecord record = throughLens(ideal);
        const test::RixImage photo(test::render(scene, record, kSide, kSide, &lens));
        const PixelFigures f = measurePixels(photo.view(), record, &lens, settings);
        ASSERT_EQ(f.status, PixelStatus::Ok);
        EXPECT_FALSE(f.partial);
        const double tilt = std::acos(std::cos(record.Alpha * kDegToRad) * std::cos(record.Beta * kDegToRad));
        const double openness = truth.openness * 2.0 * kPi / (2.0 * kPi - 2.0 * tilt);
        EXPECT_NEAR(f.openness, openness, 0.001);
        EXPECT_NEAR(f.difn, truth.difn, 0.001);
        EXPECT_LT(maxDifference(f.ringGap, truth.ringGap), 0.0025);
        EXPECT_LT(maxDifference(f.sectorGap, truth.sectorGap), 0.01);
        EXPECT_NEAR(f.le, truth.le, 0.002 * truth.le);
        EXPECT_NEAR(f.l, truth.l, 0.002 * truth.l);
        EXPECT_NEAR(f.lx, truth.lx, 0.03);

        // The same photo taken for an equidistant one is measurably off.
        const PixelFigures wrong = measurePixels(photo.view(), ideal, nullptr, settings);
        ASSERT_EQ(wrong.status, PixelStatus::Ok);
        EXPECT_GT(maxDifference(wrong.ringGap, truth.ringGap), 0.02);
        EXPECT_GT(std::fabs(wrong.le / truth.le - 1.0), 0.02);

        // The dots read each direction where the lens put it: they agree
        // with the dots of the equidistant photo of the same sky but for
        // the few on a patch's edge, whose nearest pixels differ; taken
        // for an equidistant photo, many more disagree.
        const test::RixImage idealPhoto(test::render(scene, ideal, kSide, kSide));
        const auto read = [&](int32_t image, const ProjectionRecord& source, const RixLens* through) {
            return classifyDotsOf(image, source, through, kDotsViewRecord, kSide, kSide, settings, 127).value();
        };
        const DotReading idealDots = read(idealPhoto.handle(), ideal, nullptr);
        const DotReading lensDots = read(photo.handle(), record, &lens);
        const DotReading wrongDots = read(photo.handle(), ideal, nullptr);
        // A wide lens shows the lune behind the camera that a tilted view
        // takes in (all of it that the frame holds); the ideal photo does not.
        EXPECT_EQ(idealDots.outside() > 0, record.Alpha != 0.0);
        EXPECT_LE(lensDots.outside(), idealDots.outside() / 4);
        int lensDiffer = 0, wrongDiffer = 0;
        for (std::size_t n = 1; n <= kDotCount; ++n) {
            if (idealDots.outsideDots[n])
                continue;
            lensDiffer += lensDots.gaps[n] != idealDots.gaps[n];
            wrongDiffer += wrongDots.gaps[n] != idealDots.gaps[n];
        }
        std::printf("[lens] dots unlike the equidistant photo's: %d through the lens, %d taken as equidistant\n",
            lensDiffer, wrongDiffer);
        EXPECT_LT(lensDiffer, 20);
        EXPECT_GT(wrongDiffer, 3 * lensDiffer + 20);
    }
}

// A lens of 60 degrees half field: the ring from 60 to 75 degrees is off the
// photo for the pixels and for the dots, the rings inside it are measured.
TEST(LensSource, NarrowLensRingBeyondItsFieldIsOffThePhoto)
{
    const RixLens lens = skewedLens(60.0);
    const test::Scene scene = test::patchScene(7);
    const CanopySettings settings; // 5 rings to 75 degrees
    const test::Truth truth = test::truthOf(scene, settings.rings, settings.maxZenithDeg, settings.sectors);
    const ProjectionRecord record = throughLens(fisheye(kEquidistant, 500, 500, 480));
    const test::RixImage photo(test::render(scene, record, kSide, kSide, &lens));
    const CanopyRow row = measurePhoto("p", photo.handle(), record, &lens, kDotsViewRecord, kSide, kSide, settings);
    ASSERT_TRUE(row.error.empty()) << row.error;
    const PixelFigures& f = *row.pixels;
    EXPECT_TRUE(f.partial);
    EXPECT_NEAR(f.coveredShare, (1.0 - std::cos(kPi / 3.0)) / (1.0 - std::cos(75.0 * kDegToRad)), 0.001);
    EXPECT_TRUE(std::isnan(f.ringGap[4]));
    for (std::size_t k = 0; k < 4; ++k)
        EXPECT_NEAR(f.ringGap[k], truth.ringGap[k], 0.0025) << "ring " << k;

    const std::optional<DotSky> sky = dotSky(kDotsViewRecord.Proj);
    ASSERT_TRUE(sky.has_value());
    int beyond = 0;
    for (std::size_t n = 1; n <= kDotCount; ++n)
        beyond += sky->cosZenith[n] < std::cos(kPi / 3.0);
    ASSERT_TRUE(row.dots.has_value());
    EXPECT_GT(beyond, 400);
    EXPECT_EQ(row.dots->outside, beyond);
}

TEST(LensSource, PairingsThatDoNotFitGiveAReason)
{
    const ProjectionRecord ideal = fisheye(kEquidistant, 100, 100, 90);
    const RixLens good = skewedLens(90.0);
    const RixLens falling = lensOf({1.0, -1.0}, 90.0); // turns back at 0.5 rad
    const RixLens notANumber = lensOf({NAN}, 90.0);
    const test::Photo photo = test::uniform(0xffb0d0ffu, ideal, 200, 200);
    const test::RixImage image(photo);
    const struct {
        ProjectionRecord record;
        const RixLens* lens;
        const char* error;
    } cases[] = {
        {throughLens(ideal), nullptr, "the source projection is a lens, but no lens function was given"},
        {ideal, &good, "a lens function was given for an ideal source projection"},
        {throughLens(ideal), &falling,
            "the source lens is not usable: the lens function does not rise over its field of view"},
        {throughLens(ideal), &notANumber,
            "the source lens is not usable: the lens function has a coefficient that is not a number"},
    };
    for (const auto& c : cases) {
        const CanopyRow row = measurePhoto("p", image.handle(), c.record, c.lens, kDotsViewRecord, 100, 100, {});
        EXPECT_EQ(row.error, c.error);
        EXPECT_FALSE(row.pixels.has_value());
        EXPECT_EQ(measurePixels(photo.view(), c.record, c.lens, {}).status, PixelStatus::BadLens) << c.error;
        EXPECT_TRUE(skyRuns(photo.view(), c.record, c.lens, {}, 10).empty()) << c.error;
        CanopyTracker tracker;
        (void)tracker.refresh(image.handle(), c.record, c.lens, {kDotsViewRecord, 100, 100}, DotClasses{});
        EXPECT_EQ(tracker.pixels()->status, PixelStatus::BadLens) << c.error;
    }
    // A record that is no fisheye stays a bad record, lens or none.
    ProjectionRecord perspective = ideal;
    perspective.Proj = kPerspective;
    EXPECT_EQ(measurePixels(photo.view(), perspective, &good, {}).status, PixelStatus::BadRecord);
    EXPECT_EQ(measurePixels(photo.view(), throughLens(ideal), &good, {}).status, PixelStatus::Ok);
}

// The solid angle per unit area through a lens is sin(t) / (rho rho'(t));
// the table's pixel averages match it away from the rim. Tables and maps
// are kept per lens, and the tracker measures again for another lens.
TEST(LensSource, GeometryFollowsTheLens)
{
    const RixLens lens = skewedLens(90.0);
    const rix::LensFunction function = *rix::LensFunction::make(lens);
    const RadialModel model = *RadialModel::of(RixLensSource, &lens);
    const RadialTable table(model, 1000.0);
    for (const double rho : {0.05, 0.3, 0.6, 0.9}) {
        const double t = function.theta(rho);
        const double exact = std::sin(t) / (rho * function.rhoDerivative(t));
        EXPECT_NEAR(table.at(rho * rho).density, exact, 1e-6 * exact) << "rho " << rho;
        EXPECT_NEAR(table.at(rho * rho).cos2, std::cos(t) * std::cos(t), 1e-9) << "rho " << rho;
    }
    // The equidistant lens's table holds the exact annulus averages (to the
    // table's interpolated cosines near the rim), closer to them than the
    // equidistant projection's fitted model comes.
    const RixLens equidistantLens = lensOf({2.0 / kPi}, 90.0);
    const double radius = 480.0, half = 0.5 / radius;
    const RadialTable asLens(*RadialModel::of(RixLensSource, &equidistantLens), radius);
    const RadialTable asProjection(test::idealModel(kEquidistant), radius);
    for (int i = 0; i <= asLens.end(); i += 97) {
        const double rho = std::sqrt(double(i) / asLens.perUnit());
        const double a = std::max(0.0, rho - half), b = std::min(rho + half, 1.0);
        const double exact = a >= 1.0
            ? 0.0
            : 2.0 * (std::cos(a * kPi / 2.0) - std::cos(b * kPi / 2.0)) / ((rho + half) * (rho + half) - a * a);
        EXPECT_NEAR(asLens.densities()[i], exact, 2e-5 * exact + 1e-12) << "entry " << i;
        EXPECT_NEAR(asProjection.densities()[i], exact, 1e-4 * exact + 1e-12) << "entry " << i;
    }

    RixLens other = lens;
    other.A[1] += 1e-9;
    RixLens wider = lens;
    wider.HalfFov = 95.0;
    const ProjectionRecord record = throughLens(fisheye(kEquidistant, 100, 100, 90));
    const RingLayout layout = RingLayout::of({});
    const auto map = sharedSkyMap(record, model, 200, 200, layout);
    EXPECT_EQ(sharedSkyMap(record, *RadialModel::of(RixLensSource, &lens), 200, 200, layout), map);
    EXPECT_NE(sharedSkyMap(record, *RadialModel::of(RixLensSource, &other), 200, 200, layout), map);
    EXPECT_NE(sharedSkyMap(record, *RadialModel::of(RixLensSource, &wider), 200, 200, layout), map);

    const test::RixImage photo(test::render(test::patchScene(7), record, 200, 200, &lens));
    CanopyTracker tracker;
    const DotView view{kDotsViewRecord, 100, 100};
    EXPECT_TRUE(tracker.refresh(photo.handle(), record, &lens, view, DotClasses{}).pixels);
    EXPECT_FALSE(tracker.refresh(photo.handle(), record, &lens, view, DotClasses{}).pixels);
    const double throughFirst = tracker.pixels()->openness;
    const RixLens equidistantWide = lensOf({2.0 / kPi}, 100.0);
    EXPECT_TRUE(tracker.refresh(photo.handle(), record, &equidistantWide, view, DotClasses{}).pixels);
    EXPECT_NE(tracker.pixels()->openness, throughFirst);
}

// The dots' places in the photo, kept for the next photo through the same
// circle, are those of the lens asked for.
TEST(LensSource, DotPlacesFollowTheLens)
{
    const RixLens lens = skewedLens(100.0), equidistant = lensOf({2.0 / kPi}, 100.0);
    const ProjectionRecord record = throughLens(fisheye(kEquidistant, 500, 500, 480));
    const test::RixImage photo(test::render(test::patchScene(7), record, kSide, kSide, &lens));
    const auto gaps = [&](const RixLens& through) {
        return classifyDotsOf(photo.handle(), record, &through, kDotsViewRecord, kSide, kSide, CanopySettings{}, 127)
            .value()
            .gaps;
    };
    const DotGaps throughLensGaps = gaps(lens);
    EXPECT_NE(gaps(equidistant), throughLensGaps);
    EXPECT_EQ(gaps(lens), throughLensGaps);
}

} // namespace
} // namespace karwen::canopy
