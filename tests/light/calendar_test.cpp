#include "calendar.h"

#include <gtest/gtest.h>

using namespace karwen::light;

// Day numbers count every day once, over century and leap years alike.
TEST(Calendar, DayNumbersCountEveryDay)
{
    EXPECT_EQ(dayNumber({1970, 1, 1}), 0);
    EXPECT_EQ(dayNumber({2000, 3, 1}), 11017);
    long n = dayNumber({1599, 12, 31});
    for (int year = 1600; year <= 2400; ++year)
        for (int month = 1; month <= 12; ++month)
            for (int day = 1; day <= daysInMonth(year, month); ++day)
                ASSERT_EQ(dateOfDay(++n), (Date{year, month, day})) << n;
    EXPECT_EQ(
        daysInMonth(1900, 2) + daysInMonth(2000, 2) + daysInMonth(2023, 2) + daysInMonth(2024, 2), 28 + 29 + 28 + 29);
    EXPECT_EQ(nextDay({2024, 2, 28}), (Date{2024, 2, 29}));
    EXPECT_EQ(dayOfYear({2024, 12, 31}), 366);
    EXPECT_EQ(dayOfYear({2021, 3, 1}), 60);
}

TEST(Calendar, ParsesOnlyDatesThatExist)
{
    EXPECT_EQ(parseDate("2024-02-29"), (Date{2024, 2, 29}));
    for (const char* bad : {"2021-02-29", "1900-02-29", "2021-13-01", "2021-04-31", "0000-01-01", "2021-1-01",
             "2021/01/01", " 2021-01-01", "+021-01-01"})
        EXPECT_FALSE(parseDate(bad)) << bad;
    EXPECT_EQ(parsePeriod("2021-11-01..2022-03-31"), (Period{{2021, 11, 1}, {2022, 3, 31}}));
    EXPECT_EQ(parsePeriod("2021-06-21"), (Period{{2021, 6, 21}, {2021, 6, 21}}));
    for (const char* bad : {"2021-05-01..", "2021-05-01...2021-09-30", "2021-02-29..2021-03-01"})
        EXPECT_FALSE(parsePeriod(bad)) << bad;
    EXPECT_EQ(periodText({{812, 3, 4}, {812, 3, 4}}), "0812-03-04..0812-03-04");
}

TEST(Calendar, PeriodsCountBothEndsAndLastTenYearsAtMost)
{
    EXPECT_EQ(dayCount({{2021, 5, 1}, {2021, 9, 30}}), 153);
    EXPECT_EQ(dayCount({{2023, 11, 1}, {2024, 3, 31}}), 152);
    EXPECT_EQ(dayCount({{2021, 6, 21}, {2021, 6, 21}}), 1);

    const auto fine = [](Date from, Date to) { return periodProblem({from, to}).empty(); };
    EXPECT_TRUE(fine({2021, 6, 21}, {2021, 6, 21}));
    EXPECT_FALSE(fine({2021, 6, 21}, {2021, 6, 20}));
    EXPECT_FALSE(fine({2021, 2, 29}, {2021, 3, 31}));
    EXPECT_TRUE(fine({2020, 1, 15}, {2030, 1, 15}));
    EXPECT_FALSE(fine({2020, 1, 15}, {2030, 1, 16}));
    // From a leap day to 28 February ten years on, which has no 29th.
    EXPECT_TRUE(fine({2020, 2, 29}, {2030, 2, 28}));
    EXPECT_FALSE(fine({2020, 2, 29}, {2030, 3, 1}));
}
