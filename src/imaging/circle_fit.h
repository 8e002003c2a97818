// Fitting a circle to edge points of a fisheye image circle.
#pragma once

#include <optional>
#include <vector>

namespace rix {

struct EdgePoint {
    double x, y;
};

struct Circle {
    double cx, cy, r;
};

// The circle that passes just outside most of the points: a quantile fit
// that puts about `inside` of the points on or within the circle. Points
// hidden inside the true rim (dark content near the edge) pull it inwards
// only weakly, while the few points that reach the rim hold it there. Points
// far outside the first fit are dropped as strays. Empty when the points
// do not determine a circle.
[[nodiscard]] std::optional<Circle> fitEnvelopeCircle(const std::vector<EdgePoint>& points, double inside);

} // namespace rix
