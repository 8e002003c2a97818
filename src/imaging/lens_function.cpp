#include "lens_function.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace rix {

namespace {

// The derivative is looked at this many times over the field: a polynomial
// of degree 4 cannot dip below zero and back between such close samples
// without showing it at one of them.
constexpr int kRiseSamples = 4096;

std::string refusal(const RixLens& lens)
{
    for (double a : lens.A)
        if (!std::isfinite(a))
            return "the lens function has a coefficient that is not a number";
    if (!std::isfinite(lens.HalfFov) || lens.HalfFov <= 0.0 || lens.HalfFov > RIX_LENS_MAX_HALF_FOV)
        return "the lens's half field of view must be more than 0 and at most "
            + std::to_string(int(RIX_LENS_MAX_HALF_FOV)) + " degrees";
    return {};
}

} // namespace

LensFunction::LensFunction(const RixLens& lens)
    : lens_(lens)
    , halfFov_(lens.HalfFov * std::numbers::pi / 180.0)
    , rhoMax_(rho(halfFov_))
{
}

std::optional<LensFunction> LensFunction::make(const RixLens& lens, std::string* why)
{
    std::string reason = refusal(lens);
    if (reason.empty()) {
        const LensFunction f(lens);
        for (int i = 0; i <= kRiseSamples; ++i)
            if (!(f.rhoDerivative(f.halfFov_ * i / kRiseSamples) > 0.0)) {
                reason = "the lens function does not rise over its field of view";
                break;
            }
        if (reason.empty())
            return f;
    }
    if (why)
        *why = reason;
    return std::nullopt;
}

double LensFunction::rho(double theta) const
{
    double r = 0.0;
    for (int k = RIX_LENS_TERMS - 1; k >= 0; --k)
        r = (r + lens_.A[k]) * theta;
    return r;
}

double LensFunction::rhoDerivative(double theta) const
{
    double d = 0.0;
    for (int k = RIX_LENS_TERMS - 1; k >= 0; --k)
        d = d * theta + (k + 1) * lens_.A[k];
    return d;
}

double LensFunction::theta(double r) const
{
    if (!(r >= 0.0 && r <= rhoMax_))
        return std::numeric_limits<double>::quiet_NaN();
    // Newton's steps kept inside a shrinking bracket: rho rises over the
    // field, so the bracket always holds the one root.
    double lo = 0.0, hi = halfFov_;
    double t = rhoMax_ > 0.0 ? halfFov_ * r / rhoMax_ : 0.0;
    for (int i = 0; i < 100; ++i) {
        const double f = rho(t) - r;
        if (f == 0.0)
            return t;
        (f < 0.0 ? lo : hi) = t;
        double next = t - f / rhoDerivative(t);
        if (!(next > lo && next < hi))
            next = 0.5 * (lo + hi);
        if (std::fabs(next - t) <= 1e-15)
            return next;
        t = next;
    }
    return t;
}

} // namespace rix
