#include "sky_map.h"

#include "radial_geometry.h"
#include "view_direction.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <numbers>

namespace karwen::canopy {

namespace {

bool sameRecord(const ProjectionRecord& a, const ProjectionRecord& b)
{
    return a.Cx == b.Cx && a.Cy == b.Cy && a.R == b.R && a.Alpha == b.Alpha && a.Beta == b.Beta && a.Rot == b.Rot
        && a.Proj == b.Proj;
}

} // namespace

bool isUsableSource(const ProjectionRecord& src)
{
    const double fields[] = {src.Cx, src.Cy, src.R, src.Alpha, src.Beta, src.Rot};
    for (const double f : fields)
        if (!std::isfinite(f))
            return false;
    // K0 of every fisheye projection is 1; 0 means start-up has not filled
    // the coefficient tables yet.
    return src.R > 0.0 && src.Proj >= 0 && src.Proj <= 3 && CoefA[0][src.Proj] == 1.0f
        && CoefB[0][src.Proj] == 1.0f;
}

SkyMap::SkyMap(const ProjectionRecord& src, int width, int height, const RingLayout& layout)
    : src_(src), width_(width), height_(height), layout_(layout),
      binSolidAngle_(static_cast<std::size_t>(binCount()), 0.0)
{
    const double invR = 1.0 / src.R;
    // The columns of each row whose centres may lie inside the circle.
    std::size_t count = 0;
    for (int j = 0; j < height; ++j) {
        const double y = (j + 0.5 - src.Cy) * invR;
        const double rest = 1.0 - y * y;
        if (rest < 0.0)
            continue;
        const double reach = std::sqrt(rest) * src.R;
        const double first = std::ceil(src.Cx - reach - 0.5), end = std::floor(src.Cx + reach - 0.5) + 1.0;
        const int x0 = static_cast<int>(std::clamp(first, 0.0, double(width)));
        const int x1 = static_cast<int>(std::clamp(end, double(x0), double(width)));
        if (x1 <= x0)
            continue;
        rows_.push_back({j, x0, x1, count});
        count += static_cast<std::size_t>(x1 - x0);
    }
    weights_.resize(count);
    bins_.resize(count);

    const ViewFrame frame(src);
    const RadialTable radial(src.Proj, src.R);
    const double pixelArea = invR * invR;
    const auto beyond = static_cast<uint16_t>(beyondBin());
    // Neighbouring pixels mostly share a bin; summing runs apart keeps the
    // additions from waiting on each other.
    uint16_t runBin = beyond;
    double runSum = 0.0;
    for (const Row& row : rows_) {
        const double y = (row.y + 0.5 - src.Cy) * invR;
        float* weight = weights_.data() + row.first;
        uint16_t* bin = bins_.data() + row.first;
        for (int i = row.x0; i < row.x1; ++i, ++weight, ++bin) {
            const double x = (i + 0.5 - src.Cx) * invR;
            const double q = x * x + y * y;
            *weight = 0.0f;
            *bin = beyond;
            if (q > 1.0)
                continue; // the row's ends, off by rounding
            const RadialTable::Entry at = radial.at(q);
            const double u = at.sinOverRho * x, v = at.sinOverRho * y;
            const double dx = frame.cosRot * u + frame.sinRot * v, dy = -frame.sinRot * u + frame.cosRot * v;
            const double dz = std::sqrt(at.cos2);
            const double ez = frame.az[0] * dx + frame.az[1] * dy + frame.az[2] * dz;
            if (ez < 0.0)
                continue; // more than 90 degrees from the view direction
            const int ring = layout.ringOf(ez);
            if (ring >= 0) {
                const double ex = frame.ax[0] * dx + frame.ax[1] * dy + frame.ax[2] * dz;
                const double ey = frame.ay[0] * dx + frame.ay[1] * dy + frame.ay[2] * dz;
                *bin = static_cast<uint16_t>(ring * layout.sectors() + layout.sectorOf(ex, ey));
            }
            const double solid = at.density * pixelArea;
            *weight = static_cast<float>(solid);
            if (*bin != runBin) {
                binSolidAngle_[runBin] += runSum;
                runBin = *bin;
                runSum = 0.0;
            }
            runSum += solid;
        }
    }
    binSolidAngle_[runBin] += runSum;
    double covered = 0.0;
    for (int b = 0; b < beyondBin(); ++b)
        covered += binSolidAngle_[static_cast<std::size_t>(b)];
    coveredShare_ = covered / (2.0 * std::numbers::pi * (1.0 - std::cos(layout.maxZenith())));
}

bool SkyMap::matches(const ProjectionRecord& src, int width, int height, const RingLayout& layout) const
{
    return sameRecord(src, src_) && width == width_ && height == height_ && layout == layout_;
}

std::shared_ptr<const SkyMap> sharedSkyMap(const ProjectionRecord& src, int width, int height,
                                           const RingLayout& layout)
{
    static std::mutex mutex;
    static std::shared_ptr<const SkyMap> last;
    {
        const std::lock_guard lock(mutex);
        if (last && last->matches(src, width, height, layout))
            return last;
    }
    // Built outside the lock: a second thread asking for another map need
    // not wait for this one.
    auto map = std::make_shared<const SkyMap>(src, width, height, layout);
    const std::lock_guard lock(mutex);
    last = map;
    return map;
}

} // namespace karwen::canopy
