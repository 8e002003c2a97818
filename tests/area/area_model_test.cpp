#include "area_model.h"

#include "area_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numeric>
#include <string>
#include <tuple>
#include <utility>

using namespace karwen;
using karwen::test::AreaTest;

using AreaTables = AreaTest;

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

TEST_F(AreaTables, DotColourMarksTheSelectedClass)
{
    ASSERT_TRUE(selectClass(2));
    DotClass[1] = 2;
    DotClass[2] = 3;
    EXPECT_EQ(dotColor(1), CurRgnColor);
    EXPECT_EQ(dotColor(2), ClassColor[3]);
    EXPECT_EQ(dotColor(3), ClassColor[0]);
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
