// What the tracker measures again after each kind of change: the pixel
// figures only for the photo, its record or the settings, the dot figures
// only for the dots, the gap class, the destination projection, the
// settings or the dots that fall off the photo; nothing at all when nothing
// changed.
#include "canopy_tracker.h"

#include "dots_view.h"
#include "image_row.h"
#include "projection_model.h"
#include "synthetic_sky.h"
#include "test_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

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

} // namespace
} // namespace karwen::canopy
