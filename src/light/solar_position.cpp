#include "solar_position.h"

#include "light_settings.h"
#include "sun_geometry.h"

#include <algorithm>
#include <cmath>

namespace karwen::light {

namespace {

constexpr double kJ2000 = 2451545.0;
constexpr double kDaysPerCentury = 36525.0;

// Degrees reduced to [0, 360).
double wrapDegrees(double deg)
{
    const double wrapped = std::fmod(deg, 360.0);
    const double positive = wrapped < 0.0 ? wrapped + 360.0 : wrapped;
    return positive >= 360.0 ? 0.0 : positive;
}

} // namespace

double julianDay(const Date& date, double minutesUT)
{
    return kJulianDayOf1970 + double(dayNumber(date)) + minutesUT / kMinutesPerDay;
}

SunCoordinates sunCoordinates(double julianDay)
{
    const double t = (julianDay - kJ2000) / kDaysPerCentury;
    const double meanLongitude = wrapDegrees(280.46646 + t * (36000.76983 + 0.0003032 * t));
    const double meanAnomaly = 357.52911 + t * (35999.05029 - 0.0001537 * t);
    const double eccentricity = 0.016708634 - t * (0.000042037 + 0.0000001267 * t);

    // Multiples of an angle from its sine and cosine: the same values, fewer calls.
    const double sinM = std::sin(meanAnomaly * kRadPerDeg), cosM = std::cos(meanAnomaly * kRadPerDeg);
    const double sin2M = 2.0 * sinM * cosM;
    const double sin3M = sinM * (3.0 - 4.0 * sinM * sinM);
    const double centre
        = (1.914602 - t * (0.004817 + 0.000014 * t)) * sinM + (0.019993 - 0.000101 * t) * sin2M + 0.000289 * sin3M;
    const double trueAnomaly = meanAnomaly + centre;
    const double distanceAu
        = 1.000001018 * (1.0 - eccentricity * eccentricity) / (1.0 + eccentricity * std::cos(trueAnomaly * kRadPerDeg));

    const double node = (125.04 - 1934.136 * t) * kRadPerDeg;
    const double apparentLongitude = meanLongitude + centre - 0.00569 - 0.00478 * std::sin(node);
    const double meanObliquity = 23.0 + (26.0 + (21.448 - t * (46.815 + t * (0.00059 - 0.001813 * t))) / 60.0) / 60.0;
    const double obliquity = (meanObliquity + 0.00256 * std::cos(node)) * kRadPerDeg;

    SunCoordinates sun;
    sun.sinDeclination = std::sin(obliquity) * std::sin(apparentLongitude * kRadPerDeg);
    sun.cosDeclination = std::sqrt(1.0 - sun.sinDeclination * sun.sinDeclination);

    const double tanHalf = std::tan(obliquity / 2.0);
    const double y = tanHalf * tanHalf;
    const double sin2L = std::sin(2.0 * meanLongitude * kRadPerDeg), cos2L = std::cos(2.0 * meanLongitude * kRadPerDeg);
    const double sin4L = 2.0 * sin2L * cos2L;
    const double e = eccentricity;
    sun.equationOfTimeMin = 4.0 / kRadPerDeg
        * (y * sin2L - 2.0 * e * sinM + 4.0 * e * y * sinM * cos2L - 0.5 * y * y * sin4L - 1.25 * e * e * sin2M);
    sun.distanceFactor = 1.0 / (distanceAu * distanceAu);
    return sun;
}

Observer::Observer(double latitudeDeg, double longitudeDegrees)
    : sinLatitude(std::sin(latitudeDeg * kRadPerDeg))
    , cosLatitude(std::cos(latitudeDeg * kRadPerDeg))
    , longitudeDeg(longitudeDegrees)
    , atPole(std::abs(latitudeDeg) >= 90.0)
{
}

SkyPlace skyPlace(const Observer& site, const SunCoordinates& sun, double minutesUT)
{
    const double trueSolarMin = minutesUT + sun.equationOfTimeMin + 4.0 * site.longitudeDeg;
    const double hourAngle = (trueSolarMin / 4.0 - 180.0) * kRadPerDeg;
    SkyPlace place;
    place.sinHourAngle = std::sin(hourAngle);
    place.cosHourAngle = std::cos(hourAngle);
    place.cosZenith = std::clamp(
        site.sinLatitude * sun.sinDeclination + site.cosLatitude * sun.cosDeclination * place.cosHourAngle, -1.0, 1.0);
    return place;
}

double zenithDeg(const SkyPlace& place) { return std::acos(place.cosZenith) / kRadPerDeg; }

double azimuthDeg(const Observer& site, const SunCoordinates& sun, const SkyPlace& place)
{
    if (site.atPole)
        return 0.0;
    const double east = -sun.cosDeclination * place.sinHourAngle;
    const double north
        = site.cosLatitude * sun.sinDeclination - site.sinLatitude * sun.cosDeclination * place.cosHourAngle;
    // At the zenith both vanish and only rounding would choose a direction.
    if (std::hypot(east, north) < 1e-12)
        return 0.0;
    return wrapDegrees(std::atan2(east, north) / kRadPerDeg);
}

double sunsetHourAngleDeg(const Observer& site, const SunCoordinates& sun)
{
    // Neither cosine is 0: |declination| < 24 degrees, and cos(pi/2) is 6e-17.
    const double cosSunset = -(site.sinLatitude * sun.sinDeclination) / (site.cosLatitude * sun.cosDeclination);
    return std::acos(std::clamp(cosSunset, -1.0, 1.0)) / kRadPerDeg;
}

SunPosition sunPosition(double jd, double latitudeDeg, double longitudeDeg)
{
    const SunCoordinates sun = sunCoordinates(jd);
    const Observer site(latitudeDeg, longitudeDeg);
    // The minutes since 0 h UT; a whole day more or less turns the hour angle by 360 degrees.
    const double minutesUT = (jd - 0.5 - std::floor(jd - 0.5)) * kMinutesPerDay;
    const SkyPlace place = skyPlace(site, sun, minutesUT);
    SunPosition position;
    position.zenithDeg = zenithDeg(place);
    position.azimuthDeg = azimuthDeg(site, sun, place);
    position.declinationDeg = std::asin(sun.sinDeclination) / kRadPerDeg;
    position.equationOfTimeMin = sun.equationOfTimeMin;
    position.distanceFactor = sun.distanceFactor;
    return position;
}

SunPosition sunAtLocalTime(
    const Date& date, double minutes, double utcOffsetHours, double latitudeDeg, double longitudeDeg)
{
    return sunPosition(julianDay(date, minutes - 60.0 * utcOffsetHours), latitudeDeg, longitudeDeg);
}

} // namespace karwen::light
