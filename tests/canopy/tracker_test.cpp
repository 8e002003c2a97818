// What the tracker measures again after each kind of change, and its light
// figures. Photos seen through a lens: measured as accurately as through
// the ideal projections, a narrow lens's missing ring off the photo, lenses
// that do not fit refused with a reason, no cache confusing two lenses.
#include "canopy_tracker.h"
#include "dot_gaps.h"
#include "dot_sky.h"
#include "dots_view.h"
#include "image_row.h"
#include "light_regions.h"
#include "pixel_figures.h"
#include "projection_model.h"
#include "radial_geometry.h"
#include "sky_map.h"
#include "sky_pixels.h"
#include "synthetic_sky.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <string>
#include <utility>

namespace karwen::canopy {
namespace {

TEST(CanopyTracker, MeasuresAgainOnlyWhatAChangeTouches)
{
    const int32_t photo = RixCreate(200, 200);
    const int32_t other = RixCreate(200, 200);
    ProjectionRecord record = test::fisheye(kEquidistant, 100, 100, 90);
    DotView view{test::fisheye(kOrthographic, 100, 100, 100), 200, 200};
    DotClasses classes{};
    CanopyTracker tracker;
    int32_t source = photo;

    const struct {
        const char* change;
        std::function<void()> apply;
        bool pixels, dots;
    } steps[] = {
        {"first look", [] {}, true, true},
        {"nothing", [] {}, false, false},
        {"a painted dot", [&] { classes[17] = 1; }, false, true},
        {"the gap class", [&] { tracker.setGapClass(2); }, false, true},
        {"the destination projection", [&] { view.record.Proj = kEquidistant; }, false, true},
        {"the source circle", [&] { record.R = 95; }, true, false},
        {"a circle partly off the photo", [&] { record.Cx = 170; }, true, true},
        {"the circle back on it", [&] { record.Cx = 100; }, true, true},
        {"the settings", [&] { tracker.setSettings(CanopySettings{.rings = 7}); }, true, true},
        {"another photo", [&] { source = other; }, true, false},
        {"the same settings again", [&] { tracker.setSettings(CanopySettings{.rings = 7}); }, false, false},
    };
    for (const auto& step : steps) {
        step.apply();
        const CanopyTracker::Refreshed r = tracker.refresh(source, record, nullptr, view, classes);
        EXPECT_EQ(r.pixels, step.pixels) << step.change;
        EXPECT_EQ(r.dots, step.dots) << step.change;
        ASSERT_TRUE(tracker.pixels() && tracker.dots()) << step.change;
        EXPECT_EQ(tracker.pixels()->status, PixelStatus::Ok) << step.change;
        EXPECT_EQ(tracker.pixels()->ringGap.size(), std::size_t(tracker.settings().rings)) << step.change;
        EXPECT_EQ(tracker.dots()->outside > 0, record.Cx == 170) << step.change;
    }

    // The photo gone, the figures go; a handle that names nothing gives none.
    EXPECT_TRUE(tracker.refresh(0, record, nullptr, view, classes).pixels);
    EXPECT_FALSE(tracker.pixels() || tracker.dots());
    ASSERT_EQ(RixDestroy(other), 1);
    tracker.refresh(other, record, nullptr, view, classes);
    EXPECT_EQ(tracker.pixels()->status, PixelStatus::BadPixels);
    EXPECT_EQ(RixDestroy(photo), 1);
}

// An orthographic destination with 8 rings leaves the zenith ring without a
// dot: the figures come from the command line's equisolid dots, exactly as
// the command line measures them; with 5 rings the destination's own.
TEST(CanopyTracker, FallsBackToTheDotsViewWhenTheDestinationGivesNoLai)
{
    const ProjectionRecord record = test::fisheye(kEquidistant, 100, 100, 90);
    const test::RixImage image(test::render(test::patchScene(5), record, 200, 200));
    const int32_t photo = image.handle();
    ASSERT_GT(photo, 0);
    const DotView orthographic{test::fisheye(kOrthographic, 100, 100, 100), 200, 200};
    CanopyTracker tracker;
    tracker.setSettings(CanopySettings{.rings = 8});
    tracker.refresh(photo, record, nullptr, orthographic, DotClasses{});
    ASSERT_TRUE(tracker.destinationDots() && tracker.dots());
    EXPECT_FALSE(tracker.destinationDots()->le.has_value());
    const std::vector<int>& ringDots = tracker.destinationDots()->ringDots;
    EXPECT_NE(std::find(ringDots.begin(), ringDots.end(), 0), ringDots.end());
    EXPECT_EQ(tracker.dotOrigin(), DotOrigin::DotsView);
    EXPECT_EQ(tracker.dotProjection(), kEquisolidangle);
    const CanopyRow row
        = measurePhoto("p", photo, record, nullptr, kDotsViewRecord, kDotsViewSide, kDotsViewSide, tracker.settings());
    ASSERT_TRUE(row.dots && row.dots->le && tracker.dots()->le);
    EXPECT_EQ(tracker.dots()->le->value, row.dots->le->value);
    EXPECT_EQ(tracker.dots()->openness.value, row.dots->openness.value);

    tracker.setSettings(CanopySettings{.rings = 5});
    tracker.refresh(photo, record, nullptr, orthographic, DotClasses{});
    EXPECT_EQ(tracker.dotOrigin(), DotOrigin::Destination);
    EXPECT_EQ(tracker.dotProjection(), kOrthographic);
    EXPECT_EQ(&*tracker.dots(), &*tracker.destinationDots());
}

LightRequest summerAt50North()
{
    LightRequest request;
    request.settings.site = {50.0, 10.0, 0.0, 1.0};
    request.settings.period = {{2021, 5, 1}, {2021, 6, 30}};
    request.settings.timeStepMin = 10;
    return request;
}

// Figure by figure; NaN equals NaN.
void expectSameFigures(const light::LightFigures& a, const light::LightFigures& b, const std::string& what)
{
    const auto same = [](double x, double y) { return x == y || (std::isnan(x) && std::isnan(y)); };
    const std::pair<double, double> pairs[] = {{a.h0, b.h0}, {a.aboveTotal, b.aboveTotal}, {a.dsf, b.dsf},
        {a.isf, b.isf}, {a.tsf, b.tsf}, {a.transDirect, b.transDirect}, {a.transDiffuse, b.transDiffuse},
        {a.belowTotal, b.belowTotal}, {a.belowPar, b.belowPar}, {a.sunHours, b.sunHours},
        {a.directSunHours, b.directSunHours}, {a.beamCoverage, b.beamCoverage}, {a.diffuseCoverage, b.diffuseCoverage}};
    for (const auto& [x, y] : pairs)
        EXPECT_TRUE(same(x, y)) << what << ": " << x << " vs " << y;
}

// The light figures are the library's for the regions read by the pixels'
// threshold, measured again with the pixels or for another request only.
TEST(CanopyTracker, MeasuresTheLightOfTheRequestWithThePixels)
{
    const ProjectionRecord record = test::fisheye(kEquidistant, 150, 150, 140);
    const test::RixImage image(test::render(test::patchScene(11), record, 300, 300));
    const DotView view{test::fisheye(kEquidistant, 100, 100, 100), 200, 200};
    DotClasses classes{};
    CanopyTracker tracker;
    LightRequest request = summerAt50North();
    tracker.setLight(request);

    const auto expected = [&] {
        const light::SkyGrid grid = light::SkyGrid::of(request.settings);
        const RegionGaps gaps = measureRegionGaps(
            image.view(), record, nullptr, tracker.settings(), tracker.pixels()->threshold, grid, request.orientation);
        return lightRowOf(request, gaps).figures;
    };
    CanopyTracker::Refreshed r = tracker.refresh(image.handle(), record, nullptr, view, classes);
    ASSERT_TRUE(r.light && tracker.light());
    EXPECT_EQ(tracker.light()->request, request);
    expectSameFigures(tracker.light()->figures, expected(), "first look");
    EXPECT_GT(tracker.light()->figures.dsf, 0.0);

    const struct {
        const char* change;
        std::function<void()> apply;
        bool light;
    } steps[] = {
        {"nothing", [] {}, false},
        {"a painted dot", [&] { classes[3] = 1; }, false},
        {"the top azimuth", [&] { request.orientation.topAzimuthDeg = 90.0; }, true},
        {"the sky model", [&] { request.settings.sky = light::SkyModel::Soc; }, true},
        {"the canopy settings", [&] { tracker.setSettings(CanopySettings{.gamma = 1.0}); }, true},
    };
    for (const auto& step : steps) {
        step.apply();
        tracker.setLight(request);
        r = tracker.refresh(image.handle(), record, nullptr, view, classes);
        EXPECT_EQ(r.light, step.light) << step.change;
        ASSERT_TRUE(tracker.light()) << step.change;
        expectSameFigures(tracker.light()->figures, expected(), step.change);
    }
    tracker.setLight(std::nullopt);
    EXPECT_TRUE(tracker.refresh(image.handle(), record, nullptr, view, classes).light);
    EXPECT_FALSE(tracker.light());
    tracker.setLight(request);
    tracker.refresh(image.handle(), record, nullptr, view, classes);
    ASSERT_TRUE(tracker.light());
    EXPECT_TRUE(tracker.refresh(0, record, nullptr, view, classes).light);
    EXPECT_FALSE(tracker.light()); // no photo, no light
}

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

using test::maxDifference;

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
        for (const auto& [x, y] : {std::pair{a.openness, b.openness}, {a.difn, b.difn}, {a.le, b.le}, {a.l, b.l},
                 {a.coveredShare, b.coveredShare}})
            EXPECT_NEAR(x, y, 1e-6);
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
        test::expectMatchesTruth(measurePixels(photo.view(), record, &lens, settings), scene, record, settings);

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
