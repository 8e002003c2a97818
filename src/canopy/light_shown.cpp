#include "light_shown.h"

#include "last_built.h"
#include "region_rule.h"
#include "same_record.h"
#include "view_direction.h"

#include <algorithm>
#include <cmath>

namespace karwen::canopy {

namespace {

// Samples per region along each of its two sides.
constexpr int kSamples = 10;
constexpr double kQuarterTurn = std::numbers::pi / 2.0;
// The ideal projections' radial model is fitted: rho(90 degrees) may read a
// few 1e-7 past the rim it defines.
constexpr double kRimTolerance = 1e-6;

bool withinField(const RadialModel& model, double rho) { return rho <= model.edge() * (1.0 + kRimTolerance); }

struct ShownKey {
    ProjectionRecord src;
    RadialModel model;
    int width, height;
    int rings, sectors;
    SkyOrientation orientation;

    [[nodiscard]] bool operator==(const ShownKey& o) const
    {
        return sameRecord(src, o.src) && model == o.model && width == o.width && height == o.height && rings == o.rings
            && sectors == o.sectors && orientation == o.orientation;
    }
};

bool wholeCircleShown(const ProjectionRecord& src, const RadialModel& model, int width, int height)
{
    if (src.Alpha != 0.0 || src.Beta != 0.0 || !withinField(model, model.rhoAt(kQuarterTurn)))
        return false;
    const double rim = src.R * std::min(model.rhoAt(kQuarterTurn), model.edge());
    return src.Cx - rim >= 0.0 && src.Cx + rim <= width && src.Cy - rim >= 0.0 && src.Cy + rim <= height;
}

std::vector<double> shownShares(const ShownKey& key)
{
    const light::SkyGrid grid(key.rings, key.sectors);
    std::vector<double> shown(std::size_t(grid.regions()), 1.0);
    if (wholeCircleShown(key.src, key.model, key.width, key.height))
        return shown;
    const double dz = grid.ringWidthDeg() / kSamples, da = grid.sectorWidthDeg() / kSamples;
    for (int ring = 0; ring < grid.rings(); ++ring)
        for (int sector = 0; sector < grid.sectors(); ++sector) {
            double seen = 0.0, all = 0.0;
            for (int i = 0; i < kSamples; ++i) {
                const double z0 = ring * grid.ringWidthDeg() + i * dz;
                const double weight = std::cos(z0 / kRadToDegree) - std::cos((z0 + dz) / kRadToDegree);
                for (int j = 0; j < kSamples; ++j) {
                    const double azimuth = sector * grid.sectorWidthDeg() + (j + 0.5) * da;
                    const auto p
                        = pointOnPhoto(key.src, key.model, z0 + 0.5 * dz, key.orientation.photoAzimuth(azimuth));
                    all += weight;
                    if (p && p->x >= 0.0 && p->y >= 0.0 && p->x <= key.width && p->y <= key.height)
                        seen += weight;
                }
            }
            shown[std::size_t(ring * grid.sectors() + sector)] = seen / all;
        }
    return shown;
}

} // namespace

std::optional<ImagePoint> pointOnPhoto(
    const ProjectionRecord& src, const RadialModel& model, double zenithDeg, double photoAzimuthDeg)
{
    const ViewFrame f(src);
    const double rot = std::atan2(f.sinRot, f.cosRot);
    const double zenith = zenithDeg / kRadToDegree, a = photoAzimuthDeg / kRadToDegree - rot;
    const double e[3] = {std::sin(zenith) * std::cos(a), std::sin(zenith) * std::sin(a), std::cos(zenith)};
    double d[3];
    for (int i = 0; i < 3; ++i)
        d[i] = e[0] * f.ax[i] + e[1] * f.ay[i] + e[2] * f.az[i];
    const double t = std::acos(std::clamp(d[2], -1.0, 1.0));
    if (t > kQuarterTurn)
        return std::nullopt;
    const double rho = model.rhoAt(t);
    if (!withinField(model, rho))
        return std::nullopt;
    // The tilt turns the camera frame's sideways part back into the image's.
    const double u = f.cosRot * d[0] - f.sinRot * d[1], v = f.sinRot * d[0] + f.cosRot * d[1];
    const double n = std::hypot(u, v);
    if (n == 0.0)
        return ImagePoint{src.Cx, src.Cy};
    return ImagePoint{src.Cx + src.R * rho * u / n, src.Cy + src.R * rho * v / n};
}

std::shared_ptr<const std::vector<double>> sharedShownShares(const ProjectionRecord& src, const RadialModel& model,
    int width, int height, const light::SkyGrid& grid, const SkyOrientation& orientation)
{
    struct Shown {
        ShownKey key;
        std::vector<double> shares;
    };
    static LastBuilt<Shown> last;
    const ShownKey key{src, model, width, height, grid.rings(), grid.sectors(), orientation};
    const std::shared_ptr<const Shown> shown = last.get([&](const Shown& kept) { return kept.key == key; },
        [&] {
            return std::make_shared<const Shown>(Shown{key, shownShares(key)});
        });
    return {shown, &shown->shares};
}

} // namespace karwen::canopy
