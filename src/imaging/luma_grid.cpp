#include "luma_grid.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace rix {

LumaGrid::LumaGrid(double block, int w, int h)
    : block_(block)
    , w_(w)
    , h_(h)
    , cells_(std::size_t(w) * std::size_t(h), 0.0f)
{
}

namespace {

// The pixels (of `count`) a cell of `block` pixels from `start` overlaps,
// and how much of the first and last of them it covers. A cell ending on
// the last pixel's edge may overshoot it by a rounding error.
struct Span {
    int first, last;
    float firstWeight, lastWeight;
};

Span span(double start, double block, int count)
{
    const double end = start + block;
    const int first = int(std::floor(start));
    const int last = std::min(int(std::ceil(end)) - 1, count - 1);
    if (first == last)
        return {first, last, float(block), float(block)};
    return {first, last, float(double(first + 1) - start), float(end - double(last))};
}

} // namespace

LumaGrid::LumaGrid(const Image& image, int cells)
    : LumaGrid(1.0, 0, 0)
{
    // A cell is the same share of the picture at every size of a photo, so
    // that every length measured in cells is too: whole pixels per cell
    // would give a photo just over `cells` pixels long half the cells of one
    // just under. Pixels a cell only partly covers count by their share of
    // it; a photo no longer than `cells` keeps one cell per pixel. Whole
    // cells only: a narrow last cell would be as noisy as its few pixels.
    const int longer = std::max(image.width(), image.height());
    w_ = image.width();
    h_ = image.height();
    if (longer > cells) {
        block_ = double(longer) / cells;
        w_ = int(int64_t{w_} * cells / longer);
        h_ = int(int64_t{h_} * cells / longer);
    }
    cells_.assign(std::size_t(w_) * std::size_t(h_), 0.0f);
    std::vector<Span> columns(std::size_t(w_), Span{});
    for (int gx = 0; gx < w_; ++gx)
        columns[std::size_t(gx)] = span(gx * block_, block_, image.width());
    // Each grid row's column sums first, then the cells from them: every
    // pixel a row holds whole costs a max and an addition, both done many at
    // a time; only the row or two it shares with a neighbour are weighted.
    const int32_t width = image.width();
    std::vector<uint32_t> wholeRows(std::size_t(width), 0);
    std::vector<float> columnSums(std::size_t(width), 0.0f);
    auto level = [](uint32_t p) { return std::max(std::max((p >> 16) & 0xffu, (p >> 8) & 0xffu), p & 0xffu); };
    auto addShare = [&](int y, float weight) {
        const uint32_t* src = image.row(y);
        for (int32_t x = 0; x < width; ++x)
            columnSums[std::size_t(x)] += weight * float(level(src[x]));
    };
    const float area = float(block_ * block_);
    for (int gy = 0; gy < h_; ++gy) {
        const Span rows = span(gy * block_, block_, image.height());
        const bool firstShared = rows.firstWeight < 1.0f;
        const bool lastShared = rows.last > rows.first && rows.lastWeight < 1.0f;
        std::fill(wholeRows.begin(), wholeRows.end(), 0u);
        for (int y = rows.first + (firstShared ? 1 : 0); y <= rows.last - (lastShared ? 1 : 0); ++y) {
            const uint32_t* src = image.row(y);
            uint32_t* sums = wholeRows.data();
            for (int32_t x = 0; x < width; ++x)
                sums[x] += level(src[x]);
        }
        for (int32_t x = 0; x < width; ++x)
            columnSums[std::size_t(x)] = float(wholeRows[std::size_t(x)]);
        if (firstShared)
            addShare(rows.first, rows.firstWeight);
        if (lastShared)
            addShare(rows.last, rows.lastWeight);
        for (int gx = 0; gx < w_; ++gx) {
            const Span& c = columns[std::size_t(gx)];
            float sum = c.firstWeight * columnSums[std::size_t(c.first)];
            if (c.last > c.first) {
                for (int x = c.first + 1; x < c.last; ++x)
                    sum += columnSums[std::size_t(x)];
                sum += c.lastWeight * columnSums[std::size_t(c.last)];
            }
            cells_[std::size_t(gy) * std::size_t(w_) + std::size_t(gx)] = sum / area;
        }
    }
}

LumaGrid LumaGrid::smoothed() const
{
    // Rows of horizontal 3-sums, then the vertical sum of three of them.
    LumaGrid across(block_, w_, h_);
    std::vector<int> counts(std::size_t(w_) * std::size_t(h_), 0);
    for (int y = 0; y < h_; ++y)
        for (int x = 0; x < w_; ++x) {
            float sum = 0;
            int n = 0;
            for (int i = std::max(0, x - 1); i <= std::min(w_ - 1, x + 1); ++i, ++n)
                sum += at(i, y);
            across.cells_[std::size_t(y) * std::size_t(w_) + std::size_t(x)] = sum;
            counts[std::size_t(y) * std::size_t(w_) + std::size_t(x)] = n;
        }
    LumaGrid out(block_, w_, h_);
    for (int y = 0; y < h_; ++y)
        for (int x = 0; x < w_; ++x) {
            float sum = 0;
            int n = 0;
            for (int j = std::max(0, y - 1); j <= std::min(h_ - 1, y + 1); ++j) {
                sum += across.at(x, j);
                n += counts[std::size_t(j) * std::size_t(w_) + std::size_t(x)];
            }
            out.cells_[std::size_t(y) * std::size_t(w_) + std::size_t(x)] = sum / float(n);
        }
    return out;
}

float LumaGrid::sample(double x, double y) const
{
    const double fx = std::clamp(x - 0.5, 0.0, double(w_ - 1));
    const double fy = std::clamp(y - 0.5, 0.0, double(h_ - 1));
    const int x0 = std::min(int(fx), w_ - 1), y0 = std::min(int(fy), h_ - 1);
    const int x1 = std::min(x0 + 1, w_ - 1), y1 = std::min(y0 + 1, h_ - 1);
    const auto tx = float(fx - x0), ty = float(fy - y0);
    const float bottom = at(x0, y0) + tx * (at(x1, y0) - at(x0, y0));
    const float top = at(x0, y1) + tx * (at(x1, y1) - at(x0, y1));
    return bottom + ty * (top - bottom);
}

} // namespace rix
