#include "light_cuts.h"

#include <algorithm>
#include <cmath>

namespace karwen::canopy {

namespace {

// How close to a pixel centre, in pixels, a cut may fall without telling
// for certain which side of it the pixel lies on.
constexpr double kNearCentre = 1e-6;

int wrappedSector(int s, int sectors) { return (s % sectors + sectors) % sectors; }

} // namespace

AxialRegionCuts::AxialRegionCuts(const PixelSky& sky, const RegionRule& rule)
    : rule_(rule)
{
    // The q where each ring after the first begins, found by halving on the
    // classification itself, so that the cuts and the pixels agree.
    const double reach = sky.reachQ();
    const auto ringAt = [&](double q) { return rule_.ringOfCos(sky.axialCosAt(q)); };
    for (int k = 1; k < rule_.grid().rings(); ++k) {
        if (ringAt(reach) < k)
            break;
        double lo = 0.0, hi = reach;
        for (int step = 0; step < 60 && ringAt(lo) < k; ++step) {
            const double mid = 0.5 * (lo + hi);
            (ringAt(mid) >= k ? hi : lo) = mid;
        }
        edgeQ_.push_back(ringAt(lo) >= k ? lo : hi);
    }
    // Moving right along a row above the centre the photo azimuth falls, below
    // it it rises; mirroring turns the true azimuth the other way.
    const bool mirrored = rule_.orientation().mirrored;
    const int sectors = rule_.grid().sectors();
    for (int s = 0; s < sectors; ++s) {
        const double phi = rule_.sectorEdge(s) / kRadToDegree;
        const double c = std::cos(phi), sn = std::sin(phi);
        if (std::abs(sn) < 1e-12)
            continue; // along the rows: the centre's column handles it
        const bool up = sn > 0.0;
        (up ? upRays_ : downRays_).push_back({c / sn, wrappedSector(up != mirrored ? s - 1 : s, sectors)});
    }
    // Along a row, x = y run: ascending run above the centre, descending below.
    std::ranges::sort(upRays_, {}, &Ray::run);
    std::ranges::sort(downRays_, std::ranges::greater{}, &Ray::run);
}

int AxialRegionCuts::ringAtQ(double q) const
{
    return static_cast<int>(std::upper_bound(edgeQ_.begin(), edgeQ_.end(), q) - edgeQ_.begin());
}

int AxialRegionCuts::regionAt(double x, double y) const
{
    const int ring = ringAtQ(x * x + y * y);
    const int sector = rule_.sectorOfPhoto(std::atan2(y, x) * kRadToDegree);
    return ring * rule_.grid().sectors() + sector;
}

void AxialRegionCuts::runsOf(const PixelSky& sky, const SkyMap::Row& row, std::vector<RegionRun>& runs)
{
    runs.clear();
    const double y = sky.yOf(row.y);
    // The ring cuts lie in order left of the centre's column and right of
    // it, the rays' in the order they were sorted in: one merge orders all.
    ringCuts_.clear();
    const std::size_t crossed
        = static_cast<std::size_t>(edgeQ_.end() - std::upper_bound(edgeQ_.begin(), edgeQ_.end(), y * y));
    const std::size_t first = edgeQ_.size() - crossed;
    for (std::size_t j = edgeQ_.size(); j-- > first;)
        ringCuts_.push_back({sky.columnAt(-std::sqrt(edgeQ_[j] - y * y)), int(j), -1, false});
    ringCuts_.push_back({sky.columnAt(0.0), -1, -1, true});
    for (std::size_t j = first; j < edgeQ_.size(); ++j)
        ringCuts_.push_back({sky.columnAt(std::sqrt(edgeQ_[j] - y * y)), int(j) + 1, -1, false});
    rayCuts_.clear();
    if (y != 0.0)
        for (const Ray& ray : y > 0.0 ? upRays_ : downRays_)
            rayCuts_.push_back({sky.columnAt(y * ray.run), -1, ray.sector, false});
    cuts_.resize(ringCuts_.size() + rayCuts_.size());
    std::ranges::merge(ringCuts_, rayCuts_, cuts_.begin(), {}, &Cut::column, &Cut::column);

    const int sectors = rule_.grid().sectors();
    const auto exact = [&](int column) { return regionAt(sky.xOf(column), y); };
    int at = row.x0; // the first pixel not yet in a run
    int region = exact(at);
    const auto emit = [&](int to, int r) {
        to = std::min(to, row.x1);
        if (to <= at)
            return;
        if (!runs.empty() && runs.back().region == r)
            runs.back().to = to;
        else
            runs.push_back({at, to, r});
        at = to;
    };
    for (const Cut& cut : cuts_) {
        if (at >= row.x1)
            break;
        if (cut.column <= row.x0 - kNearCentre)
            continue; // the first pixel's own class holds it
        const double nearest = std::round(cut.column);
        if (std::abs(cut.column - nearest) < kNearCentre && nearest >= at) {
            // The cut runs through a pixel centre: that pixel on its own.
            const int m = static_cast<int>(nearest);
            emit(m, region);
            if (m < row.x1)
                emit(m + 1, exact(m));
        } else {
            emit(static_cast<int>(std::floor(cut.column)) + 1, region);
        }
        if (cut.centre) {
            if (at < row.x1)
                region = exact(at);
            continue;
        }
        int ring = region / sectors, sector = region % sectors;
        if (cut.ring >= 0)
            ring = cut.ring;
        if (cut.sector >= 0)
            sector = cut.sector;
        region = ring * sectors + sector;
    }
    emit(row.x1, region);
}

} // namespace karwen::canopy
