// The steps of finding a fisheye image circle on a LumaGrid: the level of
// the dark surround, a first centre, the rim along rays from that centre,
// and one rim point per sector of rays for the circle fit.
#pragma once

#include "circle_fit.h"
#include "luma_grid.h"

#include <optional>
#include <vector>

namespace rix {

struct SurroundLevels {
    float background; // level of the dark surround
    float threshold;  // cells above it hold content, safely clear of the surround's noise
};

// From the darkest corner of the grid; empty when fewer than two corners
// are dark or the darkest is busy with picture content, so that there is no
// surround to find a disc against.
std::optional<SurroundLevels> surroundLevels(const LumaGrid& grid);

struct Point {
    double x, y;
};

// Centre of the content's extent, in cells: columns and rows that hold a
// fair share of content cells, so that small text or specks do not count.
std::optional<Point> contentCentre(const LumaGrid& grid, float threshold);

// Where one ray leaves the content: radius in cells (negative when the ray
// finds no rim inside the image) and the content's level just inside.
struct RimCrossing {
    double radius;
    float level;
};

// The content is followed on the smoothed grid, whose noise is lowest; the
// rim is placed on the sharp one, where bright content beside a ray does
// not bleed into it.
std::vector<RimCrossing> traceRays(
    const LumaGrid& smoothed, const LumaGrid& sharp, const SurroundLevels& levels, Point centre);

// One rim point per sector of rays, in image pixels (see rim_rays.cpp).
std::vector<EdgePoint> sectorEdges(const std::vector<RimCrossing>& rays, Point centre, double scale);

// How far the disc stands out of the surround: the median level of the
// cells inside `circle` (in image pixels) above the surround's level.
float discContrast(const LumaGrid& grid, const Circle& circle, const SurroundLevels& levels);

// The rim point of every ray that found one, in image pixels.
std::vector<EdgePoint> rimPoints(const std::vector<RimCrossing>& rays, Point centre, double scale);

// The points that lie on `circle` (in image pixels), within two cells or
// 1 % of its radius.
std::vector<EdgePoint> pointsOnCircle(const std::vector<EdgePoint>& points, const Circle& circle, double scale);

} // namespace rix
