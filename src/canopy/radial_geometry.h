// The direction belonging to a normalised image radius, from the program's
// radial model, for the fisheye projections 0..3, or from a real lens's
// function.
//
// sin_over_r gives sin(t) to about 6e-5 for the fitted projections
// (equisolid, equidistant). That places every direction well inside the
// circle, but near the rim, where sin(t) is close to 1, it leaves cos(t)
// and so the solid angle of the outermost pixels far off (the last half
// per cent of the radius reads 90 degrees). Two Newton steps on the forward
// function r_over_sin, fitted to 6e-7, put t right there; the closed
// rational rows (orthographic, stereographic) need no steps.
#pragma once

#include "lens_function.h"
#include "rix.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace karwen::canopy {

struct ZenithAt {
    double sinOverRho; // sin(t) / rho: scales (x, y) to the sideways part
    double cos;        // cos(t), 0 at the rim
};

// rho in 0..1 (clamped), p a fisheye projection 0..3.
[[nodiscard]] ZenithAt zenithAt(double rho, int32_t p);

// How a source photo's radius turns into directions: one of the ideal
// projections 0..3, or a real lens (code RixLensSource) with its function.
// Only the hemisphere in front of the camera is measured, so a lens's field
// ends at 90 degrees from its axis even when the lens sees farther.
class RadialModel {
public:
    // The model of projection code proj with lens beside it (nullptr for
    // none). nullopt when the two do not go together: the lens code needs a
    // lens that rix::LensFunction accepts, an ideal code none; why then
    // receives the reason in the user's words.
    [[nodiscard]] static std::optional<RadialModel> of(int32_t proj, const RixLens* lens, std::string* why = nullptr);

    // The direction at rho, clamped to 0..edge().
    [[nodiscard]] ZenithAt at(double rho) const;
    // The other way: the rho of the angle t (radians) from the axis, as the
    // program's model or the lens's function gives it; past edge() for a t
    // beyond the photo's field.
    [[nodiscard]] double rhoAt(double t) const;
    // Where the photo's field ends, in radii: 1 for the ideal projections,
    // rho(90 degrees) for a lens that sees that far, else the rim of its
    // field, rho(half field of view).
    [[nodiscard]] double edge() const { return edge_; }
    // Whether the edge is the rim of the lens's field, beyond which the photo
    // shows nothing of the scene; not so for a lens that sees past 90 degrees.
    [[nodiscard]] bool edgeIsRim() const { return edgeIsRim_; }
    // The direction a pixel centre past the edge looks along: sin(t) = 1 and
    // cos(t) = 0 exactly at 90 degrees, else a hair inside a lens's rim.
    [[nodiscard]] double edgeSin() const { return edgeSin_; }
    [[nodiscard]] double edgeCos() const { return edgeCos_; }

    // The same projection, and for a lens the same coefficients and field.
    [[nodiscard]] bool operator==(const RadialModel& other) const;

private:
    RadialModel(int32_t proj, std::optional<rix::LensFunction> lens);

    int32_t projection_;
    std::optional<rix::LensFunction> lens_;
    double edge_ = 1.0;
    bool edgeIsRim_ = true;
    double edgeSin_ = 1.0, edgeCos_ = 0.0;
};

// Where q falls in a table whose entry i lies at q = i / perUnit, entries 0
// .. end: the entry at or below it (never the last one) and, in f, the
// fraction towards the next; q beyond the ends reads the end entries. An int
// index, so that loops over many pixels run several at a time (a table never
// holds 2^31 entries).
[[nodiscard]] inline int tableSpan(double q, double perUnit, double end, double& f)
{
    const double scaled = q * perUnit;
    const double at = scaled < 0.0 ? 0.0 : (scaled > end ? end : scaled);
    const int i = static_cast<int>(at >= end ? end - 1.0 : at);
    f = at - double(i);
    return i;
}

// A column of such a table read at entry i and fraction f.
[[nodiscard]] inline double tableLerp(const double* column, int i, double f)
{
    return column[i] + f * (column[i + 1] - column[i]);
}

// What a source pixel needs of the radial model, tabulated over q = rho^2
// and read by linear interpolation: cos^2(t), sin(t) / rho and the pixel's
// solid angle per unit of normalised area. All three are smooth in q (cos t
// itself is not, at the orthographic rim), so a table of 32 entries per
// pixel of radius is exact to far below the pixel scale, and a map of
// millions of pixels needs no Newton steps per pixel. (Only the orthographic
// projection's outermost pixels, whose solid angle changes like a square
// root, are read to a few per cent each, which the many pixels along the rim
// average out.) Built for each radial model and radius; sharedRadialTable
// keeps the last few. The solid angle per unit area is sin(t) / (rho
// drho/dt), here averaged over the pixel's radial extent in closed form.
//
// The table reaches half a pixel past the rim (the model's edge): a pixel
// whose radial extent rho +- 1 / (2 radius) straddles the rim counts with
// the solid angle of the part inside, so pixels whose centre lies just
// outside count too. Their direction is the rim's, along the ray through
// their centre. Pixels farther out are off the photo.
class RadialTable {
public:
    struct Entry {
        double cos2;
        double sinOverRho;
        double density; // steradians per unit normalised area
    };

    // radius: the circle's radius in pixels, which sets the pixel's radial
    // extent 1 / radius that the solid angle is averaged over.
    RadialTable(const RadialModel& model, double radius);

    [[nodiscard]] Entry at(double q) const
    {
        double f = 0.0;
        const int i = tableSpan(q, perUnit_, end_, f);
        return {tableLerp(cos2_.data(), i, f), tableLerp(sinOverRho_.data(), i, f), tableLerp(density_.data(), i, f)};
    }

    [[nodiscard]] bool isFor(const RadialModel& model, double radius) const
    {
        return model == model_ && radius == radius_;
    }

    // The columns, entry i at q = i / perUnit(), up to end().
    [[nodiscard]] const double* densities() const { return density_.data(); }
    [[nodiscard]] const double* cos2s() const { return cos2_.data(); }
    [[nodiscard]] const double* sinOverRhos() const { return sinOverRho_.data(); }
    [[nodiscard]] int perUnit() const { return static_cast<int>(perUnit_); }
    [[nodiscard]] int end() const { return static_cast<int>(end_); }
    // The largest q a pixel centre may have and still hold part of the circle.
    [[nodiscard]] double reachQ() const { return reachQ_; }

    // A square pixel across the rim, centred at (x, y) in radii: the solid
    // angle of its part inside the edge, and that part's share of it. The
    // table's annulus counts a pixel as a ring of its width, which across
    // the rim, where the orthographic solid angle per area grows without
    // bound, errs by up to a few per cent a pixel, the same way all along
    // the rim; here the pixel's own profile across the rim (a trapezoid,
    // by its direction) weighs thin annuli.
    struct RimPixel {
        double solid;
        double inside;
    };
    [[nodiscard]] RimPixel rimPixel(double x, double y) const;
    // Whether a pixel centre at q may have part of its square past the
    // edge, where rimPixel, not the table, gives its solid angle.
    [[nodiscard]] bool acrossRim(double q) const { return q > acrossQ_; }

private:
    RadialModel model_;
    double radius_;
    double perUnit_; // index of the entry at q = 1
    double end_;     // index of the last entry, at or past reachQ_ (solid angle 0)
    double reachQ_;
    double acrossQ_; // (edge - half a pixel's diagonal)^2
    double edge_;
    // One column per quantity: the solid angle, read for every pixel of a
    // map, then lies densely in the cache.
    std::vector<double> cos2_, sinOverRho_, density_;
};

// The table for these arguments: one of the last few built when it
// matches, else a new one. Circles found photo by photo often share their
// radius while their centres differ. Safe to call from several threads.
[[nodiscard]] std::shared_ptr<const RadialTable> sharedRadialTable(const RadialModel& model, double radius);

} // namespace karwen::canopy
