// What the tracker measures again after each kind of change: the pixel
// figures only for the photo, its record or the settings, the dot figures
// only for the dots, the gap class, the destination projection, the
// settings or the dots that fall off the photo, the light figures only with
// the pixels or for another request; nothing at all when nothing changed.
#include "canopy_tracker.h"

#include "dots_view.h"
#include "image_row.h"
#include "light_regions.h"
#include "projection_model.h"
#include "synthetic_sky.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

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

// A sky open all round the zenith gives the same light however the photo
// was turned: a 90-degree turn about a pixel corner maps pixels onto pixels.
TEST(CanopyTracker, LightOfASymmetricPhotoDoesNotTurn)
{
    const ProjectionRecord record = test::fisheye(kEquidistant, 150, 150, 140);
    test::Scene scene;
    scene.patches.push_back({0.0, 50.0 * std::numbers::pi / 180.0, 0.0, 2.0 * std::numbers::pi});
    const test::RixImage image(test::render(scene, record, 300, 300, nullptr, test::Rim::Hard));
    const DotView view{test::fisheye(kEquidistant, 100, 100, 100), 200, 200};
    CanopyTracker tracker;
    LightRequest request = summerAt50North();
    std::vector<double> dsf, isf;
    for (const double top : {0.0, 90.0, 180.0, 270.0}) {
        request.orientation.topAzimuthDeg = top;
        tracker.setLight(request);
        tracker.refresh(image.handle(), record, nullptr, view, DotClasses{});
        ASSERT_TRUE(tracker.light());
        dsf.push_back(tracker.light()->figures.dsf);
        isf.push_back(tracker.light()->figures.isf);
    }
    EXPECT_GT(dsf[0], 0.3); // the summer sun stands within 50 degrees for most of its beam
    for (std::size_t k = 1; k < dsf.size(); ++k) {
        EXPECT_NEAR(dsf[k], dsf[0], 1e-12) << k;
        EXPECT_NEAR(isf[k], isf[0], 1e-12) << k;
    }
}

} // namespace
} // namespace karwen::canopy
