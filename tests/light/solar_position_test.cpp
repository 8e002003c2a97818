#include "light_model.h"
#include "solar_position.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace karwen::light;

TEST(SolarPosition, PublishedCheckValues)
{
    // NREL SPA, Table A5.1: geometric zenith 50.127954, azimuth 194.34024.
    const SunPosition spa = sunAtLocalTime({2003, 10, 17}, 12 * 60 + 30.5, -7.0, 39.742476, -105.1786);
    EXPECT_NEAR(spa.zenithDeg, 50.127954, 0.01);
    EXPECT_NEAR(spa.azimuthDeg, 194.34024, 0.01);

    // Meeus, Examples 25.a and 28.b: declination -7.78507, equation of time 13 min 42.7 s.
    const SunPosition meeus = sunPosition(julianDay({1992, 10, 13}, 0.0), 0.0, 0.0);
    EXPECT_NEAR(meeus.declinationDeg, -7.78507, 0.001);
    EXPECT_NEAR(meeus.equationOfTimeMin, 13.0 + 42.7 / 60.0, 0.01);

    // The NOAA spreadsheet's first row, from the same equations: a sun below the horizon.
    const SunPosition noaa = sunAtLocalTime({2010, 6, 21}, 6.0, -7.0, 40.0, -105.0);
    EXPECT_NEAR(noaa.declinationDeg, 23.4383706, 1e-6);
    EXPECT_NEAR(noaa.equationOfTimeMin, -1.7153676, 1e-6);
    EXPECT_NEAR(noaa.zenithDeg, 90.0 + 26.5537621, 1e-6);
    EXPECT_NEAR(noaa.azimuthDeg, 1.0986712, 1e-6);
}

TEST(SunTrack, KeepsTheSunUpPointsOfTheClock)
{
    const Site site{50.0, 10.0, 300.0, 1.0};
    const Date date{2021, 6, 21};
    // Sunrise near 4:18 and sunset near 20:26 local standard time.
    const auto hours = sunTrack(site, date, 60.0);
    ASSERT_EQ(hours.size(), 16u);
    EXPECT_EQ(hours.front().minutes, 300.0);
    EXPECT_EQ(hours.back().minutes, 1200.0);
    const auto midpoints = sunTrack(site, date, 60.0, true);
    ASSERT_EQ(midpoints.size(), 16u);
    EXPECT_EQ(midpoints.front().minutes, 270.0);
    for (const SunPoint& p : midpoints) {
        const SunPosition expected = sunAtLocalTime(date, p.minutes, 1.0, 50.0, 10.0);
        EXPECT_NEAR(p.zenithDeg, expected.zenithDeg, 1e-6);
        EXPECT_NEAR(p.azimuthDeg, expected.azimuthDeg, 1e-6);
    }
    EXPECT_THROW((void)sunTrack(site, date, 0.0), std::invalid_argument);
}
