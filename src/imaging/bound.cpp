// Finding the fisheye image circle: the bounding box of the picture content
// against its dark surround.
//
// Principle of operation:
// 1. Reduce the image to a grid of block means of max(R, G, B), at most about
//    512 blocks on the longer side; averaging removes JPEG noise.
// 2. The darkest corner patch gives the background level and its noise; the
//    content threshold lies a little above it. When no corner is dark, or
//    the image has no contrast at all, the whole image is the content.
// 3. From a centre inside the content, rays run outwards; along each, the
//    edge is the last content sample before a gap of background wider than a
//    few percent of the image (burnt-in text and specks beyond such a gap do
//    not count). Rays that leave the image while still in content give no
//    edge: the circle continues beyond the frame.
// 4. A circle is fitted to the edge points so that most of them lie just
//    inside it: dark canopy near the rim hides the edge at many angles, and
//    the few angles where content reaches the rim hold the circle there.
// 5. The result is the box of that circle, clamped to the image.
#include "operations.h"

#include "circle_fit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <optional>
#include <vector>

namespace rix {

namespace {

// Grid cells on the longer side; the block size follows from it.
constexpr int kGridCells = 512;
// Ray count around the circle.
constexpr int kRays = 720;
// Background cells between the content and the frame that make an edge.
constexpr double kMinGap = 1.5;
// Sample spacing along a ray, in grid cells.
constexpr double kRayStep = 0.5;
// How far JPEG ringing reaches beyond a sharp edge, in image pixels.
constexpr double kRingPixels = 10.0;
// Rays per sector (10 degrees).
constexpr int kSectorRays = 20;
// Share of edge points the fitted circle should enclose.
constexpr double kEnclosed = 0.85;
// Which of a sector's edges stands for it (0 innermost, 1 outermost).
constexpr double kSectorQuantile = 0.9;
// Content threshold above the background, as a share of the content's
// contrast against the background.
constexpr float kEdgeContrast = 0.015f;
// Below this difference between content and background there is no circle.
constexpr float kMinContrast = 8.0f;
// A circle smaller than this share of the image's shorter side is no image
// circle but a speck or a lamp.
constexpr double kMinRadiusShare = 0.05;

class LumaGrid {
public:
    explicit LumaGrid(const Image& image)
        : block_(std::max(1, (std::max(image.width(), image.height()) + kGridCells - 1) / kGridCells))
        , w_((image.width() + block_ - 1) / block_)
        , h_((image.height() + block_ - 1) / block_)
        , cells_(std::size_t(w_) * std::size_t(h_), 0.0f)
    {
        // Each grid row's column sums first, then the cells from them: every
        // pixel costs a max and an addition, both done many at a time.
        const int32_t width = image.width();
        std::vector<uint32_t> columnSums(std::size_t(width), 0);
        for (int gy = 0; gy < h_; ++gy) {
            std::fill(columnSums.begin(), columnSums.end(), 0u);
            const int y0 = gy * block_;
            const int y1 = std::min(image.height(), y0 + block_);
            for (int y = y0; y < y1; ++y) {
                const uint32_t* src = image.row(y);
                uint32_t* sums = columnSums.data();
                for (int32_t x = 0; x < width; ++x) {
                    const uint32_t p = src[x];
                    sums[x] += std::max(std::max((p >> 16) & 0xffu, (p >> 8) & 0xffu), p & 0xffu);
                }
            }
            for (int gx = 0; gx < w_; ++gx) {
                const int x0 = gx * block_;
                const int x1 = std::min(width, x0 + block_);
                uint32_t sum = 0;
                for (int x = x0; x < x1; ++x)
                    sum += columnSums[std::size_t(x)];
                cells_[std::size_t(gy) * w_ + gx] = float(sum) / float((x1 - x0) * (y1 - y0));
            }
        }
    }

    int block() const { return block_; }
    int width() const { return w_; }
    int height() const { return h_; }
    float at(int x, int y) const { return cells_[std::size_t(y) * w_ + x]; }
    const std::vector<float>& cells() const { return cells_; }

private:
    int block_;
    int w_, h_;
    std::vector<float> cells_;
};

float quantile(std::vector<float> values, double q)
{
    if (values.empty())
        return 0;
    const auto k = std::size_t(q * double(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(k), values.end());
    return values[k];
}

struct Levels {
    float background;
    float threshold;
    int darkCorners;
};

Levels estimateLevels(const LumaGrid& grid)
{
    const int patch = std::max(2, std::min(grid.width(), grid.height()) / 12);
    struct Corner {
        float median, high;
    };
    std::vector<Corner> corners;
    for (const int x0 : {0, grid.width() - patch}) {
        for (const int y0 : {0, grid.height() - patch}) {
            std::vector<float> values;
            values.reserve(std::size_t(patch) * patch);
            for (int y = y0; y < y0 + patch; ++y)
                for (int x = x0; x < x0 + patch; ++x)
                    values.push_back(grid.at(x, y));
            corners.push_back({quantile(values, 0.5), quantile(values, 0.75)});
        }
    }
    // The darkest corner by its upper quartile: text or specks covering part
    // of a patch make it look noisy rather than dark.
    const Corner darkest = *std::min_element(corners.begin(), corners.end(),
                                             [](const Corner& a, const Corner& b) { return a.high < b.high; });
    const float content = quantile(grid.cells(), 0.99);
    const float sigma = 1.5f * (darkest.high - darkest.median);
    const float margin = std::max({1.5f, 3.0f * sigma, kEdgeContrast * (content - darkest.median)});
    Levels levels{darkest.median, darkest.median + margin, 0};
    // Corners of the surround are as dark as the darkest one.
    for (const Corner& c : corners)
        levels.darkCorners += c.median <= levels.threshold ? 1 : 0;
    if (content - darkest.median < kMinContrast)
        levels.darkCorners = 0;
    return levels;
}

// Centre of the content's extent: columns and rows that hold a fair share
// of content cells, so that small text or specks in the corners do not count.
bool contentCentre(const LumaGrid& grid, float threshold, double& cx, double& cy)
{
    std::vector<int> columns(std::size_t(grid.width()), 0), rows(std::size_t(grid.height()), 0);
    for (int y = 0; y < grid.height(); ++y)
        for (int x = 0; x < grid.width(); ++x)
            if (grid.at(x, y) > threshold) {
                ++columns[std::size_t(x)];
                ++rows[std::size_t(y)];
            }
    auto extent = [](const std::vector<int>& profile, double& centre) {
        const int peak = *std::max_element(profile.begin(), profile.end());
        if (peak == 0)
            return false;
        const int minimum = std::max(1, peak / 20);
        const auto first = std::find_if(profile.begin(), profile.end(), [&](int v) { return v >= minimum; });
        const auto last = std::find_if(profile.rbegin(), profile.rend(), [&](int v) { return v >= minimum; });
        centre = 0.5 * double((first - profile.begin()) + (profile.rend() - last));
        return true;
    };
    return extent(columns, cx) && extent(rows, cy);
}

// Where a ray's content ends, given its samples (step apart) and the index
// of the last sample above the threshold. A sharp edge against bright
// content is moved in past the faint ringing that JPEG leaves outside it, to
// where the level falls below a fifth of the content's; a dim rim keeps its
// last faint sample.
double refinedEdge(const std::vector<float>& samples, std::size_t last, const Levels& levels, double ring)
{
    const auto ringSamples = std::size_t(std::ceil(ring / kRayStep));
    const std::size_t near = last > ringSamples ? last - ringSamples : 0;
    const std::size_t far = last > 3 * ringSamples ? last - 3 * ringSamples : 0;
    const float local = *std::max_element(samples.begin() + std::ptrdiff_t(far),
                                          samples.begin() + std::ptrdiff_t(last) + 1);
    const float edgeLevel = levels.background + 0.2f * (local - levels.background);
    std::size_t edge = last;
    if (edgeLevel > levels.threshold) {
        while (edge > near && samples[edge] <= edgeLevel)
            --edge;
        if (samples[edge] <= edgeLevel)
            edge = last;
    }
    return (double(edge) + 0.5) * kRayStep;
}

// Distance along each ray from (cx, cy) to the content's edge, in grid
// cells; negative where the ray finds no edge inside the image.
std::vector<double> traceRays(const LumaGrid& grid, const Levels& levels, double cx, double cy)
{
    const double gap = std::max(2.0, 0.04 * std::min(grid.width(), grid.height()));
    const double ring = std::max(1.0, kRingPixels / grid.block());
    std::vector<double> radii(kRays, -1.0);
    std::vector<float> samples;
    for (int k = 0; k < kRays; ++k) {
        const double angle = 2 * std::numbers::pi * k / kRays;
        const double ux = std::cos(angle), uy = std::sin(angle);
        samples.clear();
        std::ptrdiff_t last = -1;
        bool edgeFound = false;
        for (;;) {
            const double r = double(samples.size()) * kRayStep;
            const double x = cx + r * ux, y = cy + r * uy;
            if (x < 0 || y < 0 || x >= grid.width() || y >= grid.height()) {
                // A circle close to the frame leaves only a narrow margin;
                // content that runs into the frame gives no edge.
                edgeFound = last >= 0 && r - double(last) * kRayStep > kMinGap;
                break;
            }
            samples.push_back(grid.at(int(x), int(y)));
            if (samples.back() > levels.threshold) {
                last = std::ptrdiff_t(samples.size()) - 1;
            } else if (last >= 0 && r - double(last) * kRayStep > gap) {
                edgeFound = true;
                break;
            }
        }
        if (edgeFound)
            radii[k] = refinedEdge(samples, std::size_t(last), levels, ring);
    }
    return radii;
}

// One edge point per sector of rays, in image pixels: the ray whose edge is
// at the sector's upper decile. Within a sector, dark content hides the rim
// at many rays while a few reach it; a stray speck at a single ray is passed
// over. Sectors where most rays leave the image give no point.
std::vector<EdgePoint> sectorEdges(const std::vector<double>& radii, double cx, double cy, double scale)
{
    std::vector<EdgePoint> points;
    std::vector<int> valid;
    for (int first = 0; first < kRays; first += kSectorRays) {
        valid.clear();
        for (int k = first; k < first + kSectorRays; ++k)
            if (radii[k] >= 0)
                valid.push_back(k);
        if (valid.size() * 2 < kSectorRays)
            continue;
        const auto pick = valid.begin() + std::ptrdiff_t(kSectorQuantile * double(valid.size() - 1));
        std::nth_element(valid.begin(), pick, valid.end(),
                         [&](int a, int b) { return radii[a] < radii[b]; });
        const double angle = 2 * std::numbers::pi * *pick / kRays;
        const double r = radii[*pick];
        points.push_back({(cx + r * std::cos(angle)) * scale, (cy + r * std::sin(angle)) * scale});
    }
    return points;
}

} // namespace

RixCircle findCircle(const Image& image)
{
    RixCircle none{0, 0, 0, 0};
    const LumaGrid grid(image);
    if (std::min(grid.width(), grid.height()) < 8)
        return none;
    const Levels levels = estimateLevels(grid);
    if (levels.darkCorners < 2)
        return none;
    double cx = 0, cy = 0;
    if (!contentCentre(grid, levels.threshold, cx, cy))
        return none;
    // A second pass traces from the first circle's centre, which sees the
    // rim at a steadier angle than the centre of the content's extent.
    std::optional<Circle> circle;
    for (int pass = 0; pass < 2; ++pass) {
        const auto edges = sectorEdges(traceRays(grid, levels, cx, cy), cx, cy, grid.block());
        if (edges.size() < 6)
            break;
        const auto fitted = fitEnvelopeCircle(edges, kEnclosed);
        if (!fitted)
            break;
        circle = fitted;
        cx = circle->cx / grid.block();
        cy = circle->cy / grid.block();
        if (cx < 0 || cy < 0 || cx >= grid.width() || cy >= grid.height())
            break;
    }
    if (!circle)
        return none;
    const double shorter = std::min(image.width(), image.height());
    const bool confident = circle->r >= kMinRadiusShare * shorter;
    return {circle->cx, circle->cy, circle->r, confident ? 1 : 0};
}

RixRect findBound(const Image& image)
{
    const RixRect whole{0, 0, image.width(), image.height()};
    const RixCircle circle = findCircle(image);
    if (circle.R <= 0)
        return whole;
    auto clamp = [](double v, int32_t hi) {
        return int32_t(std::clamp(std::nearbyint(v), 0.0, double(hi)));
    };
    const RixRect box{clamp(circle.Cx - circle.R, image.width()), clamp(circle.Cy - circle.R, image.height()),
                      clamp(circle.Cx + circle.R, image.width()), clamp(circle.Cy + circle.R, image.height())};
    if (box.Right <= box.Left || box.Bottom <= box.Top)
        return whole;
    return box;
}

} // namespace rix
