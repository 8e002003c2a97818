// A grey picture as the bytes of a PNG file, for pictures of a few levels
// such as a photo classified into sky, canopy and outside. Up to four
// distinct greys are written as a 2-bit palette of those greys, which
// leaves a quarter of the bytes to compress; more as 8-bit grey. Written
// for speed, not size: rows unfiltered, zlib's run-length strategy at its
// fastest level, since such pictures are long runs of one grey.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace karwen::files {

// grey: width x height values, rows top first (as the file holds them).
// Throws FileError when the sides are not positive, do not match grey's
// size or exceed what PNG holds, and when memory runs out.
[[nodiscard]] std::vector<uint8_t> greyPng(std::span<const uint8_t> grey, int width, int height);

} // namespace karwen::files
