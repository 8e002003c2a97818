#include "light_settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace karwen::light;

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
