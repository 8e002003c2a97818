#include "recording_hooks.h"

#include "test_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <tuple>
#include <utility>

using namespace karwen;
using karwen::test::AppState;
using Events = std::vector<std::string>;

using SourceParams = AppState;

namespace {

// The fields of a record and of a box, to compare whole with what they
// should hold.
using Record = std::tuple<double, double, double, double, double, double, int32_t>;
// The record is packed: its fields are read by value, never bound.
Record recordOf(const ProjectionRecord& p)
{
    return {double(p.Cx), double(p.Cy), double(p.R), double(p.Alpha), double(p.Beta), double(p.Rot), int32_t(p.Proj)};
}
using Box = std::tuple<int32_t, int32_t, int32_t, int32_t>;
Box boxOf(const RixRect& b) { return {b.Left, b.Top, b.Right, b.Bottom}; }

} // namespace

TEST_F(SourceParams, ResetFromTheDetectedBox)
{
    // A bright image with no dark surround: the box is the whole image,
    // whichever way the library finds it.
    hSrc = RixCreate(1000, 800);
    ASSERT_GE(hSrc, 1);
    const test::ImagePixels image(hSrc);
    ASSERT_TRUE(image.valid());
    std::fill_n(image.data(), image.size(), test::packRgb(230, 230, 230));

    SrcPrm = {1, 2, 3, 10, 20, 30, kStereographic};
    RefX = RefY = -1.0f;
    reset_src_param(true);

    EXPECT_EQ(boxOf(SrcBound), (Box{0, 0, 1000, 800}));
    EXPECT_EQ(recordOf(SrcPrm), (Record{500, 400, 470, 0, 0, 0, kEquidistant}));
    EXPECT_EQ(std::pair(RefX, RefY), std::pair(500.0f, 400.0f));
    EXPECT_EQ(hooks.events, Events{"refreshFields"});
}

TEST_F(SourceParams, OddBoxAndTallerSide)
{
    // Without an image RixBound fails and the box stays as it is.
    hSrc = 0;
    SrcBound = {3, 10, 104, 311};
    reset_src_param(true);
    EXPECT_EQ(recordOf(SrcPrm), (Record{53.5, 160.5, 0.47 * 301, 0, 0, 0, kEquidistant}));
    EXPECT_EQ(std::pair(RefX, RefY), std::pair(53.5f, 160.5f));

    // The batch takes the circle alone; the view and projection stay.
    ProjectionRecord batch{0, 0, 0, 10, 20, 30, kStereographic};
    circleFromBound({3, 10, 104, 311}, batch);
    EXPECT_EQ(recordOf(batch), (Record{53.5, 160.5, 0.47 * 301, 10, 20, 30, kStereographic}));
}

TEST_F(SourceParams, WithoutDetectOnlyRefreshes)
{
    SrcPrm = {600, 600, 500, 10, 20, 30, kEquisolidangle};
    SrcBound = {1, 2, 3, 4};
    RefX = 7.0f;
    RefY = 8.0f;
    reset_src_param(false);
    EXPECT_EQ(recordOf(SrcPrm), (Record{600, 600, 500, 10, 20, 30, kEquisolidangle}));
    EXPECT_EQ(boxOf(SrcBound), (Box{1, 2, 3, 4}));
    EXPECT_EQ(std::pair(RefX, RefY), std::pair(7.0f, 8.0f));
    EXPECT_EQ(hooks.events, Events{"refreshFields"});
}

TEST_F(SourceParams, GlobalsFollowTheReferencePoint)
{
    SrcPrm = {600, 600, 500, 0, 0, 0, kEquidistant};
    RefX = 850.0f;
    RefY = 600.0f;
    ref2angle();
    EXPECT_NEAR(SrcPrm.Alpha, 44.99911, 5e-6);
    EXPECT_NEAR(SrcPrm.Beta, 0.0, 1e-12);

    SrcPrm.Alpha = 45.0;
    angle2ref();
    EXPECT_NEAR(RefX, 850.0f, 1e-3);
    EXPECT_NEAR(RefY, 600.0f, 1e-3);
}

TEST_F(SourceParams, EmptyBoxLeavesNoNaN)
{
    // An empty box gives a radius of 0; the view angles keep their values.
    hSrc = 0;
    SrcBound = {0, 0, 0, 0};
    reset_src_param(true);
    EXPECT_EQ(SrcPrm.R, 0.0);
    EXPECT_EQ(RefX, 0.0f);
    EXPECT_EQ(RefY, 0.0f);

    RefX = 40.0f;
    RefY = -3.0f;
    ref2angle();
    EXPECT_EQ(SrcPrm.Alpha, 0.0);
    EXPECT_EQ(SrcPrm.Beta, 0.0);

    SrcPrm.R = std::numeric_limits<double>::quiet_NaN();
    SrcPrm.Alpha = 5.0;
    ref2angle();
    angle2ref();
    EXPECT_EQ(SrcPrm.Alpha, 5.0);
    EXPECT_FALSE(std::isnan(RefX));
    EXPECT_FALSE(std::isnan(RefY));
}

TEST_F(SourceParams, ALensSourceReadsTheRimAndTheReferencePointThroughTheLens)
{
    // rho = 0.8 t + c t^3, rho(pi/2) = 1, seeing 100 degrees: its rim lies
    // at rho(100 deg) = 1.04422 radii of the 90-degree circle.
    const double halfPi = 1.5707963267948966, c = (1.0 - 0.8 * halfPi) / (halfPi * halfPi * halfPi);
    const auto rho = [c](double t) { return 0.8 * t + c * t * t * t; };
    SrcLens = NamedLens{"wide", {{0.8, 0, c, 0, 0}, 100.0}, "", ""};
    SrcPrm = {600, 600, 500, 0, 0, 0, RixLensSource};
    SrcAuto = {{610, 590, 529.0, 1}, 600, 600, 500, true};
    const MeasuredSource measured = measuredSource();
    ASSERT_TRUE(measured.detected);
    EXPECT_NEAR(measured.prm.R, 529.0 / rho(100 * halfPi / 90), 1e-9);
    EXPECT_NEAR(measured.prm.R, 506.597, 1e-3);

    const double t60 = halfPi * 2 / 3;
    RefX = float(600 + 500 * rho(t60));
    RefY = 600.0f;
    ref2angle();
    EXPECT_NEAR(SrcPrm.Alpha, 60.0, 1e-4);
    SrcPrm.Alpha = 95.0;
    angle2ref();
    EXPECT_NEAR(RefX, 600 + 500 * rho(95 * halfPi / 90), 1e-3);

    // An ideal projection picked again reads the rim as the horizon.
    SrcPrm.Proj = kEquidistant;
    EXPECT_EQ(measuredSource().prm.R, 529.0);
}
