#include "luma_grid.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace rix {

LumaGrid::LumaGrid(int block, int w, int h)
    : block_(block)
    , w_(w)
    , h_(h)
    , cells_(std::size_t(w) * std::size_t(h), 0.0f)
{
}

LumaGrid::LumaGrid(const Image& image, int cells)
    : LumaGrid(std::max(1, (std::max(image.width(), image.height()) + cells - 1) / cells), 1, 1)
{
    // Whole blocks only: a narrow last block would be as noisy as its few
    // pixels.
    w_ = image.width() / block_;
    h_ = image.height() / block_;
    cells_.assign(std::size_t(w_) * std::size_t(h_), 0.0f);
    // Each grid row's column sums first, then the cells from them: every
    // pixel costs a max and an addition, both done many at a time.
    const int32_t width = image.width();
    std::vector<uint32_t> columnSums(std::size_t(width), 0);
    for (int gy = 0; gy < h_; ++gy) {
        std::fill(columnSums.begin(), columnSums.end(), 0u);
        const int y0 = gy * block_;
        const int y1 = y0 + block_;
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
            const int x1 = x0 + block_;
            uint32_t sum = 0;
            for (int x = x0; x < x1; ++x)
                sum += columnSums[std::size_t(x)];
            cells_[std::size_t(gy) * std::size_t(w_) + std::size_t(gx)] = float(sum) / float((x1 - x0) * (y1 - y0));
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
