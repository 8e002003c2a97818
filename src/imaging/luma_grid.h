// An image reduced to a grid of block means of max(R, G, B): the level the
// circle detection works on. Averaging removes most sensor and JPEG noise.
#pragma once

#include "image.h"

#include <cstddef>
#include <vector>

namespace rix {

class LumaGrid {
public:
    // `cells` blocks on the image's longer side, or one per pixel when it is
    // shorter.
    LumaGrid(const Image& image, int cells);

    // Side of a block in image pixels; a fraction when a cell does not
    // cover whole pixels.
    double block() const { return block_; }
    int width() const { return w_; }
    int height() const { return h_; }
    float at(int x, int y) const { return cells_[std::size_t(y) * std::size_t(w_) + std::size_t(x)]; }
    const std::vector<float>& cells() const { return cells_; }

    // The mean of each cell's 3 x 3 neighbourhood (as far as the grid
    // reaches): a further cut in noise that a straight edge does not move.
    LumaGrid smoothed() const;

    // Bilinear between cell centres at (x, y) in cell units, where cell
    // (i, j) covers [i, i + 1) x [j, j + 1); clamped at the border.
    float sample(double x, double y) const;

private:
    LumaGrid(double block, int w, int h);

    double block_;
    int w_, h_;
    std::vector<float> cells_;
};

} // namespace rix
