// Envelope circle fit. The circle x^2 + y^2 + D x + E y + F = 0 is linear in
// (D, E, F); its algebraic residual a = d^2 - R^2 = (d - R)(d + R) is about
// 2R times the distance from the rim. Minimising the asymmetric absolute
// residual (outside points cost `inside`, inside points 1 - `inside`) is a
// linear quantile regression: convex, solved here by iteratively reweighted
// least squares on 3 x 3 normal equations.
#include "circle_fit.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace rix {

namespace {

struct Algebraic {
    double d, e, f;
};

// Weighted least squares of x^2 + y^2 + D x + E y + F = 0.
std::optional<Algebraic> solveWeighted(
    const std::vector<EdgePoint>& pts, const std::vector<double>& w, double ox, double oy)
{
    // Normal equations in coordinates relative to (ox, oy) for conditioning.
    std::array<std::array<double, 4>, 3> m{};
    for (std::size_t k = 0; k < pts.size(); ++k) {
        const double x = pts[k].x - ox, y = pts[k].y - oy;
        const double row[3] = {x, y, 1.0};
        const double rhs = -(x * x + y * y);
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j)
                m[i][j] += w[k] * row[i] * row[j];
            m[i][3] += w[k] * row[i] * rhs;
        }
    }
    for (int c = 0; c < 3; ++c) {
        int pivot = c;
        for (int r = c + 1; r < 3; ++r)
            if (std::abs(m[r][c]) > std::abs(m[pivot][c]))
                pivot = r;
        std::swap(m[c], m[pivot]);
        if (!(std::abs(m[c][c]) > 1e-12 * (1.0 + std::abs(m[0][0]) + std::abs(m[1][1]))))
            return std::nullopt;
        for (int r = 0; r < 3; ++r) {
            if (r == c)
                continue;
            const double factor = m[r][c] / m[c][c];
            for (int j = c; j < 4; ++j)
                m[r][j] -= factor * m[c][j];
        }
    }
    return Algebraic{m[0][3] / m[0][0], m[1][3] / m[1][1], m[2][3] / m[2][2]};
}

// The circle of the algebraic form, in the form's own coordinates.
std::optional<Circle> toCircle(const Algebraic& a)
{
    const double cx = -a.d / 2, cy = -a.e / 2;
    const double r2 = cx * cx + cy * cy - a.f;
    if (!(r2 > 0) || !std::isfinite(r2))
        return std::nullopt;
    return Circle{cx, cy, std::sqrt(r2)};
}

std::optional<Circle> quantileFit(const std::vector<EdgePoint>& pts, double inside)
{
    if (pts.size() < 3)
        return std::nullopt;
    double ox = 0, oy = 0;
    for (const EdgePoint& p : pts) {
        ox += p.x;
        oy += p.y;
    }
    ox /= double(pts.size());
    oy /= double(pts.size());

    std::vector<double> w(pts.size(), 1.0);
    auto fit = solveWeighted(pts, w, ox, oy);
    if (!fit)
        return std::nullopt;
    auto circle = toCircle(*fit);
    if (!circle)
        return std::nullopt;
    for (int iteration = 0; iteration < 60; ++iteration) {
        // Residuals below a tenth of a pixel count as that much, so that
        // points on the circle do not take all the weight.
        const double floor = 0.2 * circle->r;
        for (std::size_t k = 0; k < pts.size(); ++k) {
            const double x = pts[k].x - ox, y = pts[k].y - oy;
            const double a = x * x + y * y + fit->d * x + fit->e * y + fit->f;
            w[k] = (a > 0 ? inside : 1.0 - inside) / std::max(std::abs(a), floor);
        }
        const auto next = solveWeighted(pts, w, ox, oy);
        if (!next)
            break;
        const auto nextCircle = toCircle(*next);
        if (!nextCircle)
            break;
        const double change = std::abs(nextCircle->cx - circle->cx) + std::abs(nextCircle->cy - circle->cy)
            + std::abs(nextCircle->r - circle->r);
        fit = next;
        circle = nextCircle;
        if (change < 1e-4)
            break;
    }
    return Circle{circle->cx + ox, circle->cy + oy, circle->r};
}

} // namespace

std::optional<Circle> fitEnvelopeCircle(const std::vector<EdgePoint>& points, double inside)
{
    std::vector<EdgePoint> kept = points;
    std::optional<Circle> circle;
    for (int round = 0; round < 4; ++round) {
        circle = quantileFit(kept, inside);
        if (!circle)
            return std::nullopt;
        // Strays well outside the rim: bright specks, burnt-in text, flare.
        const double tolerance = std::max(3.0, 0.03 * circle->r);
        std::vector<EdgePoint> next;
        next.reserve(kept.size());
        for (const EdgePoint& p : kept)
            if (std::hypot(p.x - circle->cx, p.y - circle->cy) - circle->r <= tolerance)
                next.push_back(p);
        if (next.size() == kept.size())
            break;
        kept = std::move(next);
    }
    return circle;
}

} // namespace rix
