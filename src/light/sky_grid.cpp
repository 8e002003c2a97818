#include "sky_grid.h"

#include "sun_geometry.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace karwen::light {

namespace {

// The bin of value in [0, range) cut into `bins` equal parts; the product
// first, so that a bin's edge lands in it exactly.
int binOf(double value, double range, int bins)
{
    const double bin = std::floor(value * bins / range);
    return std::clamp(int(bin), 0, bins - 1);
}

// The integral of radiance x cos(zenith) x sin(zenith) over zenith from 0
// to the angle, per radian of azimuth, as a function of c = cos(zenith).
double uniformIntegral(double c) { return -c * c / 2.0; }
// Radiance 1 + 2 cos(zenith).
double overcastIntegral(double c) { return -(c * c / 2.0 + 2.0 * c * c * c / 3.0); }

// The cosines of a ring's zenith edges, nearer the zenith first; the
// horizon's is 0, not the 6e-17 of cos(pi/2).
struct RingEdges {
    double upper, lower;
};
RingEdges ringEdges(const SkyGrid& grid, int ring)
{
    const double upper = std::cos(ring * grid.ringWidthDeg() * kRadPerDeg);
    const double lower = ring + 1 == grid.rings() ? 0.0 : std::cos((ring + 1) * grid.ringWidthDeg() * kRadPerDeg);
    return {upper, lower};
}

} // namespace

SkyGrid::SkyGrid(int rings, int sectors)
    : rings_(rings)
    , sectors_(sectors)
{
}

int SkyGrid::ringOf(double zenithDeg) const { return binOf(std::clamp(zenithDeg, 0.0, 90.0), 90.0, rings_); }

int SkyGrid::sectorOf(double azimuthDeg) const
{
    double azimuth = std::fmod(azimuthDeg, 360.0);
    if (azimuth < 0.0)
        azimuth += 360.0;
    return binOf(azimuth >= 360.0 ? 0.0 : azimuth, 360.0, sectors_);
}

double SkyGrid::solidAngle(int region) const
{
    const RingEdges edges = ringEdges(*this, region / sectors_);
    return 2.0 * kPi * (edges.upper - edges.lower) / sectors_;
}

std::vector<double> SkyGrid::diffuseShares(SkyModel model) const
{
    const auto integral = model == SkyModel::Uoc ? uniformIntegral : overcastIntegral;
    std::vector<double> shares(static_cast<std::size_t>(regions()));
    for (int ring = 0; ring < rings_; ++ring) {
        const RingEdges edges = ringEdges(*this, ring);
        const double share = integral(edges.lower) - integral(edges.upper);
        std::fill_n(shares.begin() + ring * sectors_, sectors_, share);
    }
    const double total = std::accumulate(shares.begin(), shares.end(), 0.0);
    for (double& share : shares)
        share /= total;
    return shares;
}

} // namespace karwen::light
