#include "radial_geometry.h"

#include "projection_model.h"
#include "source_lens.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <mutex>
#include <numbers>
#include <utility>

namespace karwen::canopy {

namespace {

constexpr double kQuarterTurn = 1.5707963267948966;
constexpr double kStep = 1e-6;      // for the slope of r_over_sin
constexpr double kInsideRim = 1e-6; // radians

// rho(t) = sin(t) r_over_sin(cos t) and its slope in t.
void forward(double t, int32_t p, double& rho, double& slope)
{
    const double s = std::sin(t), c = std::cos(t);
    const double g = r_over_sin(c, p);
    const double dg = (r_over_sin(c + kStep, p) - r_over_sin(c - kStep, p)) / (2.0 * kStep);
    rho = s * g;
    slope = c * g - s * s * dg;
}

} // namespace

ZenithAt zenithAt(double rho, int32_t p)
{
    const double r = std::clamp(rho, 0.0, 1.0);
    const double f = sin_over_r(std::sqrt(1.0 - r * r), p);
    if (rationalIsExact(p)) {
        const double s = r * f;
        return {f, std::sqrt(std::max(0.0, 1.0 - s * s))};
    }
    double t = std::asin(std::min(1.0, r * f));
    for (int step = 0; step < 2; ++step) {
        double at = 0.0, slope = 0.0;
        forward(t, p, at, slope);
        t = std::clamp(t - (at - r) / slope, 0.0, kQuarterTurn);
    }
    // rho = sin(t) r_over_sin(cos t), so sin(t) / rho needs no division by rho.
    const double c = std::cos(t);
    return {1.0 / r_over_sin(c, p), c};
}

RadialModel::RadialModel(int32_t proj, std::optional<rix::LensFunction> lens)
    : projection_(proj)
    , lens_(std::move(lens))
{
    if (!lens_)
        return;
    // The lens reaches 90 degrees, or ends short of it at its field's rim.
    if (lens_->halfFov() >= kQuarterTurn) {
        edge_ = lens_->rho(kQuarterTurn);
        edgeIsRim_ = lens_->halfFov() <= kQuarterTurn + 1e-12; // a field of exactly 90 degrees ends there
    } else {
        // A centre past the rim looks a hair inside it, so that a zenith
        // ring ending at the rim's angle holds it: ring edges are converted
        // from degrees by kDegToRad, which stays within 2e-8 rad of pi / 180
        // up to 120 degrees.
        edge_ = lens_->rhoMax();
        edgeSin_ = std::sin(lens_->halfFov() - kInsideRim);
        edgeCos_ = std::cos(lens_->halfFov() - kInsideRim);
    }
}

std::optional<RadialModel> RadialModel::of(int32_t proj, const RixLens* lens, std::string* why)
{
    std::string reason;
    if (proj == RixLensSource) {
        if (lens == nullptr) {
            reason = "the source projection is a lens, but no lens function was given";
        } else {
            std::optional<rix::LensFunction> function = rix::LensFunction::make(*lens, &reason);
            if (function)
                return RadialModel(proj, std::move(function));
            reason = "the source lens is not usable: " + reason;
        }
    } else if (!isIdealFisheye(proj)) {
        reason = "the source projection is not a fisheye projection";
    } else if (lens != nullptr) {
        reason = "a lens function was given for an ideal source projection";
    } else {
        return RadialModel(proj, std::nullopt);
    }
    if (why)
        *why = reason;
    return std::nullopt;
}

ZenithAt RadialModel::at(double rho) const
{
    if (!lens_)
        return zenithAt(rho, projection_);
    const double r = std::clamp(rho, 0.0, edge_);
    const double t = lens_->theta(r);
    // sin(t) / rho tends to 1 / rho'(0) at the centre.
    return {r > 0.0 ? std::sin(t) / r : 1.0 / lens_->rhoDerivative(0.0), std::cos(t)};
}

double RadialModel::rhoAt(double t) const
{
    if (lens_)
        return lens_->rho(t);
    return std::sin(t) * r_over_sin(std::cos(t), projection_);
}

bool RadialModel::operator==(const RadialModel& other) const
{
    if (projection_ != other.projection_ || lens_.has_value() != other.lens_.has_value())
        return false;
    if (!lens_)
        return true;
    return sameLens(lens_->lens(), other.lens_->lens());
}

RadialTable::RadialTable(const RadialModel& model, double radius)
    : model_(model)
    , radius_(radius)
{
    const double half = 0.5 / radius;
    const double edge = model.edge();
    const auto count = static_cast<std::size_t>(std::clamp(std::ceil(32.0 * radius), 4096.0, 1048576.0));
    perUnit_ = double(count);
    // A circle under a pixel across (radius < 0.5) would need a table
    // reaching ever farther; its pixels beyond rho = 2 count nothing.
    reachQ_ = std::min((edge + std::numbers::sqrt2 * half) * (edge + std::numbers::sqrt2 * half), 4.0);
    end_ = std::ceil(reachQ_ * perUnit_);
    const auto entries = static_cast<std::size_t>(end_) + 1;
    cos2_.resize(entries);
    sinOverRho_.resize(entries);
    density_.resize(entries);
    const double edgeQ = edge * edge;
    for (std::size_t i = 0; i < entries; ++i) {
        // Past the rim (q > edge^2) the direction is the rim's: for the
        // ideal projections horizontal, with sin(t) = 1.
        const double q = double(i) / perUnit_;
        const ZenithAt at = model.at(std::sqrt(q));
        cos2_[i] = q > edgeQ ? model.edgeCos() * model.edgeCos() : at.cos * at.cos;
        sinOverRho_[i] = q > edgeQ ? model.edgeSin() / std::sqrt(q) : at.sinOverRho;
    }
    // cos(t) from the cos^2 column, which is smooth in q (linear for the
    // orthographic projection): the annulus' solid angle comes out within
    // 1e-4 of the one from exact angles. Within two pixels of the rim, where
    // cos(t) nears 0 and the square root magnifies the interpolation, and of
    // the centre, where the annulus' cosines differ very little, the angles
    // are worked out exactly.
    const double nearCentre = 2.0 / radius, nearRim = edge - 2.0 / radius;
    const auto cosAt = [this, nearCentre, nearRim, &model](double rho) {
        if (rho < nearCentre || rho > nearRim)
            return model.at(rho).cos;
        double f = 0.0;
        const int i = tableSpan(rho * rho, perUnit_, end_, f);
        return std::sqrt(std::max(0.0, tableLerp(cos2_.data(), i, f)));
    };
    for (std::size_t i = 0; i < entries; ++i) {
        // The solid angle of the part of the annulus rho +- half inside the
        // rim, 2 pi (cos t(a) - cos t(min(b, 1))), over the whole annulus'
        // area pi (b^2 - a^2): the annulus stands for the pixel, so a pixel
        // across the rim counts the part of it inside.
        const double rho = std::sqrt(double(i) / perUnit_);
        const double a = std::max(0.0, rho - half), b = rho + half;
        density_[i] = a >= edge ? 0.0 : 2.0 * (cosAt(a) - cosAt(std::min(b, edge))) / (b * b - a * a);
    }
    density_.back() = 0.0; // what every pixel farther out reads
    edge_ = edge;
    const double inner = std::max(0.0, edge - std::numbers::sqrt2 * half);
    acrossQ_ = inner * inner;
}

RadialTable::RimPixel RadialTable::rimPixel(double x, double y) const
{
    // The square's radial profile p(u), u the offset along the ray from the
    // centre: the sum of its two sides' projections on the ray, uniform
    // over +-a and +-b, a trapezoid reaching a + b. Its area at radius r
    // is p dr (the rim taken as straight across one pixel), so the solid
    // angle is the integral of p(r - rho) D(r) over r up to the edge, D the
    // solid angle per area, -cos'(t(r)) / r. Piece by piece of p (where it
    // is linear), slice by slice: the slice's p at its middle times the
    // integral of D, plus p's slope times D's first moment, both from
    // cos t, which stays finite where D does not (the orthographic rim).
    constexpr int kSlicesPerPiece = 4;
    const double half = 0.5 / radius_;
    const double rho = std::hypot(x, y);
    const double c = rho > 0.0 ? std::abs(x) / rho : 1.0, s = rho > 0.0 ? std::abs(y) / rho : 0.0;
    const double a = half * std::max(c, s), b = std::max(half * std::min(c, s), 1e-6 * half);
    const double ramp = 1.0 / (4.0 * a * b); // p's slope on the ramps
    const auto profile = [&](double u) {
        const double t = std::abs(u);
        return t <= a - b ? 1.0 / (2.0 * a) : std::max(0.0, (a + b - t) * ramp);
    };
    const auto below = [&](double u) { // the share of the pixel at offsets up to u
        const double t = std::clamp(u, -(a + b), a + b);
        const auto lower = [&](double v) { return (v + a + b) * (v + a + b) * ramp / 2.0; };
        if (t <= b - a)
            return lower(t);
        if (t < a - b)
            return lower(b - a) + (t - (b - a)) / (2.0 * a);
        return 1.0 - lower(-t);
    };
    const auto cosAt = [this](double r) {
        double f = 0.0;
        const int i = tableSpan(r * r, perUnit_, end_, f);
        return std::sqrt(std::max(0.0, tableLerp(cos2_.data(), i, f)));
    };
    const double to = std::min(rho + (a + b), edge_);
    RimPixel pixel{0.0, std::clamp(below(to - rho), 0.0, 1.0)};
    const double knots[] = {rho - (a + b), rho - (a - b), rho + (a - b), rho + (a + b)};
    const double slopes[] = {ramp, 0.0, -ramp};
    for (int k = 0; k < 3; ++k) {
        const double lo = std::max(knots[k], 1e-12), hi = std::min(knots[k + 1], to);
        if (hi <= lo)
            continue;
        const double step = (hi - lo) / kSlicesPerPiece;
        double r0 = lo, c0 = cosAt(r0);
        for (int i = 1; i <= kSlicesPerPiece; ++i) {
            const double r1 = lo + step * i, rm = 0.5 * (r0 + r1);
            const double c1 = cosAt(r1), cm = cosAt(rm);
            const double integral = (c0 - c1) / rm;
            const double moment = ((r0 - rm) * c0 - (r1 - rm) * c1 + (r1 - r0) * (c0 + 4.0 * cm + c1) / 6.0) / rm;
            pixel.solid += profile(rm - rho) * integral + slopes[k] * moment;
            r0 = r1;
            c0 = c1;
        }
    }
    pixel.solid *= 4.0 * half * half;
    return pixel;
}

std::shared_ptr<const RadialTable> sharedRadialTable(const RadialModel& model, double radius)
{
    constexpr std::size_t kKept = 4; // some 100 KB each
    static std::mutex mutex;
    static std::deque<std::shared_ptr<const RadialTable>> kept;
    {
        const std::lock_guard lock(mutex);
        for (const auto& table : kept)
            if (table->isFor(model, radius))
                return table;
    }
    auto table = std::make_shared<const RadialTable>(model, radius);
    const std::lock_guard lock(mutex);
    kept.push_front(table);
    if (kept.size() > kKept)
        kept.pop_back();
    return table;
}

} // namespace karwen::canopy
