#include "rix.h"

#include <gtest/gtest.h>

TEST(Handles, CreateDestroyAndRefuseUnknown)
{
    const int32_t h = RixCreate(64, 48);
    ASSERT_GE(h, 1);
    EXPECT_EQ(RixWidth(h), 64);
    EXPECT_EQ(RixHeight(h), 48);
    EXPECT_EQ(RixDestroy(h), 1);
    EXPECT_EQ(RixWidth(h), 0) << "a destroyed handle names no image";
    EXPECT_EQ(RixDestroy(h), 0);
    EXPECT_EQ(RixDestroy(0), 1);
    EXPECT_EQ(RixDestroy(-1), 1);
    EXPECT_EQ(RixDestroy(12345), 0);
    EXPECT_STRNE(RixLastError(), "");
}

TEST(Handles, CreateRefusesImpossibleSizes)
{
    EXPECT_EQ(RixCreate(0, 10), 0);
    EXPECT_EQ(RixCreate(10, -1), 0);
    EXPECT_EQ(RixCreate(32768, 1), 0);
}
