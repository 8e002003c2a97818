#include "area_brush.h"
#include "area_file.h"
#include "dot_placement.h"

#include "area_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

using namespace karwen;
using karwen::test::AreaTest;
using karwen::test::countsFromDots;
using karwen::test::MeasurementSnapshot;

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

using AreaBrush = AreaTest;

TEST_F(AreaBrush, NothingHappensWhileMeasurementIsOff)
{
    AreaOn = false;
    parkAllDots();
    putDot(1, 10, 10);
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
    EXPECT_EQ(dotColor(1), CurRgnColor);

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
