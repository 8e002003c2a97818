#include "dot_scenes.h"

#include "random.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace karwen::canopy::test {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kDeg = kPi / 180.0;

// Azimuth length of the circle of zenith t inside a cap of radius r whose
// centre lies at zenith c.
double arcInside(double t, double c, double r)
{
    const double across = std::sin(t) * std::sin(c);
    if (across <= 0.0)
        return std::abs(t - c) <= r ? 2.0 * kPi : 0.0;
    const double q = (std::cos(r) - std::cos(t) * std::cos(c)) / across;
    return 2.0 * std::acos(std::clamp(q, -1.0, 1.0));
}

// The integral of arcInside(t) sin t over [lo, hi]. The arc length behaves
// like a square root where a cap's edge meets the band; the substitution
// t = lo + (hi - lo)(u - sin u cos u) / pi, u in [0, pi], flattens the
// integrand at both ends, and the midpoint rule then converges fast.
double capBand(double lo, double hi, double c, double r)
{
    if (!(hi > lo))
        return 0.0;
    constexpr int kSteps = 96;
    const double du = kPi / kSteps, scale = (hi - lo) / kPi;
    double sum = 0.0;
    for (int i = 0; i < kSteps; ++i) {
        const double u = (i + 0.5) * du, su = std::sin(u);
        const double t = lo + scale * (u - su * std::cos(u));
        sum += arcInside(t, c, r) * std::sin(t) * scale * 2.0 * su * su * du;
    }
    return sum;
}

// The solid angle of a cap between zenith angles t0 and t1: the band the
// cap spans, split where its arc stops being the whole circle (when it
// holds the zenith).
double capSolidAngle(const Cap& cap, double t0, double t1)
{
    const double c = std::acos(std::clamp(cap.z, -1.0, 1.0)), r = cap.radius;
    const double lo = std::max(t0, std::max(0.0, c - r)), hi = std::min(t1, c + r);
    if (!(hi > lo))
        return 0.0;
    if (t0 <= c - r && c + r <= t1) // the whole cap
        return 2.0 * kPi * (1.0 - cap.cosRadius);
    const double full = r - c; // up to here the cap holds the whole circle
    if (full <= lo)
        return capBand(lo, hi, c, r);
    const double split = std::min(full, hi);
    return 2.0 * kPi * (std::cos(lo) - std::cos(split)) + capBand(split, hi, c, r);
}

} // namespace

bool CapSky::sky(double ex, double ey, double ez) const
{
    const bool inCap = std::any_of(
        caps.begin(), caps.end(), [&](const Cap& c) { return ex * c.x + ey * c.y + ez * c.z >= c.cosRadius; });
    return inCap == capsAreSky;
}

double CapSky::gapSolidAngle(double t0, double t1) const
{
    double covered = 0.0;
    for (const Cap& cap : caps)
        covered += capSolidAngle(cap, t0, t1);
    return capsAreSky ? covered : 2.0 * kPi * (std::cos(t0) - std::cos(t1)) - covered;
}

CapSky capSky(uint64_t seed, const CapSkyKind& kind)
{
    Xoshiro256 random(seed);
    CapSky sky{{}, kind.capsAreSky};
    const double wanted = kind.covered * 2.0 * kPi;
    double covered = 0.0;
    for (int attempt = 0; attempt < 100000 && covered < wanted; ++attempt) {
        const double radius = (kind.minRadiusDeg + (kind.maxRadiusDeg - kind.minRadiusDeg) * random.uniform()) * kDeg;
        // Centres uniform on the sphere down to where a cap still reaches
        // above the horizon.
        const double lowest = -std::sin(radius);
        const double z = lowest + (1.0 - lowest) * random.uniform(), a = 2.0 * kPi * random.uniform();
        const double s = std::sqrt(1.0 - z * z);
        const Cap cap{s * std::cos(a), s * std::sin(a), z, radius, std::cos(radius)};
        const double surelyApart = std::cos(2.0 * kind.maxRadiusDeg * kDeg); // saves most cosines
        const bool apart = std::all_of(sky.caps.begin(), sky.caps.end(), [&](const Cap& c) {
            const double d = c.x * cap.x + c.y * cap.y + c.z * cap.z;
            return d < surelyApart || d < std::cos(c.radius + cap.radius);
        });
        if (!apart)
            continue;
        sky.caps.push_back(cap);
        covered += capSolidAngle(cap, 0.0, kPi / 2.0);
    }
    return sky;
}

} // namespace karwen::canopy::test
