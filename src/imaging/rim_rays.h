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

std::vector<RimCrossing> traceRays(const LumaGrid& grid, const SurroundLevels& levels, Point centre);

// One rim point per sector of rays, in image pixels (see rim_rays.cpp).
std::vector<EdgePoint> sectorEdges(const std::vector<RimCrossing>& rays, Point centre, double scale);

// How far the disc stands out of the surround: the median level of the
// cells inside `circle` (in image pixels) above the surround's level.
float discContrast(const LumaGrid& grid, const Circle& circle, const SurroundLevels& levels);

// Share of the rays that found a rim whose rim lies on `circle` (in image
// pixels), within two cells or 1 % of its radius.
double seenShare(const std::vector<RimCrossing>& rays, Point centre, const Circle& circle, double scale);

} // namespace rix
