#include "rim_rays.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>

namespace rix {

namespace {

// Ray count around the circle.
constexpr int kRays = 720;
// Rays per sector (10 degrees).
constexpr int kSectorRays = 20;
// Which of a sector's rim radii stands for it (0 innermost, 1 outermost).
constexpr double kSectorQuantile = 0.9;
// Sample spacing along a ray, in cells.
constexpr double kRayStep = 0.5;
// Background cells between the content and the frame that make a rim.
constexpr double kMinGap = 1.5;
// How far the smoothed grid spreads a sharp rim outwards, in cells: the
// content's own level is read inside that.
constexpr double kSpread = 2.0;
// Width of the stretch inside the rim whose median is the content's level,
// in cells. A faint ring of lit converter barrel (50 px at 5 px cells) is
// wider than this, so its own level is read, not the brighter scene's.
constexpr double kLevelWindow = 3.0;
// Smallest step of the threshold above the background, in levels.
constexpr float kMinStep = 2.0f;
// Noise multiples between the surround's level and the threshold.
constexpr float kNoiseMargin = 5.0f;
// Most noise a surround keeps after the grid's averaging, in levels: a
// corner busier than this holds picture content, not a surround.
constexpr float kMaxSurroundNoise = 5.0f;
// Share of the content's contrast between the surround's level and the
// threshold: JPEG ringing outside a bright rim stays below it.
constexpr float kContrastMargin = 0.015f;
// How far faint JPEG ringing reaches beyond a sharp rim, in image pixels:
// subsampled colour spreads over a 16-pixel block, so a coloured disc on
// black leaves traces above the threshold up to about that far out.
constexpr double kRingPixels = 10.0;
// Content this many times brighter (above the surround) within the ringing's
// reach makes what lies outside it ringing, not content.
constexpr float kRingingContrast = 4.0f;

float quantile(std::vector<float> values, double q)
{
    if (values.empty())
        return 0;
    const auto k = std::size_t(q * double(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(k), values.end());
    return values[k];
}

// The level of the content just inside a ray's last content sample and
// where the ray's level falls through halfway between it and the surround.
// The level is the highest within a short stretch inside: where dark
// content lies against the rim and brighter content just inside it, the
// halfway point falls inside the rim, never beyond it.
// Samples from this far inside the last content sample to kRimBeyond beyond.
constexpr auto kRimReach = std::size_t((kSpread + kLevelWindow) / kRayStep);
// Faint content, below the threshold but above the halfway level, may go on
// past the last content sample on the sharp grid: as far as the smoothed
// grid spreads a rim.
constexpr auto kRimBeyond = std::size_t(kSpread / kRayStep);

// Samples the ringing outside a sharp rim may cover on this grid.
std::size_t ringSamples(const LumaGrid& grid)
{
    return std::size_t(std::max(1.0, kRingPixels / grid.block()) / kRayStep);
}

float highest(const std::vector<float>& samples, std::size_t first, std::size_t last)
{
    return *std::max_element(samples.begin() + std::ptrdiff_t(first), samples.begin() + std::ptrdiff_t(last) + 1);
}

// A faint level against much brighter content a ringing's reach further in
// is the ringing of that content's sharp rim: the rim is read from there.
RimCrossing locateRim(
    const std::vector<float>& samples, std::size_t last, std::size_t ring, const SurroundLevels& levels)
{
    std::size_t windowStart = last > kRimReach ? last - kRimReach : 0;
    float level = highest(samples, windowStart, last);
    const std::size_t ringStart = windowStart > ring ? windowStart - ring : 0;
    const float inner = highest(samples, ringStart, last);
    if (inner - levels.background > kRingingContrast * (level - levels.background)) {
        windowStart = ringStart;
        level = inner;
    }
    const float half = levels.background + 0.5f * (level - levels.background);
    std::size_t i = last;
    while (i > windowStart && samples[i] < half)
        --i;
    if (i == last) {
        const std::size_t beyond = std::min(samples.size() - 1, last + kRimBeyond);
        while (i < beyond && samples[i + 1] >= half)
            ++i;
    }
    if (i + 1 >= samples.size())
        return {double(i) * kRayStep, level};
    // Between the two samples the level falls through half at; a level still
    // not falling where the samples end puts the rim there, not at a slope
    // extrapolated far out (or, when flat, to infinity).
    const float drop = samples[i] - samples[i + 1];
    const double t = drop > 0 ? std::clamp(double(samples[i] - half) / double(drop), 0.0, 1.0) : 1.0;
    return {(double(i) + t) * kRayStep, level};
}

} // namespace

std::optional<SurroundLevels> surroundLevels(const LumaGrid& grid)
{
    const int patch = std::max(2, std::min(grid.width(), grid.height()) / 12);
    struct Corner {
        float median, high, noise;
    };
    std::vector<Corner> corners;
    std::vector<float> values, deviations;
    for (const int x0 : {0, grid.width() - patch}) {
        for (const int y0 : {0, grid.height() - patch}) {
            values.clear();
            for (int y = y0; y < y0 + patch; ++y)
                for (int x = x0; x < x0 + patch; ++x)
                    values.push_back(grid.at(x, y));
            const float median = quantile(values, 0.5);
            deviations.clear();
            for (const float v : values)
                deviations.push_back(std::abs(v - median));
            // The median deviation of normal noise is 0.674 sigma.
            corners.push_back({median, quantile(values, 0.75), 1.4826f * quantile(deviations, 0.5)});
        }
    }
    // The darkest corner by its upper quartile: text or specks covering part
    // of a patch make it look noisy rather than dark.
    const Corner darkest = *std::min_element(
        corners.begin(), corners.end(), [](const Corner& a, const Corner& b) { return a.high < b.high; });
    if (darkest.noise > kMaxSurroundNoise)
        return std::nullopt;
    const float content = quantile(grid.cells(), 0.99);
    const float margin
        = std::max({kMinStep, kNoiseMargin * darkest.noise, kContrastMargin * (content - darkest.median)});
    const SurroundLevels levels{darkest.median, darkest.median + margin};
    const auto dark
        = std::count_if(corners.begin(), corners.end(), [&](const Corner& c) { return c.median <= levels.threshold; });
    if (dark < 2)
        return std::nullopt;
    return levels;
}

std::optional<Point> contentCentre(const LumaGrid& grid, float threshold)
{
    std::vector<int> columns(std::size_t(grid.width()), 0), rows(std::size_t(grid.height()), 0);
    for (int y = 0; y < grid.height(); ++y)
        for (int x = 0; x < grid.width(); ++x)
            if (grid.at(x, y) > threshold) {
                ++columns[std::size_t(x)];
                ++rows[std::size_t(y)];
            }
    auto middle = [](const std::vector<int>& profile) -> std::optional<double> {
        const int peak = *std::max_element(profile.begin(), profile.end());
        if (peak == 0)
            return std::nullopt;
        const int minimum = std::max(1, peak / 20);
        const auto first = std::find_if(profile.begin(), profile.end(), [&](int v) { return v >= minimum; });
        const auto last = std::find_if(profile.rbegin(), profile.rend(), [&](int v) { return v >= minimum; });
        return 0.5 * double((first - profile.begin()) + (profile.rend() - last));
    };
    const auto x = middle(columns), y = middle(rows);
    if (!x || !y)
        return std::nullopt;
    return Point{*x, *y};
}

// Along each ray the content ends at the last sample above the threshold
// before a gap of surround wider than a few percent of the image: burnt-in
// text and specks beyond such a gap do not count. Rays that leave the image
// while still in content give no rim: the circle continues beyond the frame.
std::vector<RimCrossing> traceRays(
    const LumaGrid& smoothed, const LumaGrid& sharp, const SurroundLevels& levels, Point centre)
{
    const LumaGrid& grid = smoothed;
    const std::size_t ring = ringSamples(sharp);
    const double gap = std::max(2.0, 0.04 * std::min(grid.width(), grid.height()));
    std::vector<RimCrossing> rays(kRays, RimCrossing{-1.0, 0.0f});
    std::vector<float> samples, sharpSamples;
    for (int k = 0; k < kRays; ++k) {
        const double angle = 2 * std::numbers::pi * k / kRays;
        const double ux = std::cos(angle), uy = std::sin(angle);
        samples.clear();
        std::ptrdiff_t last = -1;
        bool rimFound = false;
        for (;;) {
            const double r = double(samples.size()) * kRayStep;
            const double x = centre.x + r * ux, y = centre.y + r * uy;
            const double sinceContent = r - double(last) * kRayStep;
            if (x < 0 || y < 0 || x >= grid.width() || y >= grid.height()) {
                // A circle close to the frame leaves only a narrow margin.
                rimFound = last >= 0 && sinceContent > kMinGap + kSpread;
                break;
            }
            samples.push_back(grid.sample(x, y));
            if (samples.back() > levels.threshold) {
                last = std::ptrdiff_t(samples.size()) - 1;
            } else if (last >= 0 && sinceContent > gap) {
                rimFound = true;
                break;
            }
        }
        if (!rimFound)
            continue;
        // The sharp grid is read only where locateRim looks.
        sharpSamples.assign(samples.size(), 0.0f);
        const auto end = std::min(samples.size(), std::size_t(last) + 2 + kRimBeyond);
        const std::size_t reach = kRimReach + ring;
        for (std::size_t i = std::size_t(last) > reach ? std::size_t(last) - reach : 0; i < end; ++i)
            sharpSamples[i] = sharp.sample(centre.x + double(i) * kRayStep * ux, centre.y + double(i) * kRayStep * uy);
        rays[std::size_t(k)] = locateRim(sharpSamples, std::size_t(last), ring, levels);
    }
    return rays;
}

// The ray whose rim is at the sector's upper decile stands for the sector:
// dark content hides the rim at many rays while a few reach it, and a stray
// speck at a single ray is passed over. Sectors where most rays leave the
// image give no point.
std::vector<EdgePoint> sectorEdges(const std::vector<RimCrossing>& rays, Point centre, double scale)
{
    std::vector<EdgePoint> points;
    std::vector<int> valid;
    for (int first = 0; first < kRays; first += kSectorRays) {
        valid.clear();
        for (int k = first; k < first + kSectorRays; ++k)
            if (rays[std::size_t(k)].radius >= 0)
                valid.push_back(k);
        if (valid.size() * 2 < kSectorRays)
            continue;
        const auto pick = valid.begin() + std::ptrdiff_t(kSectorQuantile * double(valid.size() - 1));
        std::nth_element(valid.begin(), pick, valid.end(),
            [&](int a, int b) { return rays[std::size_t(a)].radius < rays[std::size_t(b)].radius; });
        const double angle = 2 * std::numbers::pi * *pick / kRays;
        const double r = rays[std::size_t(*pick)].radius;
        points.push_back({(centre.x + r * std::cos(angle)) * scale, (centre.y + r * std::sin(angle)) * scale});
    }
    return points;
}

float discContrast(const LumaGrid& grid, const Circle& circle, const SurroundLevels& levels)
{
    const double scale = grid.block();
    const double cx = circle.cx / scale, cy = circle.cy / scale, r = circle.r / scale;
    std::vector<float> inside;
    const int y0 = std::max(0, int(cy - r)), y1 = std::min(grid.height() - 1, int(cy + r));
    for (int y = y0; y <= y1; ++y) {
        const double dy = y + 0.5 - cy;
        const double halfChord = std::sqrt(std::max(0.0, r * r - dy * dy));
        const int x0 = std::max(0, int(std::ceil(cx - halfChord - 0.5)));
        const int x1 = std::min(grid.width() - 1, int(std::floor(cx + halfChord - 0.5)));
        for (int x = x0; x <= x1; ++x)
            inside.push_back(grid.at(x, y));
    }
    return quantile(std::move(inside), 0.5) - levels.background;
}

std::vector<EdgePoint> rimPoints(const std::vector<RimCrossing>& rays, Point centre, double scale)
{
    std::vector<EdgePoint> points;
    for (std::size_t k = 0; k < rays.size(); ++k) {
        if (rays[k].radius < 0)
            continue;
        const double angle = 2 * std::numbers::pi * double(k) / double(rays.size());
        points.push_back({(centre.x + rays[k].radius * std::cos(angle)) * scale,
            (centre.y + rays[k].radius * std::sin(angle)) * scale});
    }
    return points;
}

std::vector<EdgePoint> pointsOnCircle(const std::vector<EdgePoint>& points, const Circle& circle, double scale)
{
    const double tolerance = std::max(2.0 * scale, 0.01 * circle.r);
    std::vector<EdgePoint> on;
    for (const EdgePoint& p : points)
        if (std::abs(std::hypot(p.x - circle.cx, p.y - circle.cy) - circle.r) <= tolerance)
            on.push_back(p);
    return on;
}

} // namespace rix
