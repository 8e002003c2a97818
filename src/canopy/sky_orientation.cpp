#include "sky_orientation.h"

#include <cmath>

namespace karwen::canopy {

namespace {

// 0 <= a < 360; a value a hair below 0 would round up to 360 itself.
double wrapped(double a)
{
    const double w = std::fmod(a, 360.0);
    const double up = w < 0.0 ? w + 360.0 : w;
    return up >= 360.0 ? 0.0 : up;
}

} // namespace

double SkyOrientation::trueTop() const { return wrapped(topAzimuthDeg + declinationDeg); }

double SkyOrientation::trueAzimuth(double photoAzimuthDeg) const
{
    return mirrored ? wrapped(trueTop() + 90.0 - photoAzimuthDeg) : wrapped(trueTop() - 90.0 + photoAzimuthDeg);
}

double SkyOrientation::photoAzimuth(double trueAzimuthDeg) const
{
    return mirrored ? wrapped(trueTop() + 90.0 - trueAzimuthDeg) : wrapped(trueAzimuthDeg - trueTop() + 90.0);
}

bool isValid(const SkyOrientation& o)
{
    return o.topAzimuthDeg >= 0.0 && o.topAzimuthDeg <= kMaxTopAzimuth && std::abs(o.declinationDeg) <= kMaxDeclination;
}

} // namespace karwen::canopy
