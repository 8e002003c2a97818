#include "radial_geometry.h"

#include "projection_model.h"
#include "source_lens.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <mutex>
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
    } else if (!RixMayBeSource(proj)) {
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
    reachQ_ = std::min((edge + half) * (edge + half), 4.0);
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
