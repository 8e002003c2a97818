// The figures as every writer reports them: the window's table, its export
// and the command line's CSV. Where a ring (or sector) shows no sky, an
// index met the floor exp(-10) and says only how few units the ring had;
// what is reported is the bound instead, and the clumping index, a ratio of
// two bounds, is not reported at all.
#pragma once

#include "dot_figures.h"
#include "pixel_figures.h"

namespace karwen::canopy {

[[nodiscard]] double reportedLe(const PixelFigures& f);
[[nodiscard]] double reportedL(const PixelFigures& f);
// NaN when saturated.
[[nodiscard]] double reportedLx(const PixelFigures& f);
// The dots' le and its interval; needs d.le. When saturated: the bound, a
// lower end no higher than it and no upper end (NaN).
[[nodiscard]] Estimate reportedLe(const DotFigures& d);

} // namespace karwen::canopy
