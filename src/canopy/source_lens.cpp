#include "source_lens.h"

#include "projection_kinds.h"
#include "radial_geometry.h"

#include <algorithm>
#include <iterator>

namespace karwen::canopy {

bool sameLens(const std::optional<RixLens>& a, const std::optional<RixLens>& b)
{
    if (!a || !b)
        return !a && !b;
    return std::equal(std::begin(a->A), std::end(a->A), std::begin(b->A)) && a->HalfFov == b->HalfFov;
}

std::string sourceLensProblem(const ProjectionRecord& src, const RixLens* lens)
{
    std::string why;
    if (isSourceProjection(src.Proj))
        (void)RadialModel::of(src.Proj, lens, &why);
    return why;
}

} // namespace karwen::canopy
