// The direction belonging to a normalised image radius, from the program's
// radial model, for the fisheye projections 0..3.
//
// sin_over_r gives sin(t) to about 6e-5 for the fitted projections
// (equisolid, equidistant). That places every direction well inside the
// circle, but near the rim, where sin(t) is close to 1, it leaves cos(t)
// and so the solid angle of the outermost pixels far off (the last half
// per cent of the radius reads 90 degrees). Two Newton steps on the forward
// function r_over_sin, fitted to 6e-7, put t right there; the closed
// rational rows (orthographic, stereographic) need no steps.
#pragma once

#include <cstdint>
#include <vector>

namespace karwen::canopy {

struct ZenithAt {
    double sinOverRho; // sin(t) / rho: scales (x, y) to the sideways part
    double cos;        // cos(t), 0 at the rim
};

// rho in 0..1 (clamped), p a fisheye projection 0..3.
[[nodiscard]] ZenithAt zenithAt(double rho, int32_t p);

// What a source pixel needs of the radial model, tabulated over q = rho^2
// and read by linear interpolation: cos^2(t), sin(t) / rho and the pixel's
// solid angle per unit of normalised area. All three are smooth in q (cos t
// itself is not, at the orthographic rim), so a table of some 16 entries
// per pixel of radius is exact to far below the pixel scale, and a map of
// millions of pixels needs no Newton steps per pixel.
class RadialTable {
public:
    struct Entry {
        double cos2;
        double sinOverRho;
        double density; // steradians per unit normalised area
    };

    // radius: the circle's radius in pixels, which sets the pixel's radial
    // extent 1 / radius that the solid angle is averaged over.
    RadialTable(int32_t p, double radius);

    [[nodiscard]] Entry at(double q) const
    {
        const double x = (q < 0.0 ? 0.0 : (q > 1.0 ? 1.0 : q)) * last_;
        const std::size_t i = x >= last_ ? std::size_t(last_) - 1 : std::size_t(x);
        const double f = x - double(i);
        const Entry& a = entries_[i];
        const Entry& b = entries_[i + 1];
        return {a.cos2 + f * (b.cos2 - a.cos2), a.sinOverRho + f * (b.sinOverRho - a.sinOverRho),
                a.density + f * (b.density - a.density)};
    }

private:
    double last_; // index of the entry at q = 1
    std::vector<Entry> entries_;
};

} // namespace karwen::canopy
