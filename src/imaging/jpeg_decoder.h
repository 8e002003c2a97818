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
[[nodiscard]] DecodedImage decodeJpeg(const uint8_t* data, std::size_t size, bool stopAtDamage);

} // namespace rix
