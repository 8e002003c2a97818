#include "edge_rows.h"

#include "avx2_clones.h"

#include <algorithm>
#include <cstring>

namespace karwen::canopy {

namespace {

using Wide = int64_t __attribute__((vector_size(16)));

inline void addSums(int64_t* table, const uint8_t* values, const int64_t* sums, int k)
{
    Wide add, slot;
    std::memcpy(&add, sums + 2 * k, sizeof add);
    int64_t* at = table + 2 * std::size_t{values[k]};
    std::memcpy(&slot, at, sizeof slot);
    slot += add;
    std::memcpy(at, &slot, sizeof slot);
}

} // namespace

KARWEN_AVX2_CLONES void weightUnits(const float* w, int n, float scale, int32_t* units)
{
    for (int i = 0; i < n; ++i)
        units[i] = static_cast<int32_t>(w[i] * scale);
}

KARWEN_AVX2_CLONES void differingPixels(const uint8_t* __restrict values, const uint8_t* __restrict above,
    const uint8_t* __restrict below, int n, uint8_t* __restrict differs)
{
    for (int k = 0; k < n; ++k) {
        const uint8_t v = values[k];
        differs[k] = uint8_t((v ^ values[k - 1]) | (v ^ values[k + 1]) | (v ^ above[k]) | (v ^ below[k]));
    }
}

KARWEN_AVX2_CLONES void pairsOf(const uint8_t* __restrict values, const int32_t* __restrict units,
    const uint8_t* __restrict otherValues, const int32_t* __restrict otherUnits, int n, int32_t* __restrict weight,
    int32_t* __restrict contrast)
{
    // Without branches, which noisy values would mispredict.
    for (int i = 0; i < n; ++i) {
        const int32_t pair = std::min(units[i], otherUnits[i]);
        const int32_t difference = int32_t{otherValues[i]} - int32_t{values[i]};
        weight[i] = (difference > 0 ? pair : 0) - (difference < 0 ? pair : 0);
        contrast[i] = difference * pair;
    }
}

KARWEN_AVX2_CLONES void pixelSums(const RowPairs& pairs, int n, int64_t* __restrict out)
{
    const int32_t* __restrict rw = pairs.rightWeight;
    const int32_t* __restrict rc = pairs.rightContrast;
    const int32_t* __restrict dw = pairs.downWeight;
    const int32_t* __restrict dc = pairs.downContrast;
    const int32_t* __restrict uw = pairs.upWeight;
    const int32_t* __restrict uc = pairs.upContrast;
    for (int k = 0; k < n; ++k) {
        out[2 * k] = rw[k] - rw[k - 1] + dw[k] + uw[k];
        out[2 * k + 1] = rc[k] - rc[k - 1] + dc[k] + uc[k];
    }
}

KARWEN_AVX2_CLONES void addPixelSums(
    const uint8_t* values, const int64_t* sums, int n, int64_t* tables, std::size_t stride)
{
    // Neighbours often share a value; four tables in turn let an addition
    // go ahead without waiting for the one before to be stored.
    static_assert(kSumTables == 4);
    int64_t* const t0 = tables;
    int64_t* const t1 = tables + stride;
    int64_t* const t2 = tables + 2 * stride;
    int64_t* const t3 = tables + 3 * stride;
    int k = 0;
    for (; k + 4 <= n; k += 4) {
        addSums(t0, values, sums, k);
        addSums(t1, values, sums, k + 1);
        addSums(t2, values, sums, k + 2);
        addSums(t3, values, sums, k + 3);
    }
    for (; k < n; ++k)
        addSums(t0, values, sums, k);
}

} // namespace karwen::canopy
