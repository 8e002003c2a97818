#include "radial_fit.h"

#include "projection_radial.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace rix {

namespace {

using radial::kHalfPi;

template <class F> RadialPoly fit(F g)
{
    std::array<double, kRadialDegree + 1> power{};
    fitPowers(g, power);
    RadialPoly poly;
    for (int i = 0; i <= kRadialDegree; ++i)
        poly.coef[i] = float(power[i]);
    return poly;
}

RadialFit makeFit()
{
    RadialFit f;
    using Equidistant = radial::Model<RixEquidistant>;
    f.sinOverRho = fit([](double t) {
        const double rho = std::sqrt(t);
        return rho == 0.0 ? kHalfPi : std::sin(Equidistant::theta(rho)) / rho;
    });
    f.cosTheta = fit([](double t) { return std::cos(Equidistant::theta(std::sqrt(t))); });
    f.rhoOverSin = fit([](double t) { return Equidistant::rhoOverSin(1.0 - t); });
    return f;
}

} // namespace

// The functions fitted here are analytic well beyond [0, 1], so the
// expansion converges fast and its coefficients stay of order 1.
void fitPowers(const std::function<double(double)>& g, std::span<double> power)
{
    const int nodes = int(power.size());
    std::vector<double> cheb(power.size());
    for (int j = 0; j < nodes; ++j) {
        const double angle = std::numbers::pi * (j + 0.5) / nodes;
        const double value = g(0.5 * (std::cos(angle) + 1.0));
        for (int k = 0; k < nodes; ++k)
            cheb[k] += 2.0 / nodes * value * std::cos(k * angle);
    }
    cheb[0] *= 0.5;

    // T0 = 1, T1 = x, T(k+1) = 2x T(k) - T(k-1), each as power coefficients.
    std::fill(power.begin(), power.end(), 0.0);
    std::vector<double> prev(power.size()), cur(power.size()), next(power.size());
    prev[0] = 1.0;
    cur[1] = 1.0;
    power[0] += cheb[0];
    power[1] += cheb[1];
    for (int k = 2; k < nodes; ++k) {
        std::fill(next.begin(), next.end(), 0.0);
        for (int i = 0; i + 1 < nodes; ++i)
            next[i + 1] += 2.0 * cur[i];
        for (int i = 0; i < nodes; ++i)
            next[i] -= prev[i];
        for (int i = 0; i < nodes; ++i)
            power[i] += cheb[k] * next[i];
        std::swap(prev, cur);
        std::swap(cur, next);
    }
}

const RadialFit& RadialFit::instance()
{
    static const RadialFit fit = makeFit();
    return fit;
}

double exactTheta(int proj, double rho)
{
    double theta = std::numeric_limits<double>::quiet_NaN();
    radial::withModel(proj, [&](auto p) { theta = radial::Model<p.value>::theta(rho); });
    return theta;
}

double exactRhoOverSin(int proj, double z)
{
    double f = std::numeric_limits<double>::quiet_NaN();
    radial::withModel(proj, [&](auto p) {
        if constexpr (RixMayBeSource(p.value))
            f = radial::Model<p.value>::rhoOverSin(z);
    });
    return f;
}

double evaluate(const RadialPoly& poly, double t)
{
    const double x = 2.0 * t - 1.0;
    double r = poly.coef[kRadialDegree];
    for (int k = kRadialDegree - 1; k >= 0; --k)
        r = r * x + poly.coef[k];
    return r;
}

} // namespace rix
