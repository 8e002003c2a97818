#include "photo_threshold.h"

#include <algorithm>
#include <cstddef>

namespace karwen::canopy {

namespace {

constexpr std::size_t kSkew = 40; // doubles: 320 bytes

// Neighbouring pairs often fall in the same cell, one after the other; they
// go to kCopies matrices in turn, so that each addition need not wait for the
// one before to be stored.
void scatter(const uint16_t* cells, const double* weights, int n, double* const (&matrices)[NeighbourPairs::kCopies])
{
    static_assert(NeighbourPairs::kCopies == 4);
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        matrices[0][cells[i]] += weights[i];
        matrices[1][cells[i + 1]] += weights[i + 1];
        matrices[2][cells[i + 2]] += weights[i + 2];
        matrices[3][cells[i + 3]] += weights[i + 3];
    }
    for (; i < n; ++i)
        matrices[0][cells[i]] += weights[i];
}

} // namespace

NeighbourPairs::NeighbourPairs(int width)
    : here_(static_cast<std::size_t>(width))
    , before_(here_.size())
    , cells_(here_.size())
    , pairWeights_(here_.size())
    , block_(2 * kCopies * (kPairCells + kSkew), 0.0)
{
    for (std::size_t k = 0; k < kCopies; ++k) {
        across_[k] = block_.data() + k * (kPairCells + kSkew);
        down_[k] = block_.data() + (kCopies + k) * (kPairCells + kSkew);
    }
}

void NeighbourPairs::addRow(const SkyMap::Row& row, const float* weights)
{
    // The cells and weights of the row's pairs are worked out first, in
    // loops the compiler vectorises, so that the loops that add them to the
    // matrices do nothing else.
    const float* w = weights + row.firstWeight; // w[x - x0]
    const uint8_t* h = here_.data() + row.x0;
    const int n = row.x1 - row.x0;
    uint16_t* cells = cells_.data();
    double* pairWeights = pairWeights_.data();
    for (int i = 1; i < n; ++i) {
        cells[i - 1] = uint16_t((h[i] << 8) | h[i - 1]);
        pairWeights[i - 1] = double(std::min(w[i], w[i - 1]));
    }
    scatter(cells, pairWeights, n - 1, across_);
    if (last_ != nullptr && last_->y + 1 == row.y) {
        const int x0 = std::max(row.x0, last_->x0), x1 = std::min(row.x1, last_->x1);
        const float* wh = w + (x0 - row.x0);
        const float* wb = weights + last_->firstWeight + (x0 - last_->x0);
        const uint8_t* hb = h + (x0 - row.x0);
        const uint8_t* bb = before_.data() + x0;
        for (int i = 0; i < x1 - x0; ++i) {
            cells[i] = uint16_t((hb[i] << 8) | bb[i]);
            pairWeights[i] = double(std::min(wh[i], wb[i]));
        }
        scatter(cells, pairWeights, x1 - x0, down_);
    }
    here_.swap(before_);
    last_ = &row;
}

PairHistogram NeighbourPairs::histogram() const
{
    PairHistogram pairs(kPairCells);
    for (std::size_t k = 0; k < kCopies; ++k)
        for (std::size_t c = 0; c < kPairCells; ++c)
            pairs[c] += across_[k][c] + down_[k][c];
    return pairs;
}

std::optional<int> photoThreshold(
    const Histogram& histogram, const NeighbourPairs* pairs, const CanopySettings& settings)
{
    return chooseThreshold(histogram, pairs != nullptr ? pairs->histogram() : PairHistogram{}, settings);
}

} // namespace karwen::canopy
