#include "lens_fit.h"

#include "lens_function.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <set>

namespace karwen {

namespace {

constexpr double kDegree = std::numbers::pi / 180.0;

std::optional<LensFitResult> refuse(std::string* why, std::string reason)
{
    if (why)
        *why = std::move(reason);
    return std::nullopt;
}

std::string shown(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// Least squares of y ~ X c by Householder reflections; X is m x n, row
// major, m >= n. Nothing when a column is (numerically) a combination of
// the ones before it.
std::optional<std::vector<double>> leastSquares(std::vector<double> x, std::vector<double> y, std::size_t n)
{
    const std::size_t m = y.size();
    const auto at = [&](std::size_t i, std::size_t j) -> double& { return x[i * n + j]; };
    for (std::size_t k = 0; k < n; ++k) {
        double norm = 0.0;
        for (std::size_t i = k; i < m; ++i)
            norm = std::hypot(norm, at(i, k));
        // Reflections keep a column's length: what is left below row k,
        // against the whole, says how far it stands from the ones before.
        double whole = norm;
        for (std::size_t i = 0; i < k; ++i)
            whole = std::hypot(whole, at(i, k));
        if (!(norm > 1e-10 * whole))
            return std::nullopt;
        const double alpha = at(k, k) > 0 ? -norm : norm;
        // v = x_k - alpha e_k over rows k..m-1, kept in column k.
        at(k, k) -= alpha;
        double vv = 0.0;
        for (std::size_t i = k; i < m; ++i)
            vv += at(i, k) * at(i, k);
        const auto reflect = [&](auto&& value) {
            double dot = 0.0;
            for (std::size_t i = k; i < m; ++i)
                dot += at(i, k) * value(i);
            const double f = 2.0 * dot / vv;
            for (std::size_t i = k; i < m; ++i)
                value(i) -= f * at(i, k);
        };
        for (std::size_t j = k + 1; j < n; ++j)
            reflect([&](std::size_t i) -> double& { return at(i, j); });
        reflect([&](std::size_t i) -> double& { return y[i]; });
        at(k, k) = alpha; // the diagonal of R; the rest of column k is done with
    }
    std::vector<double> c(n);
    for (std::size_t k = n; k-- > 0;) {
        double s = y[k];
        for (std::size_t j = k + 1; j < n; ++j)
            s -= at(k, j) * c[j];
        c[k] = s / at(k, k);
    }
    return c;
}

// The fitted zenith angle of relative radius rho: the lens's own inverse
// within its field, the tangent at the rim beyond it (a mark at the edge
// whose noise put it outside).
double fittedTheta(const rix::LensFunction& f, double rho)
{
    if (rho <= f.rhoMax())
        return f.theta(std::max(rho, 0.0));
    return f.halfFov() + (rho - f.rhoMax()) / f.rhoDerivative(f.halfFov());
}

} // namespace

std::optional<LensFitResult> fitLens(
    const std::vector<LensMark>& marks, int degree, std::optional<double> halfFovDeg, std::string* why)
{
    if (degree < 1 || degree > kLensFitMaxDegree)
        return refuse(why, "the degree is 1 to " + std::to_string(kLensFitMaxDegree));
    const auto terms = std::size_t(degree);
    if (marks.size() < terms)
        return refuse(why,
            std::to_string(marks.size()) + (marks.size() == 1 ? " point cannot fix " : " points cannot fix ")
                + std::to_string(degree) + (degree == 1 ? " term" : " terms")
                + ": give at least as many points as terms");
    double largest = 0.0;
    std::set<double> angles;
    for (std::size_t i = 0; i < marks.size(); ++i) {
        const LensMark& mark = marks[i];
        const std::string which = "point " + std::to_string(i + 1) + ": ";
        if (!(std::isfinite(mark.radius) && mark.radius >= 0.0))
            return refuse(why, which + "the radius " + shown(mark.radius) + " is negative");
        if (!(mark.zenithDeg >= 0.0 && mark.zenithDeg <= RIX_LENS_MAX_HALF_FOV))
            return refuse(why,
                which + "the zenith angle " + shown(mark.zenithDeg) + " is outside 0 to " + shown(RIX_LENS_MAX_HALF_FOV)
                    + " degrees");
        largest = std::max(largest, mark.zenithDeg);
        if (mark.zenithDeg > 0.0)
            angles.insert(mark.zenithDeg);
    }
    if (angles.size() < terms)
        return refuse(why,
            "the points give " + std::to_string(angles.size()) + " different zenith angles above 0, too few for "
                + std::to_string(degree) + " terms");
    const double halfFov = halfFovDeg.value_or(largest);
    if (!(halfFov > 0.0 && halfFov <= RIX_LENS_MAX_HALF_FOV))
        return refuse(
            why, "the half field of view is above 0 and at most " + shown(RIX_LENS_MAX_HALF_FOV) + " degrees");
    if (largest > halfFov)
        return refuse(why,
            "a point at " + shown(largest) + " degrees lies beyond the half field of view of " + shown(halfFov)
                + " degrees");

    // Powers of theta over the largest angle stay within [0, 1], so the
    // columns of a degree-5 fit keep their digits.
    const double scale = largest * kDegree;
    std::vector<double> x, y;
    for (const LensMark& mark : marks) {
        const double t = mark.zenithDeg * kDegree / scale;
        double power = 1.0;
        for (std::size_t k = 0; k < terms; ++k)
            x.push_back(power *= t);
        y.push_back(mark.radius);
    }
    const auto c = leastSquares(std::move(x), std::move(y), terms);
    if (!c)
        return refuse(why, "the points do not fix the terms: too few different zenith angles");

    LensFitResult fit;
    std::vector<double> b(terms);
    for (std::size_t k = 0; k < terms; ++k)
        b[k] = (*c)[k] / std::pow(scale, double(k + 1));
    for (std::size_t k = terms; k-- > 0;)
        fit.radius90 = (fit.radius90 + b[k]) * (std::numbers::pi / 2);
    if (!(fit.radius90 > 0.0 && std::isfinite(fit.radius90)))
        return refuse(why, "the fitted radius at 90 degrees is not above 0: the lens function does not rise");
    for (std::size_t k = 0; k < terms; ++k)
        fit.lens.A[k] = b[k] / fit.radius90;
    fit.lens.HalfFov = halfFov;
    std::string reason;
    const auto function = rix::LensFunction::make(fit.lens, &reason);
    if (!function)
        return refuse(why, reason);

    double squaredPixels = 0.0, squaredDegrees = 0.0;
    for (const LensMark& mark : marks) {
        const double theta = mark.zenithDeg * kDegree;
        LensMarkResidual r;
        r.pixels = mark.radius - fit.radius90 * function->rho(theta);
        r.degrees = (fittedTheta(*function, mark.radius / fit.radius90) - theta) / kDegree;
        squaredPixels += r.pixels * r.pixels;
        squaredDegrees += r.degrees * r.degrees;
        fit.residuals.push_back(r);
    }
    fit.rmsPixels = std::sqrt(squaredPixels / double(marks.size()));
    fit.rmsDegrees = std::sqrt(squaredDegrees / double(marks.size()));
    return fit;
}

} // namespace karwen
