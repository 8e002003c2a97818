#include "reported_figures.h"

#include <algorithm>
#include <limits>

namespace karwen::canopy {

namespace {

double boundOr(const std::optional<FloorBound>& bound, double value) { return bound ? bound->atLeast : value; }

} // namespace

double reportedLe(const PixelFigures& f) { return boundOr(f.leBound, f.le); }

double reportedL(const PixelFigures& f) { return boundOr(f.lBound, f.l); }

double reportedLx(const PixelFigures& f) { return f.saturated ? std::numeric_limits<double>::quiet_NaN() : f.lx; }

Estimate reportedLe(const DotFigures& d)
{
    if (!d.leBound)
        return *d.le;
    const double bound = d.leBound->atLeast;
    return {bound, std::min(d.le->lo, bound), std::numeric_limits<double>::quiet_NaN()};
}

} // namespace karwen::canopy
