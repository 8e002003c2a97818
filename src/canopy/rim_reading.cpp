#include "rim_reading.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace karwen::canopy {

namespace {

constexpr double kSurroundFrom = 1.0, kSurroundTo = 3.0; // pixels past the rim

// The median of the values counted in a histogram of n of them.
int medianOf(const std::array<std::size_t, 256>& counts, std::size_t n)
{
    std::size_t below = 0;
    for (std::size_t v = 0; v < counts.size(); ++v) {
        below += counts[v];
        if (2 * below >= n)
            return static_cast<int>(v);
    }
    return 255;
}

} // namespace

// One sweep down the rows: each row's pixels beyond the rim, its rim
// pixels and their inner neighbours lie close together in memory.
RimReading::RimReading(const PixelView& view, const SkyMap& map, const ValueTable& values)
    : map_(map)
    , values_(values)
{
    const std::span<const SkyMap::RimPixel> rim = map.rimPixels();
    const std::span<const SkyMap::Row> rows = map.rows();
    if (rim.empty())
        return;
    own_.resize(rim.size());
    inner_.resize(rim.size());
    const ProjectionRecord& src = map.source();
    const bool surround = map.model().edgeIsRim();
    const double edge = map.model().edge() * src.R;
    const double from = edge + kSurroundFrom, to = edge + kSurroundTo;
    std::array<std::size_t, 256> counts{};
    std::size_t n = 0;
    const auto count = [&](const uint32_t* row, double dy, double fromX, double toX) {
        const int x0 = std::max(0, static_cast<int>(std::floor(fromX)));
        const int x1 = std::min(view.width - 1, static_cast<int>(std::ceil(toX)));
        for (int x = x0; x <= x1; ++x) {
            const double dx = x + 0.5 - src.Cx;
            const double q = dx * dx + dy * dy;
            if (q >= from * from && q <= to * to) {
                ++counts[values(row[x])];
                ++n;
            }
        }
    };
    const int y0 = std::min(rows.front().y, std::max(0, static_cast<int>(std::floor(src.Cy - to - 0.5))));
    const int y1 = std::max(rows.back().y, std::min(view.height - 1, static_cast<int>(std::ceil(src.Cy + to - 0.5))));
    std::size_t next = 0; // the first rim pixel not read yet
    for (int y = y0; y <= y1; ++y) {
        const uint32_t* row = view.row(y);
        for (; next < rim.size() && rows[rim[next].row].y == y; ++next) {
            const SkyMap::RimPixel& p = rim[next];
            own_[next] = row[p.x];
            if (p.innerX >= 0)
                inner_[next] = view.row(p.innerY)[p.innerX];
        }
        const double dy = y + 0.5 - src.Cy;
        const double outer = to * to - dy * dy;
        if (!surround || outer < 0.0)
            continue;
        // The columns of the ring on this row: out to `to`, from `from` on.
        const double reach = std::sqrt(outer), inner = std::sqrt(std::max(0.0, from * from - dy * dy));
        const double left = src.Cx - 0.5;
        if (inner < 1.0) {
            count(row, dy, left - reach, left + reach);
        } else {
            count(row, dy, left - reach, left - inner + 1.0);
            count(row, dy, left + inner - 1.0, left + reach);
        }
    }
    if (n > 0)
        surround_ = medianOf(counts, n);
}

// Its linearised value over its inside, unrounded first: the rounding of a
// darkened pixel's value would grow by the division.
uint8_t RimReading::byInside(uint32_t pixel, float inside) const
{
    return static_cast<uint8_t>(std::min(255L, std::lround(values_.linear(pixel) / inside)));
}

std::vector<uint8_t> RimReading::values(bool inside) const
{
    const std::span<const SkyMap::RimPixel> rim = map_.rimPixels();
    std::vector<uint8_t> out(rim.size());
    for (std::size_t k = 0; k < rim.size(); ++k) {
        const SkyMap::RimPixel& p = rim[k];
        if (!inside)
            out[k] = values_(own_[k]);
        else if (p.inside >= SkyMap::kLeastInside)
            out[k] = byInside(own_[k], p.inside);
        else if (p.innerX >= 0)
            out[k] = byInside(inner_[k], p.innerInside);
        else
            out[k] = values_(own_[k]);
    }
    return out;
}

} // namespace karwen::canopy
