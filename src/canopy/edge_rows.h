// The hot loops of gathering neighbouring pairs for the edge method, one
// image row at a time, kept apart so that they can be built for wider
// instruction sets.
//
// A pair's weight is the smaller of its two pixels' weights, in whole
// units. Each end takes what the pair gives its own value in EdgeSums: the
// pair's weight signed towards the other end's value (0 for equal values)
// and the contrast, the other value less its own, times the weight.
#pragma once

#include <cstddef>
#include <cstdint>

namespace karwen::canopy {

// The n weights w in units of 1 / scale, truncated, to units.
void weightUnits(const float* w, int n, float scale, int32_t* units);

// Marks the n pixels (values) that differ from one of their four
// neighbours, left, right, above or below: differs[k] != 0. The pairs of
// the other pixels add nothing, whatever they weigh. Reads values[-1] and
// values[n].
void differingPixels(const uint8_t* values, const uint8_t* above, const uint8_t* below, int n, uint8_t* differs);

// The n pairs of pixels (values, units) with others (otherValues,
// otherUnits), as the first end takes them: signed weight and contrast.
// The second end takes their negatives.
void pairsOf(const uint8_t* values, const int32_t* units, const uint8_t* otherValues, const int32_t* otherUnits, int n,
    int32_t* weight, int32_t* contrast);

// The sums of n pixels of a row from their pairs: right (the pairs with
// the next pixel, from the pixel before the first on), down (with the pixel
// below) and up (with the pixel above), interleaved: the signed weight at
// out[2 k], the contrast at out[2 k + 1]. A pixel's sums fit in 32 bits;
// they are written as 64, the tables' width.
struct RowPairs {
    const int32_t *rightWeight, *rightContrast; // [-1, n)
    const int32_t *downWeight, *downContrast;   // [0, n)
    const int32_t *upWeight, *upContrast;       // [0, n)
};
void pixelSums(const RowPairs& pairs, int n, int64_t* out);

// Adds the n pixels' sums (as pixelSums gives them) to the tables by the
// pixels' values: pixel k to table k % kSumTables, whose value v holds the
// weight at [2 v] and the contrast at [2 v + 1]; the tables lie stride
// entries apart.
inline constexpr std::size_t kSumTables = 4;
void addPixelSums(const uint8_t* values, const int64_t* sums, int n, int64_t* tables, std::size_t stride);

} // namespace karwen::canopy
