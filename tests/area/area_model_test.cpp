// The dot pattern's tables, tools and classes; where the dots are drawn at
// every zoom and scroll; the brush and the hover, driven as the mouse drives
// them, keeping the counts and the dots in step.
#include "area_brush.h"
#include "area_file.h"
#include "area_model.h"
#include "area_test_support.h"
#include "dot_placement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numeric>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

using namespace karwen;
using namespace karwen::test;
using AreaTables = AreaTest;
using DotPlacement = AreaTest;
using AreaBrush = AreaTest;

// Every dot stands for an equal share of the circle: ring i sits where
// r^2 = (dots inside + half its own) / 1000, written with nine decimals
// (nine significant digits from ring 3 on; 0.054772256 for ring 1). The
// worked radii of rings 1 and 16 pin down the dots of the centre, ring 1
// and the short last ring.
TEST_F(AreaTables, RingRadiusFollowsTheEqualAreaRule)
{
    EXPECT_EQ(std::accumulate(RingDots.begin(), RingDots.end(), 0), kDotCount);
    EXPECT_EQ(RingRadius[0], 0.0);
    int inside = RingDots[0];
    for (int i = 1; i < kRingCount; ++i) {
        const double exact = std::sqrt((inside + RingDots[static_cast<std::size_t>(i)] / 2.0) / 1000.0);
        char nineDecimals[32];
        std::snprintf(nineDecimals, sizeof nineDecimals, "%.9f", exact);
        EXPECT_EQ(RingRadius[static_cast<std::size_t>(i)], std::stod(nineDecimals)) << "ring " << i;
        inside += RingDots[static_cast<std::size_t>(i)];
    }
    EXPECT_EQ(RingRadius[1], 0.054772256);
    EXPECT_EQ(RingRadius[16], 0.972882316);
}

// Start-up selects the middle-small dot and brush (index 1) and class 1 with
// nothing measured; a reset clears the measurement again but keeps the tools.
TEST_F(AreaTables, StartAndResetClearTheMeasurementButKeepTheTools)
{
    const auto expectCleared = [] {
        EXPECT_EQ(ClassCount[0], 1000);
        EXPECT_EQ(classCountSum(), 1000);
        for (int16_t cls : DotClass)
            EXPECT_EQ(cls, 0);
        EXPECT_EQ(LastLbl, -1);
    };
    expectCleared();
    EXPECT_EQ(DotIdx, 1);
    EXPECT_EQ(BrushIdx, 1);
    EXPECT_EQ(CurRgn, 1);
    EXPECT_EQ(CurRgnColor, 0x0000FFu); // red, the class colours stored blue, green, red
    ASSERT_TRUE(selectDotStyle(3));
    ASSERT_TRUE(selectBrush(0));
    ASSERT_TRUE(selectClass(7));
    DotClass[5] = 7;
    ClassCount[0] = 999;
    ClassCount[7] = 1;
    LastLbl = 7;
    resetAreaCounts();
    expectCleared();
    EXPECT_EQ(DotIdx, 3);
    EXPECT_EQ(BrushIdx, 0);
    EXPECT_EQ(CurRgn, 7);
}

// Every size, then indices and classes out of range leave the choice alone.
TEST_F(AreaTables, ToolSizesAndClasses)
{
    const int hit2[] = {0, 4, 16, 64};
    const int size[] = {0, 1, 2, 4};
    const int brush[] = {6, 75, 275, 1500};
    for (int i = 0; i < kToolSizeCount; ++i) {
        ASSERT_TRUE(selectDotStyle(i));
        EXPECT_EQ(DotIdx, i);
        EXPECT_EQ(DotSize, size[i]);
        EXPECT_EQ(DotHit2, hit2[i]);
        ASSERT_TRUE(selectBrush(i));
        EXPECT_EQ(BrushIdx, i);
        EXPECT_EQ(BrushR2, brush[i]);
    }
    for (int bad : {-1, 4, 100}) {
        EXPECT_FALSE(selectDotStyle(bad));
        EXPECT_FALSE(selectBrush(bad));
    }
    EXPECT_EQ(DotIdx, 3);
    EXPECT_EQ(BrushR2, 1500);
    EXPECT_TRUE(selectClass(15));
    EXPECT_FALSE(selectClass(0));
    EXPECT_FALSE(selectClass(16));
    EXPECT_EQ(CurRgn, 15);
}

// The panel's five columns and a percent sign; the log's six columns, and
// shares wider than their column lose their leading digits.
TEST(ClassPercentText, FiveColumnsAndPercentOrSixInTheLog)
{
    const std::pair<int16_t, std::string> panel[] = {{1000, "100.0%"}, {999, " 99.9%"}, {125, " 12.5%"},
        {100, " 10.0%"}, {10, "  1.0%"}, {1, "  0.1%"}, {0, "  0.0%"}, {-1, " -0.1%"}};
    for (const auto& [count, text] : panel)
        EXPECT_EQ(ClassPercentText(count), text) << count;
    const std::tuple<int16_t, std::size_t, std::string> log[]
        = {{1000, 6, " 100.0"}, {125, 6, "  12.5"}, {0, 6, "   0.0"}, {12345, 5, "234.5"}};
    for (const auto& [count, width, text] : log)
        EXPECT_EQ(shareColumn(count, width), text) << count;
}

namespace {

// Ring and position within the ring of every dot, 1-based.
std::vector<std::pair<int, int>> ringOfDots()
{
    std::vector<std::pair<int, int>> rings(1);
    for (int i = 0; i < kRingCount; ++i)
        for (int k = 1; k <= RingDots[static_cast<std::size_t>(i)]; ++k)
            rings.emplace_back(i, k);
    return rings;
}

// Where dot n is drawn.
PlanePoint dot(int n) { return {DotX[static_cast<std::size_t>(n)], DotY[static_cast<std::size_t>(n)]}; }

} // namespace

TEST_F(DotPlacement, WorkedValuesAtZoomTwoWithScroll)
{
    DotX[0] = -7.0f;
    const AreaCircle circle{300.0, 200.0, 100.0};
    const ViewMapping view{2.0f, 50, -20, 600};
    ASSERT_TRUE(positionAreaDots(circle, view));
    EXPECT_FLOAT_EQ(DotX[1], 500.0f); // (300 - 50) * 2
    EXPECT_FLOAT_EQ(DotY[1], 160.0f); // (-20 - 200) * 2 + 600
    EXPECT_EQ(DotX[0], -7.0f);        // dot 0 is never placed
    // Ring 1 starts one and a half steps counter-clockwise from the right:
    // 135, 225, 315, 45 degrees, on screen with y pointing down.
    const double r = 100.0 * 0.054772256 * 2.0;
    const double degrees[] = {135.0, 225.0, 315.0, 45.0};
    for (int k = 0; k < 4; ++k) {
        const double a = degrees[k] * M_PI / 180.0;
        EXPECT_NEAR(dot(2 + k).x, 500.0 + r * std::cos(a), 1e-4) << k;
        EXPECT_NEAR(dot(2 + k).y, 160.0 - r * std::sin(a), 1e-4) << k;
    }
}

TEST_F(DotPlacement, DotsLieOnTheirRingsEvenlySpaced)
{
    const AreaCircle circle{256.0, 256.0, 256.0};
    const ViewMapping view{1.0f, 0, 0, 512};
    ASSERT_TRUE(positionAreaDots(circle, view));
    const auto rings = ringOfDots();
    ASSERT_EQ(rings.size(), 1001u);
    for (int n = 1; n <= kDotCount; ++n) {
        const auto [ring, k] = rings[static_cast<std::size_t>(n)];
        const double dx = dot(n).x - 256.0, dy = 256.0 - dot(n).y;
        const double radius = 256.0 * RingRadius[static_cast<std::size_t>(ring)];
        EXPECT_NEAR(std::hypot(dx, dy), radius, 2e-4) << n;
        if (ring == 0)
            continue;
        const double step = 360.0 / RingDots[static_cast<std::size_t>(ring)];
        double angle = std::atan2(dy, dx) * 180.0 / M_PI;
        const double expected = std::fmod((k + 0.5) * step, 360.0);
        double diff = std::fmod(angle - expected + 540.0, 360.0) - 180.0;
        EXPECT_NEAR(diff, 0.0, 1e-3) << n;
    }
}

// Zoom and scroll move the pattern with the picture: every dot stays on the
// same image pixel.
struct ViewCase {
    float scale;
    int32_t x0;
    int32_t y0;
    int32_t pictureH;
};

class DotPlacementViews : public AreaTest, public ::testing::WithParamInterface<ViewCase> { };

TEST_P(DotPlacementViews, SameDotUnderSameImagePixel)
{
    const AreaCircle circle{640.5, 480.25, 470.0};
    ASSERT_TRUE(positionAreaDots(circle, {1.0f, 0, 0, 960}));
    std::vector<PlanePoint> reference;
    for (int n = 0; n <= kDotCount; ++n)
        reference.push_back(viewToImage({1.0f, 0, 0, 960}, dot(n)));

    const ViewCase c = GetParam();
    const ViewMapping view{c.scale, c.x0, c.y0, c.pictureH};
    ASSERT_TRUE(positionAreaDots(circle, view));
    for (int n = 1; n <= kDotCount; ++n) {
        const PlanePoint p = viewToImage(view, dot(n));
        EXPECT_NEAR(p.x, reference[static_cast<std::size_t>(n)].x, 2e-3) << n;
        EXPECT_NEAR(p.y, reference[static_cast<std::size_t>(n)].y, 2e-3) << n;
    }
}

INSTANTIATE_TEST_SUITE_P(ZoomAndScroll, DotPlacementViews,
    ::testing::Values(ViewCase{0.25f, 0, 0, 240}, ViewCase{0.5f, 0, 0, 480}, ViewCase{0.75f, -30, -12, 1024},
        ViewCase{1.5f, 200, 137, 700}, ViewCase{2.0f, 511, 3, 1024}, ViewCase{4.0f, 600, 400, 333},
        ViewCase{8.0f, 1000, 900, 1024}));

namespace {

// All dots far outside any brush, then a few where a test wants them.
void parkAllDots()
{
    DotX.fill(-10000.0f);
    DotY.fill(-10000.0f);
}

void putDot(int n, float x, float y)
{
    DotX[static_cast<std::size_t>(n)] = x;
    DotY[static_cast<std::size_t>(n)] = y;
}

// A pointer whose squared distance from dot n at the origin, as the hit
// test computes it, is exactly `d2`: x a whole number, y searched among
// neighbouring doubles. No integer offsets reach the brush sizes exactly.
struct Pointer {
    double x;
    double y;
};

Pointer pointerAtExactly(int n, double d2)
{
    putDot(n, 0.0f, 0.0f);
    for (double x = 1.0; x * x < d2; x += 1.0) {
        double y = std::sqrt(d2 - x * x);
        for (int step = 0; step < 8; ++step) {
            y = std::nextafter(y, dotDistance2(n, x, y) < d2 ? 1e9 : -1e9);
            if (dotDistance2(n, x, y) == d2)
                return {x, y};
        }
    }
    return {0.0, 0.0};
}

} // namespace

TEST_F(AreaBrush, NothingHappensWhileMeasurementIsOff)
{
    AreaOn = false;
    parkAllDots();
    putDot(1, 10, 10);
    EXPECT_FALSE(positionAreaDots({256.0, 256.0, 256.0}, {1.0f, 0, 0, 512}));
    EXPECT_EQ(dot(1).x, 10.0f);
    EXPECT_EQ(dot(1).y, 10.0f);
    const MeasurementSnapshot before;
    for (int button : {0, 1, 2, 3}) {
        const auto r = areaMouseMove(button, 10, 10);
        EXPECT_EQ(r.action, AreaMouseAction::None);
        EXPECT_TRUE(r.changedDots.empty());
        EXPECT_FALSE(r.refreshTexts);
    }
    EXPECT_EQ(MeasurementSnapshot{}, before);
    // Measuring, but with no class selected (class 0 is the unpainted one):
    // neither button paints or erases.
    AreaOn = true;
    for (const int16_t cls : {int16_t(0), int16_t(kAreaClassCount)}) {
        CurRgn = cls;
        for (int button : {kLeftButton, kRightButton})
            EXPECT_TRUE(areaMouseMove(button, 10, 10).changedDots.empty()) << "class " << cls;
    }
    EXPECT_EQ(MeasurementSnapshot{}, before);
}

// The brush takes dots strictly inside its radius, for every brush size.
TEST_F(AreaBrush, BrushBoundaryIsStrict)
{
    for (int brush = 0; brush < kToolSizeCount; ++brush) {
        resetAreaCounts();
        ASSERT_TRUE(selectBrush(brush));
        parkAllDots();
        const Pointer onEdge = pointerAtExactly(7, BrushR2);
        ASSERT_EQ(dotDistance2(7, onEdge.x, onEdge.y), static_cast<double>(BrushR2)) << brush;
        EXPECT_TRUE(areaMouseMove(kLeftButton, onEdge.x, onEdge.y).changedDots.empty()) << brush;
        EXPECT_EQ(DotClass[7], 0);

        const Pointer inside{onEdge.x, onEdge.y - 1e-9};
        ASSERT_LT(dotDistance2(7, inside.x, inside.y), BrushR2);
        const auto painted = areaMouseMove(kLeftButton, inside.x, inside.y);
        EXPECT_EQ(painted.changedDots, std::vector<int16_t>{7}) << brush;
        EXPECT_EQ(DotClass[7], CurRgn);

        EXPECT_TRUE(areaMouseMove(kRightButton, onEdge.x, onEdge.y).changedDots.empty()) << brush;
        EXPECT_EQ(areaMouseMove(kRightButton, inside.x, inside.y).changedDots, std::vector<int16_t>{7});
        EXPECT_EQ(DotClass[7], 0);
    }
}

TEST_F(AreaBrush, PaintTakesOnlyClassZeroAndErasesOnlyTheSelectedClass)
{
    parkAllDots();
    putDot(1, 10, 10);
    putDot(2, 12, 10);
    putDot(3, 10, 13);
    DotClass[2] = 4; // another user class
    ClassCount[0] = 999;
    ClassCount[4] = 1;
    ASSERT_TRUE(selectClass(2));

    const auto paint = areaMouseMove(kLeftButton, 10, 10);
    EXPECT_EQ(paint.action, AreaMouseAction::Paint);
    EXPECT_EQ(paint.changedDots, (std::vector<int16_t>{1, 3}));
    EXPECT_TRUE(paint.refreshTexts);
    EXPECT_EQ(DotClass[2], 4);
    EXPECT_EQ(ClassCount[0], 997);
    EXPECT_EQ(ClassCount[2], 2);
    EXPECT_EQ(dotColor(1), CurRgnColor); // the selected class marked, the others in their colours
    EXPECT_EQ(dotColor(2), ClassColor[4]);
    EXPECT_EQ(dotColor(4), ClassColor[0]);

    ASSERT_TRUE(selectClass(4));
    const auto erase = areaMouseMove(kRightButton, 10, 10);
    EXPECT_EQ(erase.action, AreaMouseAction::Erase);
    EXPECT_EQ(erase.changedDots, std::vector<int16_t>{2});
    EXPECT_EQ(dotColor(2), ClassColor[0]);
    EXPECT_EQ(DotClass[1], 2); // class 2 is not the selected class now
    EXPECT_EQ(ClassCount[0], 998);
    EXPECT_EQ(ClassCount[4], 0);
    EXPECT_EQ(ClassCount, countsFromDots());
}

// The dots hold a measurement once a stroke changed one, until the reset.
TEST_F(AreaBrush, AStrokeThatChangesADotSetsTheDots)
{
    parkAllDots();
    putDot(1, 10, 10);
    resetAreaCounts();
    ASSERT_TRUE(selectClass(2));
    (void)areaMouseMove(kLeftButton, 500, 500); // over no dot
    EXPECT_FALSE(areaDotsSet());
    (void)areaMouseMove(kLeftButton, 10, 10);
    EXPECT_TRUE(areaDotsSet());
    resetAreaCounts();
    EXPECT_FALSE(areaDotsSet());
    applyAreaData({0, kDotCount, {}}); // Classify and an area file load the dots
    EXPECT_TRUE(areaDotsSet());
}

TEST_F(AreaBrush, BothButtonsOrTheMiddleOneHover)
{
    parkAllDots();
    putDot(1, 10, 10);
    for (int button : {0, 3, 4, 5, 7}) {
        const auto r = areaMouseMove(button, 10, 10);
        EXPECT_EQ(r.action, AreaMouseAction::Hover) << button;
        EXPECT_TRUE(r.changedDots.empty());
    }
    EXPECT_EQ(DotClass[1], 0);
}

TEST_F(AreaBrush, DragOverNoDotDropsTheHighlightAndRewritesTexts)
{
    parkAllDots();
    for (int button : {kLeftButton, kRightButton}) {
        LastLbl = 5;
        const auto r = areaMouseMove(button, 300, 300);
        EXPECT_TRUE(r.changedDots.empty());
        EXPECT_EQ(r.restoredLabel, 5);
        EXPECT_EQ(r.highlightedLabel, -1);
        EXPECT_TRUE(r.refreshTexts);
        EXPECT_EQ(LastLbl, -1);
    }
    const auto noHighlight = areaMouseMove(kLeftButton, 300, 300);
    EXPECT_EQ(noHighlight.restoredLabel, -1);
}

// Hovering includes the boundary: twice the dot radius, squared.
TEST_F(AreaBrush, HoverBoundaryIncludesTheEdge)
{
    const int reach[] = {0, 2, 4, 8};
    for (int style = 0; style < kToolSizeCount; ++style) {
        ASSERT_TRUE(selectDotStyle(style));
        parkAllDots();
        putDot(9, 50, 50);
        DotClass[9] = 3;
        LastLbl = -1;
        const auto outside = areaMouseMove(0, 50, 50 + reach[style] + 0.5);
        EXPECT_EQ(outside.highlightedLabel, -1) << style;
        const auto edge = areaMouseMove(0, 50 + reach[style], 50);
        EXPECT_EQ(edge.highlightedLabel, 3) << style;
        EXPECT_EQ(LastLbl, 3);
    }
}

TEST_F(AreaBrush, HoverHighlightsRestoresAndKeeps)
{
    ASSERT_TRUE(selectDotStyle(3)); // reach 8 pixels
    parkAllDots();
    putDot(4, 20, 20);
    putDot(6, 20, 24);
    DotClass[6] = 2;

    // First the earliest dot under the pointer.
    auto r = areaMouseMove(0, 20, 22);
    EXPECT_EQ(r.highlightedLabel, 0);
    EXPECT_EQ(r.restoredLabel, -1);
    EXPECT_FALSE(r.refreshTexts);
    EXPECT_EQ(LastLbl, 0);

    // Then the first dot whose class is not the highlighted one.
    r = areaMouseMove(0, 20, 22);
    EXPECT_EQ(r.restoredLabel, 0);
    EXPECT_EQ(r.highlightedLabel, 2);
    EXPECT_EQ(LastLbl, 2);

    // Only a dot of the highlighted class in reach: nothing changes.
    r = areaMouseMove(0, 20, 30);
    EXPECT_EQ(r.restoredLabel, -1);
    EXPECT_EQ(r.highlightedLabel, -1);
    EXPECT_FALSE(r.refreshTexts);
    EXPECT_EQ(LastLbl, 2);

    // Away from every dot: restore, forget, rewrite the texts.
    r = areaMouseMove(0, 200, 200);
    EXPECT_EQ(r.restoredLabel, 2);
    EXPECT_EQ(r.highlightedLabel, -1);
    EXPECT_TRUE(r.refreshTexts);
    EXPECT_EQ(LastLbl, -1);

    // Painting ends a highlight before it acts.
    (void)areaMouseMove(0, 20, 20);
    ASSERT_EQ(LastLbl, 0);
    r = areaMouseMove(kLeftButton, 20, 20);
    EXPECT_EQ(r.restoredLabel, 0);
    EXPECT_EQ(LastLbl, -1);
}

// Random strokes over the real pattern: the counts always match the dots
// and add up to 1000, and every reported dot really changed.
TEST_F(AreaBrush, RandomStrokesKeepTheCountSum)
{
    ASSERT_TRUE(positionAreaDots({256.0, 256.0, 256.0}, {1.5f, 40, 60, 700}));
    std::mt19937 random(20261206);
    std::uniform_real_distribution<double> coord(-20.0, 760.0);
    std::uniform_int_distribution<int> pick(0, 15);
    std::size_t changedTotal = 0;
    for (int stroke = 0; stroke < 4000; ++stroke) {
        const int choice = pick(random);
        if (choice == 0) {
            ASSERT_TRUE(selectClass(1 + pick(random) % 15));
        }
        if (choice == 1) {
            ASSERT_TRUE(selectBrush(pick(random) % 4));
        }
        const int button = choice < 8 ? kLeftButton : choice < 13 ? kRightButton : choice - 13;
        const auto before = DotClass;
        const auto r = areaMouseMove(button, coord(random), coord(random));
        for (int16_t n : r.changedDots) {
            const auto i = static_cast<std::size_t>(n);
            EXPECT_NE(before[i], DotClass[i]);
            EXPECT_TRUE(before[i] == 0 || DotClass[i] == 0);
        }
        int differing = 0;
        for (std::size_t i = 1; i <= kDotCount; ++i)
            differing += before[i] != DotClass[i];
        ASSERT_EQ(differing, static_cast<int>(r.changedDots.size()));
        changedTotal += r.changedDots.size();
        ASSERT_EQ(classCountSum(), 1000);
        ASSERT_EQ(ClassCount, countsFromDots());
    }
    EXPECT_GT(changedTotal, 500u); // the strokes really painted
}
