#include "light_settings.h"

#include <charconv>
#include <cmath>

namespace karwen::light {

namespace {

// The shortest text that reads back as the value: 90, -0.5, 1e-05.
std::string numberText(double value)
{
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

// Written so that NaN lies in no range.
bool within(double value, double lo, double hi) { return value >= lo && value <= hi; }
bool aboveZeroUpToOne(double value) { return value > 0.0 && value <= 1.0; }

std::string rangeProblem(std::string_view what, double lo, double hi, std::string_view unit)
{
    std::string problem = "the ";
    problem.append(what).append(" must lie from ").append(numberText(lo)).append(" to ").append(numberText(hi));
    if (!unit.empty())
        problem.append(" ").append(unit);
    return problem;
}

} // namespace

bool isValidTimeStep(int minutes)
{
    return minutes >= kMinTimeStep && minutes <= kMaxTimeStep && kMinutesPerDay % minutes == 0;
}

bool isValidUtcOffset(double hours)
{
    const double steps = hours / kUtcOffsetStep;
    return within(hours, kMinUtcOffset, kMaxUtcOffset) && steps == std::round(steps);
}

std::string settingsProblem(const LightSettings& s)
{
    if (!within(s.site.latitudeDeg, -kMaxLatitude, kMaxLatitude))
        return rangeProblem("latitude", -kMaxLatitude, kMaxLatitude, "degrees");
    if (!within(s.site.longitudeDeg, -kMaxLongitude, kMaxLongitude))
        return rangeProblem("longitude", -kMaxLongitude, kMaxLongitude, "degrees");
    if (!within(s.site.elevationM, kMinElevation, kMaxElevation))
        return rangeProblem("elevation", kMinElevation, kMaxElevation, "metres above sea level");
    if (!isValidUtcOffset(s.site.utcOffsetHours))
        return rangeProblem("time zone", kMinUtcOffset, kMaxUtcOffset, "hours from UTC") + " in whole quarter hours";
    if (!isValidTimeStep(s.timeStepMin))
        return rangeProblem("time step", kMinTimeStep, kMaxTimeStep, "minutes") + " and divide a day of "
            + std::to_string(kMinutesPerDay) + " minutes";
    if (s.zenithRings < 1 || s.zenithRings > kMaxZenithRings)
        return rangeProblem("number of zenith rings", 1, kMaxZenithRings, "");
    if (s.azimuthSectors < 1 || s.azimuthSectors > kMaxAzimuthSectors)
        return rangeProblem("number of azimuth sectors", 1, kMaxAzimuthSectors, "");
    if (!aboveZeroUpToOne(s.kt))
        return "the clearness index must be above 0 and at most 1";
    if (!within(s.beamFraction, 0.0, 1.0))
        return rangeProblem("beam fraction", 0.0, 1.0, "");
    if (!aboveZeroUpToOne(s.clearSkyTransmission))
        return "the clear-sky transmission must be above 0 and at most 1";
    if (!within(s.solarConstant, kMinSolarConstant, kMaxSolarConstant))
        return rangeProblem("solar constant", kMinSolarConstant, kMaxSolarConstant, "W/m2");
    if (!within(s.parFraction, 0.0, 1.0))
        return rangeProblem("PAR fraction", 0.0, 1.0, "");
    if (!within(s.parPhotons, kMinParPhotons, kMaxParPhotons))
        return rangeProblem("PAR photon count", kMinParPhotons, kMaxParPhotons, "umol per joule");
    return periodProblem(s.period);
}

} // namespace karwen::light
