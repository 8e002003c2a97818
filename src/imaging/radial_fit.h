// Fast forms of the radial mappings that the resampler evaluates per pixel.
//
// Most projections have cheap closed forms (a square root or a division); the
// equidistant projection needs sin, cos and acos. Those three 1-D functions
// are replaced by polynomials fitted once, on first use (Chebyshev
// interpolation on [0, 1], then expanded to powers of x = 2t - 1 and
// evaluated in float by Horner's rule). The fits are accurate to a few float
// ulps, far below 0.01 pixel for any radius the library accepts. A real
// lens's factor is fitted the same way, per lens (lens_form).
#pragma once

#include <array>
#include <functional>
#include <span>

namespace rix {

inline constexpr int kRadialDegree = 8;

// p(t) = sum coef[k] * (2t - 1)^k for t in [0, 1].
struct RadialPoly {
    std::array<float, kRadialDegree + 1> coef{};
};

struct RadialFit {
    // Equidistant destination, as functions of t = rho^2 with theta = rho * pi/2:
    RadialPoly sinOverRho; // sin(theta) / rho
    RadialPoly cosTheta;   // cos(theta)
    // Equidistant source, as a function of t = 1 - cos(theta):
    RadialPoly rhoOverSin; // rho(theta) / sin(theta) = (2 / pi) * theta / sin(theta)

    [[nodiscard]] static const RadialFit& instance();
};

// Chebyshev interpolation of g on [0, 1] at power.size() >= 2 points,
// expanded into powers of x = 2t - 1 (power[k] multiplies x^k).
void fitPowers(const std::function<double(double)>& g, std::span<double> power);

// Closed forms in double, the reference the fast forms are checked against.
// theta for a normalised destination radius rho in a destination projection;
// NaN for any other code.
[[nodiscard]] double exactTheta(int proj, double rho);
// rho_p(theta) / sin(theta) for z = cos(theta) in a source projection; NaN
// for any other code.
[[nodiscard]] double exactRhoOverSin(int proj, double z);
// The fitted polynomial in double, for tests.
[[nodiscard]] double evaluate(const RadialPoly& poly, double t);

} // namespace rix
