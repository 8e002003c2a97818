// JPEG decoding through TurboJPEG, with each decode's warning judged: damage
// to the pixel data or harmless trouble in the header's metadata.
#pragma once

#include "image.h"

#include <cstddef>
#include <cstdint>

namespace rix {

// Decodes a JPEG file in memory: bottom-up 0xffRRGGBB pixels, accurate DCT,
// CMYK and YCCK turned into RGB. Throws rix::Error when the header cannot be
// read, the size is implausible or the decoder gives up.
//
// Warnings that touch nothing but metadata are accepted: an odd JFIF, Adobe
// or ICC segment, a sequential scan header with progressive parameters, or
// stray bytes between the header's segments. Any other warning is damage: a
// bad Huffman code, a lost restart marker, a premature end, and stray bytes
// in the scan data (before a restart or end-of-image marker, or between the
// scans of a progressive file). A damaged image holds whatever the decoder
// made of the data (grey where it could read nothing). With stopAtDamage no
// image is decoded past the damage and none is returned, only the reason.
//
// scale 2, 4 or 8 decodes at 1 / scale through the DCT's own scaling, which
// skips most of the inverse transform: the image is ceil(width / scale) x
// ceil(height / scale), its pixels counted from the top-left corner as the
// file's are, so that a last row or column may stand for fewer than scale
// of the file's. The size limits are those of the full photo.
[[nodiscard]] DecodedImage decodeJpeg(const uint8_t* data, std::size_t size, bool stopAtDamage, int scale = 1);

// The width and height the JPEG header gives, checked as decodeJpeg checks
// them. Throws rix::Error when the header cannot be read.
void jpegSize(const uint8_t* data, std::size_t size, int& width, int& height);

} // namespace rix
