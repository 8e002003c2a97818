// The light model against published and independently computed check
// values, from the calendar and the sun's position to the figures, and the
// cache of models the workers share.
#include "calendar.h"
#include "light_model.h"
#include "light_settings.h"
#include "recent_cache.h"
#include "sky_grid.h"
#include "solar_position.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numeric>
#include <stdexcept>
#include <thread>

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

TEST(LightSettings, EachFieldIsHeldToItsBounds)
{
    LightSettings base;
    base.period = {{2021, 5, 1}, {2021, 9, 30}};
    ASSERT_EQ(settingsProblem(base), "");
    using Change = std::function<void(LightSettings&, double)>;
    struct Bound {
        Change set;
        double lowest, highest, below, above; // the last values allowed, the nearest refused
        bool count = false;                   // whole numbers, where NaN cannot be set
    };
    const Bound bounds[] = {
        {[](LightSettings& s, double v) { s.site.latitudeDeg = v; }, -90, 90, -90.01, 90.01},
        {[](LightSettings& s, double v) { s.site.longitudeDeg = v; }, -180, 180, -180.01, 180.01},
        {[](LightSettings& s, double v) { s.site.elevationM = v; }, -500, 9000, -501, 9001},
        {[](LightSettings& s, double v) { s.site.utcOffsetHours = v; }, -12, 14, -12.25, 14.25},
        {[](LightSettings& s, double v) { s.site.utcOffsetHours = v; }, 5.5, 5.75, 5.3, 5.8},
        {[](LightSettings& s, double v) { s.timeStepMin = int(v); }, 1, 60, 0, 50, true},
        {[](LightSettings& s, double v) { s.timeStepMin = int(v); }, 45, 45, 7, 120, true},
        {[](LightSettings& s, double v) { s.zenithRings = int(v); }, 1, 90, 0, 91, true},
        {[](LightSettings& s, double v) { s.azimuthSectors = int(v); }, 1, 360, 0, 361, true},
        {[](LightSettings& s, double v) { s.kt = v; }, 1e-9, 1, 0, 1.001},
        {[](LightSettings& s, double v) { s.beamFraction = v; }, 0, 1, -0.001, 1.001},
        {[](LightSettings& s, double v) { s.clearSkyTransmission = v; }, 1e-9, 1, 0, 1.001},
        {[](LightSettings& s, double v) { s.solarConstant = v; }, 1300, 1400, 1299.9, 1400.1},
        {[](LightSettings& s, double v) { s.parFraction = v; }, 0, 1, -0.001, 1.001},
        {[](LightSettings& s, double v) { s.parPhotons = v; }, 4, 5, 3.99, 5.01},
    };
    for (const Bound& b : bounds) {
        const auto problemAt = [&](double value) {
            LightSettings s = base;
            b.set(s, value);
            return settingsProblem(s);
        };
        EXPECT_EQ(problemAt(b.lowest) + problemAt(b.highest), "");
        EXPECT_NE(problemAt(b.below), "") << b.below;
        EXPECT_NE(problemAt(b.above), "") << b.above;
        if (!b.count) {
            EXPECT_NE(problemAt(std::nan("")), "") << b.lowest;
        }
    }
    base.site.latitudeDeg = 91.0;
    EXPECT_EQ(settingsProblem(base), "the latitude must lie from -90 to 90 degrees");
}

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

TEST(SkyGrid, BinsAreHalfOpen)
{
    const SkyGrid grid(9, 36);
    for (const auto& [zenith, ring] : {std::pair{0.0, 0}, {9.999, 0}, {10.0, 1}, {90.0, 8}, {97.0, 8}, {-1.0, 0}})
        EXPECT_EQ(grid.ringOf(zenith), ring) << zenith;
    for (const auto& [azimuth, sector] :
        {std::pair{0.0, 0}, {9.999, 0}, {10.0, 1}, {359.999, 35}, {360.0, 0}, {-5.0, 35}, {-1e-15, 0}, {725.0, 0}})
        EXPECT_EQ(grid.sectorOf(azimuth), sector) << azimuth;
    EXPECT_EQ(grid.regionOf(45.0, 185.0), 4 * 36 + 18);
    double hemisphere = 0.0;
    for (int k = 0; k < grid.regions(); ++k)
        hemisphere += grid.solidAngle(k);
    EXPECT_NEAR(hemisphere, 2.0 * 3.14159265358979323846, 1e-12);
}

// The ring shares of the 9-ring grid, to six decimals.
TEST(SkyGrid, DiffuseSharesOfBothSkies)
{
    const SkyGrid grid(9, 36);
    const std::vector<double> uoc
        = {0.030154, 0.086824, 0.133022, 0.163176, 0.173648, 0.163176, 0.133022, 0.086824, 0.030154};
    const std::vector<double> soc
        = {0.038573, 0.108835, 0.160010, 0.184210, 0.179534, 0.150266, 0.105576, 0.057080, 0.015915};
    for (const auto& [model, expected] : {std::pair{SkyModel::Uoc, uoc}, std::pair{SkyModel::Soc, soc}}) {
        const auto shares = grid.diffuseShares(model);
        ASSERT_EQ(shares.size(), 324u);
        for (std::size_t ring = 0; ring < 9; ++ring) {
            const auto first = shares.begin() + std::ptrdiff_t(ring * 36);
            EXPECT_NEAR(std::accumulate(first, first + 36, 0.0), expected[ring], 6e-7) << ring;
            EXPECT_EQ(first[0], first[35]); // no sector favoured
        }
    }
}

namespace {

constexpr double kPi = 3.14159265358979323846, kDeg = kPi / 180.0;

LightSettings settingsAt(Site site, Period period)
{
    LightSettings s;
    s.site = site;
    s.period = period;
    s.zenithRings = 9;
    s.azimuthSectors = 36;
    return s;
}

const Site kNorth{50.0, 10.0, 300.0, 1.0};
const Period kNorthSummer{{2021, 5, 1}, {2021, 9, 30}};

// Each region's value from its ring's or from the azimuth of its sector's middle.
std::vector<double> ringTable(const std::vector<double>& rings)
{
    std::vector<double> gaps(324);
    for (std::size_t k = 0; k < gaps.size(); ++k)
        gaps[k] = rings[k / 36];
    return gaps;
}
template <class Open> std::vector<double> sectorTable(Open open)
{
    std::vector<double> gaps(324);
    for (std::size_t k = 0; k < gaps.size(); ++k)
        gaps[k] = open(double(k % 36) * 10.0 + 5.0) ? 1.0 : 0.0;
    return gaps;
}

LightFigures figuresOf(const LightModel& model, const std::vector<double>& gaps)
{
    return lightFigures(model, gaps, std::vector<double>(gaps.size(), 1.0));
}

// Duffie and Beckman (2013), eq. 1.10.3, in MJ/m2.
double analyticDailyH0(double latitudeDeg, double declinationDeg, double distanceFactor)
{
    const double lat = latitudeDeg * kDeg, decl = declinationDeg * kDeg;
    const double sunset = std::acos(std::clamp(-std::tan(lat) * std::tan(decl), -1.0, 1.0));
    return 86400.0 / kPi * 1367.0 * distanceFactor
        * (std::cos(lat) * std::cos(decl) * std::sin(sunset) + sunset * std::sin(lat) * std::sin(decl)) / 1e6;
}

const std::vector<double> kExampleRings
    = {0.56313, 0.51370, 0.45940, 0.40442, 0.34920, 0.29389, 0.23852, 0.18312, 0.12771};

LightSettings tenDaysAt(double latitude)
{
    return settingsAt({latitude, 10.0, 300.0, 1.0}, {{2021, 6, 1}, {2021, 6, 10}});
}

bool sameModel(const LightModel& a, const LightModel& b)
{
    return a.settings() == b.settings() && a.h0() == b.h0() && std::ranges::equal(a.beamShares(), b.beamShares())
        && std::ranges::equal(a.sunHoursIn(), b.sunHoursIn());
}

} // namespace

TEST(LightModel, DailyExtraterrestrialRadiation)
{
    // Duffie and Beckman, Example 1.10.1: 43 N on 15 April.
    EXPECT_NEAR(analyticDailyH0(43.0, 9.41, 0.99226), 33.8, 33.8 * 0.002);
    for (const double latitude : {0.0, 30.0, 50.0, 65.0}) {
        for (const Date day : {Date{2021, 1, 10}, Date{2021, 3, 20}, Date{2021, 6, 21}, Date{2021, 10, 30}}) {
            const LightModel model(settingsAt({latitude, 15.0, 0.0, 1.0}, {day, day}));
            const SunPosition noon = sunAtLocalTime(day, 720.0, 1.0, latitude, 15.0);
            const double expected = analyticDailyH0(latitude, noon.declinationDeg, noon.distanceFactor);
            EXPECT_NEAR(model.h0(), expected, expected * 0.002) << latitude << " " << dateText(day);
        }
    }
}

// Values of an independent implementation of the same equations.
TEST(LightModel, CheckValuesOfARingTable)
{
    const LightModel north(settingsAt(kNorth, kNorthSummer));
    const LightFigures n = figuresOf(north, ringTable(kExampleRings));
    EXPECT_NEAR(n.h0, 36.0791, 36.0791 * 1e-4);
    EXPECT_NEAR(n.dsf, 0.353722, 2e-5);
    EXPECT_NEAR(n.isf, 0.348756, 2e-5);
    EXPECT_NEAR(n.tsf, 0.351239, 2e-5);
    EXPECT_NEAR(n.sunHours, 14.7218, 1e-4);

    const LightModel south(settingsAt({-50.0, 0.0, 300.0, 0.0}, {{2021, 11, 1}, {2022, 3, 31}}));
    const LightFigures s = figuresOf(south, ringTable(kExampleRings));
    EXPECT_NEAR(s.h0, 37.5150, 37.5150 * 1e-4);
    EXPECT_NEAR(s.dsf, 0.35280, 2e-5);
}

TEST(LightModel, OpenClosedAndUniformSkies)
{
    LightSettings settings = settingsAt(kNorth, kNorthSummer);
    settings.beamFraction = 0.3;
    settings.kt = 0.6;
    for (const SkyModel sky : {SkyModel::Uoc, SkyModel::Soc}) {
        settings.sky = sky;
        const LightModel model(settings);
        const LightFigures open = figuresOf(model, std::vector<double>(324, 1.0));
        EXPECT_EQ(open.transDirect, 100.0);
        EXPECT_EQ(open.transDiffuse, 100.0);
        EXPECT_EQ(open.transTotal, 100.0);
        EXPECT_EQ(open.beamCoverage, 1.0);
        EXPECT_EQ(open.directSunHours, open.sunHours);
        const LightFigures closed = figuresOf(model, std::vector<double>(324, 0.0));
        EXPECT_EQ(closed.tsf + closed.belowTotal + closed.directSunHours, 0.0);

        const LightFigures uniform = figuresOf(model, std::vector<double>(324, 0.37));
        EXPECT_NEAR(uniform.dsf, 0.37, 1e-12);
        EXPECT_NEAR(uniform.isf, 0.37, 1e-12);
        EXPECT_NEAR(uniform.tsf, 0.37, 1e-12);
        EXPECT_NEAR(uniform.directSunHours, 0.37 * uniform.sunHours, 1e-12);
        // MJ/m2 a day above: Kt H0 split by f_b; below: PAR at 0.5 and 4.57 mol per MJ.
        EXPECT_NEAR(uniform.aboveDirect, 0.3 * 0.6 * uniform.h0, 1e-12);
        EXPECT_NEAR(uniform.aboveDiffuse, 0.7 * 0.6 * uniform.h0, 1e-12);
        EXPECT_NEAR(uniform.belowPar, 0.5 * 0.37 * 0.6 * uniform.h0 * 4.57, 1e-11);
    }
}

TEST(LightModel, GapsAreClippedAndTablesMustFit)
{
    const LightModel model(settingsAt(kNorth, {{2021, 6, 1}, {2021, 6, 1}}));
    std::vector<double> odd(324, 1.5);
    odd[0] = std::nan("");
    odd[1] = -0.5;
    EXPECT_NEAR(figuresOf(model, odd).isf, 1.0 - 2.0 * model.diffuseShares()[0], 1e-12);
    const std::vector<double> ones(324, 1.0), fewer(323, 1.0);
    EXPECT_THROW((void)lightFigures(model, fewer, ones), std::invalid_argument);
    EXPECT_THROW((void)lightFigures(model, ones, fewer), std::invalid_argument);
}

TEST(LightModel, HalvesOfTheSky)
{
    const LightModel model(settingsAt(kNorth, kNorthSummer));
    const auto southern = sectorTable([](double azimuth) { return azimuth > 90.0 && azimuth < 270.0; });
    const auto northern = sectorTable([](double azimuth) { return azimuth < 90.0 || azimuth > 270.0; });
    const LightFigures south = figuresOf(model, southern);
    EXPECT_NEAR(south.transDiffuse, 50.0, 1e-12);
    EXPECT_NEAR(south.transDirect + figuresOf(model, northern).transDirect, 100.0, 1e-12);
    EXPECT_GT(south.dsf, 0.8); // the summer sun at 50 N stands mostly south
    const LightFigures shownSouth = lightFigures(model, std::vector<double>(324, 1.0), southern);
    EXPECT_NEAR(shownSouth.diffuseCoverage, 0.5, 1e-12);
    EXPECT_DOUBLE_EQ(shownSouth.beamCoverage, south.dsf);
}

TEST(LightModel, PolarNightAndDay)
{
    const LightModel night(settingsAt({80.0, 15.0, 0.0, 1.0}, {{2021, 12, 1}, {2021, 12, 31}}));
    const LightFigures dark = figuresOf(night, ringTable(kExampleRings));
    for (const double undefined : {dark.dsf, dark.tsf, dark.transDirect, dark.transTotal, dark.beamCoverage})
        EXPECT_TRUE(std::isnan(undefined));
    EXPECT_NEAR(dark.isf, 0.348756, 2e-5);
    EXPECT_NEAR(dark.transDiffuse, 100.0 * dark.isf, 1e-12);
    for (const double none : {dark.h0, dark.aboveTotal, dark.belowDirect, dark.belowTotal, dark.belowPar, dark.sunHours,
             dark.directSunHours})
        EXPECT_EQ(none, 0.0);

    const Date solstice{2021, 6, 21};
    const LightModel day(settingsAt({80.0, 15.0, 0.0, 1.0}, {solstice, solstice}));
    EXPECT_EQ(day.sunHours(), 24.0);
    const SunPosition noon = sunAtLocalTime(solstice, 720.0, 1.0, 80.0, 15.0);
    EXPECT_NEAR(day.h0(), analyticDailyH0(80.0, noon.declinationDeg, noon.distanceFactor), 0.05);
}

// Over the year end the days run on into January; the period adds up its parts.
TEST(LightModel, PeriodOverTheYearEnd)
{
    const Site site{-50.0, 0.0, 300.0, 0.0};
    const LightModel whole(settingsAt(site, {{2023, 11, 1}, {2024, 3, 31}}));
    const LightModel before(settingsAt(site, {{2023, 11, 1}, {2023, 12, 31}}));
    const LightModel after(settingsAt(site, {{2024, 1, 1}, {2024, 3, 31}}));
    ASSERT_EQ(whole.days(), 152);
    EXPECT_NEAR(whole.h0() * 152, before.h0() * 61 + after.h0() * 91, 1e-9);
    EXPECT_NEAR(whole.sunHours() * 152, before.sunHours() * 61 + after.sunHours() * 91, 1e-9);
}

// At Kt 0.5: Kd = 1 + 0.2832 Kt - 2.5557 Kt^2 + 0.8448 Kt^3 = 0.608275 for
// the long days of a 50 N summer (sunset hour angle above 81.4 degrees),
// 1 - 0.2727 Kt + 2.4495 Kt^2 - 11.9514 Kt^3 + 9.3879 Kt^4 = 0.56884375
// for its winter; clear periods take the constants 0.175 and 0.143.
TEST(LightModel, ErbsBeamFraction)
{
    const auto beamFraction = [](Period period, double kt) {
        LightSettings s = settingsAt(kNorth, period);
        s.beamModel = BeamFractionModel::Erbs;
        s.kt = kt;
        return LightModel(s).beamFraction();
    };
    const Period winter{{2021, 11, 1}, {2022, 1, 31}};
    EXPECT_NEAR(beamFraction(kNorthSummer, 0.5), 1.0 - 0.608275, 1e-12);
    EXPECT_NEAR(beamFraction(winter, 0.5), 1.0 - 0.56884375, 1e-12);
    EXPECT_NEAR(beamFraction(kNorthSummer, 0.75), 1.0 - 0.175, 1e-12);
    EXPECT_NEAR(beamFraction(winter, 0.75), 1.0 - 0.143, 1e-12);
    // Short first days (near 72 degrees), a long mean.
    EXPECT_NEAR(beamFraction({{2021, 2, 15}, {2021, 6, 30}}, 0.5), 1.0 - 0.608275, 1e-12);
}

// Each sun-up step adds its length to the hours of the region the sun
// stands in at the step's midpoint. Far east of its zone's meridian, a
// local day is not the solar day.
TEST(LightModel, SunHoursFollowTheTrack)
{
    for (const Site site : {Site{65.0, 179.0, 0.0, -12.0}, Site{-20.0, -60.0, 0.0, 5.5}}) {
        const Date day{2021, 3, 20};
        LightSettings s = settingsAt(site, {day, day});
        s.timeStepMin = 5;
        const LightModel model(s);
        std::vector<double> hours(324, 0.0);
        for (const SunPoint& p : sunTrack(site, day, 5.0, true))
            hours[std::size_t(model.grid().regionOf(p.zenithDeg, p.azimuthDeg))] += 5.0 / 60.0;
        for (std::size_t k = 0; k < hours.size(); ++k)
            ASSERT_NEAR(model.sunHoursIn()[k], hours[k], 1e-12) << site.latitudeDeg << " region " << k;
    }
}

// Two minutes, the default step, is about the time the sun takes to move its
// own diameter: halving it moves DSF by less than 2e-4.
TEST(LightModel, TwoMinuteStepsAreFineEnough)
{
    LightSettings fine = settingsAt(kNorth, kNorthSummer);
    fine.timeStepMin = 1;
    const double coarse = figuresOf(LightModel(settingsAt(kNorth, kNorthSummer)), ringTable(kExampleRings)).dsf;
    const double finer = figuresOf(LightModel(fine), ringTable(kExampleRings)).dsf;
    EXPECT_LT(std::abs(coarse - finer), 2e-4);
    EXPECT_NE(coarse, finer);
}

// Workers asking at once for the period's model, some after its days',
// all get one model, whichever build comes first.
TEST(ModelCache, WorkersShareOneModel)
{
    const LightSettings settings = tenDaysAt(47.25);
    std::vector<std::shared_ptr<const LightModel>> seen(6);
    std::vector<std::thread> workers;
    for (std::size_t i = 0; i < seen.size(); ++i)
        workers.emplace_back([&seen, &settings, i] {
            if (i % 2 == 0)
                (void)sharedDayModels(settings);
            seen[i] = sharedLightModel(settings);
        });
    for (auto& worker : workers)
        worker.join();
    for (const auto& model : seen)
        EXPECT_EQ(model, seen.front());
    EXPECT_TRUE(sameModel(*seen.front(), LightModel(settings)));
    EXPECT_NE(sharedLightModel(tenDaysAt(47.5)), seen.front());
}

TEST(ModelCache, KeepsOnlyTheRecentSettings)
{
    const auto first = sharedLightModel(tenDaysAt(10.0));
    EXPECT_EQ(sharedLightModel(tenDaysAt(10.0)), first);
    for (int i = 1; i <= 40; ++i)
        (void)sharedLightModel(tenDaysAt(10.0 + i));
    EXPECT_NE(sharedLightModel(tenDaysAt(10.0)), first);
    LightSettings invalid = tenDaysAt(40.0);
    invalid.timeStepMin = 7;
    EXPECT_THROW((void)sharedDayModels(invalid), std::invalid_argument);
}

TEST(ModelCache, KeepsWithinItsBudgetAndForgetsFailedBuilds)
{
    RecentCache<int, int> cache(3);
    const auto value = [](int v) { return [v] { return std::make_shared<const int>(v); }; };
    EXPECT_THROW((void)cache.get(1, []() -> std::shared_ptr<const int> { throw std::runtime_error("no memory"); }),
        std::runtime_error);
    EXPECT_EQ(*cache.get(1, value(10)), 10);
    const auto two = cache.get(2, value(20), 2);
    EXPECT_EQ(cache.get(2, value(21)), two);
    (void)cache.get(3, value(30)); // 1 + 2 + 1 > 3: the oldest, 1, goes
    EXPECT_EQ(*cache.get(1, value(11)), 11);
    EXPECT_EQ(*cache.get(9, value(90), 5), 90); // over budget alone, yet kept
    EXPECT_EQ(*cache.get(9, value(91)), 90);
}

TEST(ModelCache, DayModelsAreOneDayPeriods)
{
    const LightSettings settings = tenDaysAt(-33.0);
    const auto days = sharedDayModels(settings);
    ASSERT_EQ(days->size(), 10u);
    EXPECT_EQ(sharedDayModels(settings), days);
    Date date = settings.period.from;
    for (const DayModel& day : *days) {
        LightSettings oneDay = settings;
        oneDay.period = {date, date};
        EXPECT_EQ(day.date, date);
        EXPECT_TRUE(sameModel(*day.model, LightModel(oneDay))) << dateText(date);
        date = nextDay(date);
    }
}
