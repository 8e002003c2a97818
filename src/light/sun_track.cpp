#include "light_model.h"

#include "sun_geometry.h"

#include <cmath>
#include <stdexcept>

namespace karwen::light {

std::vector<SunPoint> sunTrack(const Site& site, const Date& date, double stepMin, bool midpoints)
{
    if (!(stepMin > 0.0))
        throw std::invalid_argument("the sun's track needs a time step above 0 minutes");
    const Observer observer(site.latitudeDeg, site.longitudeDeg);
    const double midnightJd = julianDay(date, 0.0);
    const double utcShiftMin = 60.0 * site.utcOffsetHours;
    const double offset = midpoints ? 0.5 : 0.0;
    std::vector<SunPoint> track;
    for (double k = 0.0;; k += 1.0) {
        const double minutes = (k + offset) * stepMin;
        if (minutes >= kMinutesPerDay)
            break;
        const double minutesUT = minutes - utcShiftMin;
        const SunCoordinates sun = sunCoordinates(midnightJd + minutesUT / kMinutesPerDay);
        const SkyPlace place = skyPlace(observer, sun, minutesUT);
        if (place.cosZenith > 0.0)
            track.push_back({minutes, zenithDeg(place), azimuthDeg(observer, sun, place)});
    }
    return track;
}

} // namespace karwen::light
