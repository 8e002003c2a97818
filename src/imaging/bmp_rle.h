// Run-length decoding of BMP pixel data (BI_RLE8 and BI_RLE4).
#pragma once

#include "bmp_format.h"
#include "image.h"

#include <cstddef>
#include <cstdint>

namespace rix::bmp {

// Decodes RLE data into a bottom-up image. Pixels the data never writes
// (skipped by delta, end-of-line or end-of-bitmap codes) are black. Runs that
// overshoot the right edge are clipped; pixels above the top row, or data
// that ends before the end-of-bitmap code while rows remain, throw rix::Error.
void decodeRle(const uint8_t* data, std::size_t size, bool fourBit, const Palette& palette,
               Image& image);

} // namespace rix::bmp
