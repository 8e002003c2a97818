// Where one pixel of a source photo looks: the solid angle of the part of it
// inside the circle and the zenith ring and azimuth sector of its centre (of
// the rim point on the ray through it, for a centre just past the rim), as
// the sky map stores them. Positions are in radii from the circle centre, y
// up.
#pragma once

#include "radial_geometry.h"
#include "ring_layout.h"
#include "rix.h"
#include "sky_rows.h"
#include "view_direction.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>

namespace karwen::canopy {

// How far below the view's horizon (in cosine, about 0.00006 degrees) a
// direction is still taken as on it: a pixel centre past the rim looks
// along the rim, 90 degrees from the camera axis, which a view that leaves
// the axis by a hair puts, on one side, a hair behind it.
inline constexpr double kHorizonSlack = 1e-6;

// The cosine of a direction's zenith angle as the rings judge it, or a
// negative value for a direction behind the view.
[[nodiscard]] inline double onOrAboveHorizon(double ez) { return ez < -kHorizonSlack ? -1.0 : std::max(ez, 0.0); }

class PixelSky {
public:
    struct Pixel {
        double solid; // steradians, 0 past the rim or behind the view
        uint16_t bin; // ring * sectors + sector, or beyond
    };

    PixelSky(const ProjectionRecord& src, const RadialModel& model, const RingLayout& layout)
        : src_(src)
        , frame_(src)
        , table_(sharedRadialTable(model, src.R))
        , radial_(*table_)
        , layout_(layout)
        , invR_(1.0 / src.R)
        , pixelArea_(invR_ * invR_)
        , beyond_(static_cast<uint16_t>(layout.rings() * layout.sectors()))
    {
    }

    [[nodiscard]] double xOf(int column) const { return (column + 0.5 - src_.Cx) * invR_; }
    [[nodiscard]] double yOf(int row) const { return (row + 0.5 - src_.Cy) * invR_; }
    // The column whose centre lies at x, as a fraction.
    [[nodiscard]] double columnAt(double x) const { return x * src_.R + src_.Cx - 0.5; }
    [[nodiscard]] uint16_t beyond() const { return beyond_; }

    // The view-frame direction of the pixel centre at (x, y), and the solid
    // angle per unit of normalised area there.
    struct Direction {
        double ex, ey, ez;
        double density;
    };
    [[nodiscard]] Direction directionAt(double x, double y) const
    {
        const double q = x * x + y * y;
        const RadialTable::Entry e = radial_.at(q);
        // The camera-frame direction with the tilt undone, then the view frame.
        const double u = e.sinOverRho * x, v = e.sinOverRho * y;
        const double dx = frame_.cosRot * u + frame_.sinRot * v, dy = -frame_.sinRot * u + frame_.cosRot * v;
        const double dz = std::sqrt(e.cos2);
        return {frame_.ax[0] * dx + frame_.ax[1] * dy + frame_.ax[2] * dz,
            frame_.ay[0] * dx + frame_.ay[1] * dy + frame_.ay[2] * dz,
            frame_.az[0] * dx + frame_.az[1] * dy + frame_.az[2] * dz, e.density};
    }

    [[nodiscard]] Pixel at(double x, double y) const
    {
        const Direction d = directionAt(x, y);
        const double ez = onOrAboveHorizon(d.ez);
        if (ez < 0.0)
            return {0.0, beyond_}; // more than 90 degrees from the view direction
        const double solid = acrossRim(x * x + y * y) ? rimSolid(x, y) : d.density * pixelArea_;
        return {solid, binOf(layout_.ringOf(ez), RingLayout::pseudoAngle(d.ex, d.ey))};
    }

    // Whether the pixel centred at q = rho^2 may reach past the rim, and
    // the solid angle of its part inside then (RadialTable::rimPixel).
    [[nodiscard]] bool acrossRim(double q) const { return radial_.acrossRim(q); }
    [[nodiscard]] double rimSolid(double x, double y) const { return radial_.rimPixel(x, y).solid; }
    [[nodiscard]] RadialTable::RimPixel rimPixel(double x, double y) const { return radial_.rimPixel(x, y); }

    // The bin of ring (-1 beyond the maximum zenith angle) at azimuth (a
    // pseudo-angle).
    [[nodiscard]] uint16_t binOf(int ring, double azimuth) const
    {
        return ring < 0 ? beyond_ : static_cast<uint16_t>(ring * layout_.sectors() + layout_.sectorAt(azimuth));
    }

    // at(x, y).solid for the pixels [from, to) of the row at height y,
    // written to out as floats; returns their sum.
    double solidRow(int from, int to, double y, float* out) const
    {
        const SolidRowTable table{radial_.densities(), radial_.perUnit(), radial_.end(), pixelArea_};
        return canopy::solidRow(table, from, to, {src_.Cx, invR_, y}, out);
    }

    // Where at(x, y) finds the pixels [from, to) of the row at height y to
    // look (the cosine ez of the zenith angle, the azimuth as a
    // pseudo-angle), and their solid angles as solidRow gives them.
    void directionRow(int from, int to, double y, float* solid, double* ez, double* azimuth) const
    {
        const DirectionRowTable table{radial_.cos2s(), radial_.sinOverRhos(), radial_.densities(), radial_.perUnit(),
            radial_.end(), pixelArea_, frame_.cosRot, frame_.sinRot, frame_.ax, frame_.ay, frame_.az};
        canopy::directionRow(table, from, to, {src_.Cx, invR_, y}, solid, ez, azimuth);
    }

    // The ring of a direction on the camera axis's side at q = rho^2 when
    // the view looks along the camera axis; -1 beyond the maximum.
    [[nodiscard]] int axialRingAt(double q) const { return layout_.ringOf(std::sqrt(radial_.at(q).cos2)); }

    // cos(t) of a direction on the camera axis's side at q = rho^2, which is
    // the cosine of its zenith angle when the view looks along the axis.
    [[nodiscard]] double axialCosAt(double q) const { return std::sqrt(radial_.at(q).cos2); }

    // The largest rho^2 of a pixel centre whose pixel holds part of the circle.
    [[nodiscard]] double reachQ() const { return radial_.reachQ(); }

    [[nodiscard]] const ViewFrame& frame() const { return frame_; }

private:
    ProjectionRecord src_;
    ViewFrame frame_;
    std::shared_ptr<const RadialTable> table_;
    const RadialTable& radial_;
    RingLayout layout_;
    double invR_;
    double pixelArea_;
    uint16_t beyond_;
};

} // namespace karwen::canopy
