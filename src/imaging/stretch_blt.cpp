// Nearest-neighbour drawing of an image rectangle into a caller's canvas.
//
// Principle of operation: canvas pixel (cx, cy) of the canvas rectangle shows
// the image pixel under its centre,
//   column        = floor(sx + (cx - dx + 0.5) * sw / dw)
//   row (bottom)  = floor(sy + sh - (cy - dy + 0.5) * sh / dh),
// evaluated exactly in 64-bit integers. With sw / dw and sh / dh the inverse
// of a zoom factor this is the image<->view mapping of the windows, so at
// every zoom factor a canvas pixel shows the image pixel its centre lies on.
// Canvas pixels whose image point falls outside the image, and everything
// outside the canvas rectangle, are left as they were.
//
// Speed: the column of every drawn canvas column is computed once per call;
// a canvas row whose image row equals the previous one is a copy of that
// canvas row, and a run of consecutive columns (scale 1) is one memcpy.
#include "operations.h"

#include "errors.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace rix {

namespace {

// floor(a / b) and ceil(a / b) for b > 0.
int64_t floorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

int64_t ceilDiv(int64_t a, int64_t b) { return -floorDiv(-a, b); }

// Image column under the centre of canvas column i of the rectangle
// (0 <= i < dw): sx + floor((2i + 1) * sw / (2 dw)). With i < dw < 2^31 the
// product stays below 2^63.
int64_t sourceColumn(int64_t i, int32_t sx, int32_t sw, int32_t dw)
{
    return sx + floorDiv((2 * i + 1) * sw, 2 * int64_t(dw));
}

// Image row (from the bottom) under the centre of canvas row j of the
// rectangle: sy + sh - ceil((2j + 1) * sh / (2 dh)).
int64_t sourceRow(int64_t j, int32_t sy, int32_t sh, int32_t dh)
{
    return int64_t(sy) + sh - ceilDiv((2 * j + 1) * sh, 2 * int64_t(dh));
}

// Half-open range [first, last) of rectangle offsets i in [lo, hi) whose
// source index f(i) lies in [0, limit); f must be monotonic in i.
template <class Index>
void validRange(int64_t lo, int64_t hi, int64_t limit, bool increasing, Index f, int64_t& first, int64_t& last)
{
    // Binary search for the boundaries; f is monotonic so the valid offsets
    // form one contiguous run.
    auto firstWhere = [&](auto pred) {
        int64_t a = lo, b = hi;
        while (a < b) {
            const int64_t m = a + (b - a) / 2;
            if (pred(f(m)))
                b = m;
            else
                a = m + 1;
        }
        return a;
    };
    if (increasing) {
        first = firstWhere([](int64_t v) { return v >= 0; });
        last = firstWhere([&](int64_t v) { return v >= limit; });
    } else {
        first = firstWhere([&](int64_t v) { return v < limit; });
        last = firstWhere([](int64_t v) { return v < 0; });
    }
    if (last < first)
        last = first;
}

} // namespace

void stretchBlt(const Image& image, int32_t sx, int32_t sy, int32_t sw, int32_t sh, RixCanvas& canvas, int32_t dx,
    int32_t dy, int32_t dw, int32_t dh)
{
    if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0 || canvas.width <= 0 || canvas.height <= 0)
        return;
    if (reinterpret_cast<uintptr_t>(canvas.bits) % alignof(uint32_t) != 0
        || canvas.bytesPerLine % int32_t(sizeof(uint32_t)) != 0)
        throw Error("canvas rows must be 4-byte aligned");

    // Rectangle offsets that are both on the canvas and inside the image.
    const int64_t iLo = std::max<int64_t>(0, -int64_t(dx));
    const int64_t iHi = std::min<int64_t>(dw, int64_t(canvas.width) - dx);
    const int64_t jLo = std::max<int64_t>(0, -int64_t(dy));
    const int64_t jHi = std::min<int64_t>(dh, int64_t(canvas.height) - dy);
    if (iLo >= iHi || jLo >= jHi)
        return;
    int64_t iFirst = 0, iLast = 0, jFirst = 0, jLast = 0;
    validRange(
        iLo, iHi, image.width(), true, [&](int64_t i) { return sourceColumn(i, sx, sw, dw); }, iFirst, iLast);
    validRange(
        jLo, jHi, image.height(), false, [&](int64_t j) { return sourceRow(j, sy, sh, dh); }, jFirst, jLast);
    if (iFirst >= iLast || jFirst >= jLast)
        return;

    const std::size_t count = std::size_t(iLast - iFirst);
    std::vector<int32_t> columns(count);
    for (std::size_t k = 0; k < count; ++k)
        columns[k] = int32_t(sourceColumn(iFirst + int64_t(k), sx, sw, dw));
    const bool contiguous = columns.back() - columns.front() == int32_t(count) - 1;
    const std::size_t rowBytes = count * sizeof(uint32_t);

    const int64_t canvasX = dx + iFirst;
    const uint32_t* previousDst = nullptr;
    int64_t previousRow = -1;
    for (int64_t j = jFirst; j < jLast; ++j) {
        const int64_t row = sourceRow(j, sy, sh, dh);
        uint8_t* line = canvas.bits + (dy + j) * int64_t(canvas.bytesPerLine);
        uint32_t* dst = reinterpret_cast<uint32_t*>(line) + canvasX;
        if (row == previousRow) {
            std::memcpy(dst, previousDst, rowBytes);
        } else {
            const uint32_t* src = image.row(int32_t(row));
            if (contiguous) {
                std::memcpy(dst, src + columns.front(), rowBytes);
            } else {
                const int32_t* col = columns.data();
                for (std::size_t k = 0; k < count; ++k)
                    dst[k] = src[col[k]];
            }
        }
        previousRow = row;
        previousDst = dst;
    }
}

} // namespace rix
