#include "light_regions.h"

#include "last_built.h"
#include "light_cuts.h"
#include "light_shown.h"
#include "pixel_sky.h"
#include "region_rows.h"
#include "region_rule.h"
#include "rim_reading.h"
#include "sky_map.h"

#include <algorithm>

namespace karwen::canopy {

namespace {

constexpr uint16_t kNoRegion = 0xffff;

// The per-pixel regions of a view off the camera axis, where a pixel's
// region follows from its own direction alone: worked out pixel by pixel
// once per map, grid and orientation, and kept as the last one.
class GeneralRegions {
public:
    GeneralRegions(std::shared_ptr<const SkyMap> map, const PixelSky& sky, const RegionRule& rule)
        : map_(std::move(map))
        , rule_(rule)
        , region_(map_->bins().size(), kNoRegion)
    {
        const std::span<const float> weights = map_->weights();
        for (const SkyMap::Row& row : map_->rows()) {
            const double y = sky.yOf(row.y);
            for (int i = row.x0; i < row.x1; ++i) {
                const std::size_t at = row.first + std::size_t(i - row.x0);
                if (weights[row.firstWeight + std::size_t(i - row.x0)] > 0.0f)
                    region_[at] = static_cast<uint16_t>(rule_.ofDirection(sky.directionAt(sky.xOf(i), y)));
            }
        }
    }

    [[nodiscard]] bool isFor(const SkyMap& map, const RegionRule& rule) const
    {
        return map_.get() == &map && rule_ == rule;
    }
    [[nodiscard]] const uint16_t* regions() const { return region_.data(); }

private:
    std::shared_ptr<const SkyMap> map_;
    RegionRule rule_;
    std::vector<uint16_t> region_;
};

std::shared_ptr<const GeneralRegions> sharedGeneralRegions(
    const std::shared_ptr<const SkyMap>& map, const PixelSky& sky, const RegionRule& rule)
{
    static LastBuilt<GeneralRegions> last;
    return last.get([&](const GeneralRegions& kept) { return kept.isFor(*map, rule); },
        [&] { return std::make_shared<const GeneralRegions>(map, sky, rule); });
}

struct RegionSums {
    std::vector<double> all, gap; // solid angle of each region's pixels, and of those counted as sky
};

// The pixels across the rim as RimReading reads them, where that differs
// from how the table reads them: each rim pixel's class then, in the map's
// order.
class RimClasses {
public:
    RimClasses(const PixelView& view, const SkyMap& map, const SkyTable& table, int threshold)
        : map_(map)
        , view_(view)
        , table_(table)
    {
        const RimReading rim(view, map, table.values());
        if (!rim.appliesAt(threshold))
            return;
        for (const uint8_t v : rim.values(true))
            sky_.push_back(v > threshold ? 1.0 : 0.0);
    }

    // What the rim pixels of row r add to the gap sums beyond what the
    // table gave them, with regionOf(x) the region of column x.
    template <typename RegionOf> void correctRow(uint32_t r, RegionOf regionOf, RegionSums& sums)
    {
        const std::span<const SkyMap::RimPixel> rim = map_.rimPixels();
        if (sky_.empty())
            return;
        while (next_ < rim.size() && rim[next_].row == r) {
            const SkyMap::RimPixel& p = rim[next_];
            const SkyMap::Row& row = map_.rows()[r];
            const double change = sky_[next_] - table_.of(view_.row(row.y)[p.x]);
            if (change != 0.0) {
                const int region = regionOf(p.x);
                if (region >= 0)
                    sums.gap[std::size_t(region)] += change * double(p.weight);
            }
            ++next_;
        }
    }

private:
    const SkyMap& map_;
    const PixelView& view_;
    const SkyTable& table_;
    std::vector<double> sky_;
    std::size_t next_ = 0;
};

void sumGeneral(const PixelView& view, const SkyMap& map, const uint16_t* regions, const SkyTable& sky, RimClasses& rim,
    RegionSums& sums)
{
    const float* weights = map.weights().data();
    for (const SkyMap::Row& row : map.rows()) {
        rim.correctRow(
            static_cast<uint32_t>(&row - map.rows().data()),
            [&](int x) {
                const uint16_t region = regions[row.first + std::size_t(x - row.x0)];
                return region == kNoRegion ? -1 : int(region);
            },
            sums);
        const uint32_t* px = view.row(row.y) + row.x0;
        const float* w = weights + row.firstWeight;
        const uint16_t* r = regions + row.first;
        for (int i = 0; i < row.x1 - row.x0; ++i) {
            if (r[i] == kNoRegion)
                continue;
            sums.all[r[i]] += w[i];
            sums.gap[r[i]] += sky.of(px[i]) * double(w[i]);
        }
    }
}

void sumAxial(const PixelView& view, const SkyMap& map, const PixelSky& sky, AxialRegionCuts cuts,
    const SkyTable& table, RimClasses& rim, RegionSums& sums)
{
    const float* weights = map.weights().data();
    std::vector<RegionRun> runs;
    for (const SkyMap::Row& row : map.rows()) {
        cuts.runsOf(sky, row, runs);
        rim.correctRow(
            static_cast<uint32_t>(&row - map.rows().data()),
            [&](int x) {
                for (const RegionRun& run : runs)
                    if (x >= run.from && x < run.to)
                        return run.region;
                return -1;
            },
            sums);
        const uint32_t* px = view.row(row.y);
        const float* w = weights + row.firstWeight - std::size_t(row.x0);
        for (const RegionRun& run : runs) {
            const RunSums s = table.sumRun(px + run.from, w + run.from, run.to - run.from);
            sums.all[std::size_t(run.region)] += s.all;
            sums.gap[std::size_t(run.region)] += s.gap;
        }
    }
}

} // namespace

RegionGaps measureRegionGaps(const PixelView& view, const ProjectionRecord& src, const RixLens* lens,
    const CanopySettings& settings, int threshold, const light::SkyGrid& grid, const SkyOrientation& orientation)
{
    const std::optional<RadialModel> model = RadialModel::of(src.Proj, lens);
    const auto regions = static_cast<std::size_t>(grid.regions());
    RegionGaps out{std::vector<double>(regions, 0.0), std::vector<double>(regions, 0.0)};
    if (!model || !isValid(view) || !isUsableSource(src))
        return out;

    const RingLayout layout = RingLayout::of(settings);
    const auto map = sharedSkyMap(src, *model, view.width, view.height, layout);
    const PixelSky sky(src, *model, layout);
    const RegionRule rule(grid, orientation, sky.frame());
    const SkyTable table(settings, threshold);
    RegionSums sums{std::vector<double>(regions, 0.0), std::vector<double>(regions, 0.0)};
    RimClasses rim(view, *map, table, threshold);
    if (src.Alpha == 0.0 && src.Beta == 0.0)
        sumAxial(view, *map, sky, AxialRegionCuts(sky, rule), table, rim, sums);
    else
        sumGeneral(view, *map, sharedGeneralRegions(map, sky, rule)->regions(), table, rim, sums);

    const std::shared_ptr<const std::vector<double>> shown
        = sharedShownShares(src, *model, view.width, view.height, grid, orientation);
    for (std::size_t k = 0; k < regions; ++k) {
        out.shown[k] = (*shown)[k];
        if (sums.all[k] > 0.0) {
            // The rim's corrections may leave a hair below 0 or above all.
            out.gap[k] = std::clamp(sums.gap[k] / sums.all[k], 0.0, 1.0) * out.shown[k];
        } else if (out.shown[k] > 0.0) {
            // Too small to hold a pixel centre: the pixel under its centre.
            const RegionCentre c = rule.centreOf(int(k));
            const std::optional<ImagePoint> p = pointOnPhoto(src, *model, c.zenithDeg, c.photoAzimuthDeg);
            if (p && p->x >= 0.0 && p->y >= 0.0 && p->x < view.width && p->y < view.height)
                out.gap[k] = table.of(view.row(int(p->y))[int(p->x)]) * out.shown[k];
        }
    }
    return out;
}

std::optional<ImagePoint> imagePointOf(
    const ProjectionRecord& src, const RixLens* lens, double zenithDeg, double photoAzimuthDeg)
{
    const std::optional<RadialModel> model = RadialModel::of(src.Proj, lens);
    if (!model || !isUsableSource(src))
        return std::nullopt;
    return pointOnPhoto(src, *model, zenithDeg, photoAzimuthDeg);
}

} // namespace karwen::canopy
