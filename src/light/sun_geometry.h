// The steps of solar_position.h taken apart, so that a period's loop over
// thousands of moments pays for the sun's coordinates once per moment and
// for the angles in the sky only while the sun is up.
#pragma once

#include "solar_position.h"

namespace karwen::light {

inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kRadPerDeg = kPi / 180.0;
inline constexpr double kJulianDayOf1970 = 2440587.5;

// The sun's place on the celestial sphere at a moment.
struct SunCoordinates {
    double sinDeclination = 0.0, cosDeclination = 1.0;
    double equationOfTimeMin = 0.0;
    double distanceFactor = 1.0; // E0
};
[[nodiscard]] SunCoordinates sunCoordinates(double julianDay);

// A site's latitude and longitude, with the sines every moment needs.
struct Observer {
    Observer(double latitudeDeg, double longitudeDeg);
    double sinLatitude, cosLatitude, longitudeDeg;
    bool atPole; // where every direction is south or north and azimuth means nothing
};

// The sun's hour angle and height at one moment for one site.
struct SkyPlace {
    double sinHourAngle, cosHourAngle;
    double cosZenith;
};
[[nodiscard]] SkyPlace skyPlace(const Observer& site, const SunCoordinates& sun, double minutesUT);
[[nodiscard]] double zenithDeg(const SkyPlace& place);
// True azimuth clockwise from north, 0..360; 0 where it is undefined.
[[nodiscard]] double azimuthDeg(const Observer& site, const SunCoordinates& sun, const SkyPlace& place);

// The hour angle of sunset, 0..180 degrees: cos = -tan(latitude)
// tan(declination), 0 through a polar night, 180 through a polar day.
[[nodiscard]] double sunsetHourAngleDeg(const Observer& site, const SunCoordinates& sun);

} // namespace karwen::light
