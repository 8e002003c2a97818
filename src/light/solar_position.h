// Where the sun stands, from the NOAA solar calculator's equations after
// Meeus (Astronomical Algorithms, 2nd ed., 1998, ch. 25 for the sun's
// coordinates, ch. 28 for the equation of time), without refraction: good
// to about 0.01 degree between 1900 and 2100. Angles in degrees.
#pragma once

#include "calendar.h"

namespace karwen::light {

struct SunPosition {
    double zenithDeg = 0.0;         // 0 at the zenith, 90 on the horizon, above 90 below it
    double azimuthDeg = 0.0;        // true, clockwise from north (east 90), 0..360; 0 at the zenith or a pole
    double declinationDeg = 0.0;    // the sun's declination
    double equationOfTimeMin = 0.0; // apparent minus mean solar time, minutes
    double distanceFactor = 1.0;    // E0 = (mean distance / distance)^2
};

// The Julian day of a moment given in UT: the date's 0 h plus minutes.
[[nodiscard]] double julianDay(const Date& date, double minutesUT);

// The sun at Julian day jd (UT) seen from latitude and longitude (north and
// east positive).
[[nodiscard]] SunPosition sunPosition(double jd, double latitudeDeg, double longitudeDeg);

// The sun at the local standard time `minutes` after midnight of `date`, in
// a time zone utcOffsetHours east of UTC.
[[nodiscard]] SunPosition sunAtLocalTime(
    const Date& date, double minutes, double utcOffsetHours, double latitudeDeg, double longitudeDeg);

} // namespace karwen::light
