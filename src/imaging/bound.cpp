// Finding the fisheye image circle against its dark surround.
//
// Principle of operation:
// 1. Reduce the image to a grid of block means of max(R, G, B), 512 blocks
//    on the longer side (or one per pixel in a smaller image), and smooth it
//    once more over 3 x 3 blocks: averaging removes sensor and JPEG noise.
// 2. The darkest corner gives the surround's level and noise; content lies
//    clear of that noise above it. When no corner is dark there is no
//    surround and so no circle.
// 3. From a centre inside the content, rays run outwards. Along each, the
//    content ends before a wide gap of surround; the rim is where the level
//    of the unsmoothed grid falls through halfway between the content just
//    inside and the surround.
// 4. A circle is fitted to one rim point per sector so that most of them lie
//    just inside it: dark canopy near the rim hides the edge at many angles,
//    and the few angles where content reaches the rim hold the circle there.
//    The fit is repeated from the fitted centre, which sees the rim at a
//    steadier angle than the centre of the content's extent.
// 5. The circle is trusted when the disc stands out of the surround, its rim
//    is seen along a fair share of the rays, and it is not a mere speck.
#include "operations.h"

#include "circle_fit.h"
#include "luma_grid.h"
#include "rim_rays.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <optional>
#include <vector>

namespace rix {

namespace {

// Grid cells on the longer side; the block size follows from it.
constexpr int kGridCells = 512;
// Share of rim points the fitted circle should enclose.
constexpr double kEnclosed = 0.85;
// Fits from successive centres at most.
constexpr int kPasses = 2;
// Below this difference between the disc's median level and the surround
// there is no circle.
constexpr float kMinContrast = 8.0f;
// A circle smaller than this share of the image's shorter side is no image
// circle but a speck or a lamp.
constexpr double kMinRadiusShare = 0.05;
// Share of the rays that find a rim whose rim lies on the circle. Below it
// the content fades into the surround at most angles (canopy black up to
// the horizon), so the circle is the content's extent, not a seen rim.
constexpr double kMinSeenShare = 0.17;

} // namespace

RixCircle findCircle(const Image& image)
{
    const RixCircle none{0, 0, 0, 0};
    const LumaGrid sharp(image, kGridCells);
    const LumaGrid grid = sharp.smoothed();
    if (std::min(grid.width(), grid.height()) < 8)
        return none;
    const auto levels = surroundLevels(grid);
    if (!levels)
        return none;
    auto centre = contentCentre(grid, levels->threshold);
    if (!centre)
        return none;
    const double scale = grid.block();
    std::optional<Circle> circle;
    std::vector<RimCrossing> rays;
    Point raysFrom{};
    for (int pass = 0; pass < kPasses; ++pass) {
        auto traced = traceRays(grid, sharp, *levels, *centre);
        const auto fitted = fitEnvelopeCircle(sectorEdges(traced, *centre, scale), kEnclosed);
        if (!fitted)
            break;
        circle = fitted;
        rays = std::move(traced);
        raysFrom = *centre;
        const Point next{circle->cx / scale, circle->cy / scale};
        // An image circle's centre lies on the picture; a "circle" fitted
        // to a straight edge or a gradient does not.
        if (next.x < 0 || next.y < 0 || next.x >= grid.width() || next.y >= grid.height())
            return none;
        const bool settled = std::hypot(next.x - centre->x, next.y - centre->y) < 0.1;
        centre = next;
        if (settled)
            break;
    }
    if (!circle || discContrast(grid, *circle, *levels) < kMinContrast)
        return none;
    const auto points = rimPoints(rays, raysFrom, scale);
    const auto seen = pointsOnCircle(points, *circle, scale);
    const double shorter = std::min(image.width(), image.height());
    const bool confident
        = circle->r >= kMinRadiusShare * shorter && double(seen.size()) >= kMinSeenShare * double(points.size());
    return {circle->cx, circle->cy, circle->r, confident ? 1 : 0};
}

RixRect circleBound(const RixCircle& circle, int32_t width, int32_t height)
{
    const RixRect whole{0, 0, width, height};
    if (circle.R <= 0)
        return whole;
    auto clamp = [](double v, int32_t hi) { return int32_t(std::clamp(std::nearbyint(v), 0.0, double(hi))); };
    const RixRect box{clamp(circle.Cx - circle.R, width), clamp(circle.Cy - circle.R, height),
        clamp(circle.Cx + circle.R, width), clamp(circle.Cy + circle.R, height)};
    if (box.Right <= box.Left || box.Bottom <= box.Top)
        return whole;
    return box;
}

RixRect findBound(const Image& image) { return circleBound(findCircle(image), image.width(), image.height()); }

} // namespace rix
