// What a light run needs besides the photo: the site, the period, the sky
// regions, and the model of the radiation above the canopy (after Frazer,
// Canham and Lertzman 1999): the period's clearness index Kt, the beam
// fraction of global radiation (fixed, or from Kt by Erbs, Klein and Duffie
// 1982), the clear-sky transmission that spreads the beam over the sun's
// track, the sky's diffuse radiance model and the PAR conversion.
#pragma once

#include "calendar.h"

#include <string>
#include <string_view>

namespace karwen::light {

struct Site {
    double latitudeDeg = 0.0;    // north positive
    double longitudeDeg = 0.0;   // east positive
    double elevationM = 0.0;     // above sea level
    double utcOffsetHours = 0.0; // local standard time east of UTC, never daylight saving

    friend bool operator==(const Site&, const Site&) = default;
};

enum class SkyModel {
    Uoc, // uniform overcast: the same radiance everywhere
    Soc, // standard overcast (Moon and Spencer 1942): radiance ~ 1 + 2 cos(zenith)
};
enum class BeamFractionModel { Fixed, Erbs };

inline constexpr std::string_view skyModelKey(SkyModel m) { return m == SkyModel::Uoc ? "uoc" : "soc"; }
inline constexpr std::string_view beamModelKey(BeamFractionModel m)
{
    return m == BeamFractionModel::Fixed ? "fixed" : "erbs";
}

// The bounds isValid checks; the command line and the window read them.
inline constexpr double kMaxLatitude = 90.0;
inline constexpr double kMaxLongitude = 180.0;
inline constexpr double kMinElevation = -500.0, kMaxElevation = 9000.0;
inline constexpr double kMinUtcOffset = -12.0, kMaxUtcOffset = 14.0, kUtcOffsetStep = 0.25;
inline constexpr int kMinTimeStep = 1, kMaxTimeStep = 60, kMinutesPerDay = 1440;
inline constexpr int kMaxZenithRings = 90, kMaxAzimuthSectors = 360;
inline constexpr double kMinSolarConstant = 1300.0, kMaxSolarConstant = 1400.0;
inline constexpr double kMinParPhotons = 4.0, kMaxParPhotons = 5.0;

struct LightSettings {
    Site site;
    Period period;
    int timeStepMin = 2; // divides kMinutesPerDay
    SkyModel sky = SkyModel::Uoc;
    int zenithRings = 18;    // equal zenith angles from 0 to 90 degrees
    int azimuthSectors = 72; // equal azimuths clockwise from true north
    double kt = 0.5;         // clearness index H / H0 of the period, 0 < kt <= 1
    BeamFractionModel beamModel = BeamFractionModel::Fixed;
    double beamFraction = 0.5;          // H_b / H under Fixed, 0..1
    double clearSkyTransmission = 0.65; // tau, 0 < tau <= 1
    double solarConstant = 1367.0;      // W/m2
    double parFraction = 0.5;           // PAR share of global radiation, 0..1
    double parPhotons = 4.57;           // umol per J of PAR (= mol per MJ)

    friend bool operator==(const LightSettings&, const LightSettings&) = default;
};

// Whether the time step is kMinTimeStep..kMaxTimeStep minutes and divides a day.
[[nodiscard]] bool isValidTimeStep(int minutes);
// Whether the offset lies in its bounds and is a whole number of quarter hours.
[[nodiscard]] bool isValidUtcOffset(double hours);

// Why the settings cannot be used, in plain words ("" when they can): the
// first field out of its bounds above, or the period's problem.
[[nodiscard]] std::string settingsProblem(const LightSettings& s);
[[nodiscard]] inline bool isValid(const LightSettings& s) { return settingsProblem(s).empty(); }

} // namespace karwen::light
