#include "light_model.h"
#include "solar_position.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

using namespace karwen::light;

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
