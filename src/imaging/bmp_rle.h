// Run-length decoding of BMP pixel data (BI_RLE8 and BI_RLE4).
#pragma once

#include "bmp_format.h"
#include "image.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace rix::bmp {

// Decodes RLE data into a bottom-up image. Pixels the data never writes
// (skipped by delta, end-of-line or end-of-bitmap codes) are black. Runs that
// overshoot the right edge are clipped. Data that would write above the top
// row, or ends before the end-of-bitmap code while rows remain, is damaged:
// decoding stops there, the pixels so far kept, and the result says why
// ("" for whole data).
[[nodiscard]] std::string decodeRle(
    const uint8_t* data, std::size_t size, bool fourBit, const Palette& palette, Image& image);

} // namespace rix::bmp
