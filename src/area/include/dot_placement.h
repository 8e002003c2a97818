// Where the sample dots lie on the destination view. The pattern is fixed in
// image space (rings around the destination circle); only the mapping to the
// view changes with the zoom and the scroll offsets, so the same dot always
// stays on the same image pixel.
#pragma once

#include "area_model.h"
#include "view_mapping.h"

#include <span>

namespace karwen {

// The destination circle in image pixels, y counted up from the bottom.
struct AreaCircle {
    double cx = 0.0;
    double cy = 0.0;
    double r = 0.0;
};

// Fills x[1..1000], y[1..1000] with the view positions of the dots; element
// 0 is left alone. Both spans must hold 1001 elements.
void computeDotPositions(const AreaCircle& circle, const ViewMapping& view, std::span<float, kDotCount + 1> x,
    std::span<float, kDotCount + 1> y);

// The work behind the destination view's set_AreaParamXYD: recomputes
// DotX/DotY from the circle and the view while AreaOn is set, and does
// nothing otherwise. Returns whether the positions were recomputed.
bool positionAreaDots(const AreaCircle& circle, const ViewMapping& view);

} // namespace karwen
