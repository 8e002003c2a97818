// JPEG decoding through libjpeg itself, so that every warning it gives can be
// judged by its code and by where in the file it arises.
#pragma once

#include "image.h"

#include <cstddef>
#include <cstdint>

namespace rix {

// Decodes a JPEG file in memory: bottom-up 0xffRRGGBB pixels, accurate DCT,
// CMYK and YCCK turned into RGB. Throws rix::Error when the header cannot be
// read, the size is implausible or the decoder gives up.
//
// Warnings that touch nothing but metadata are accepted: a bad ICC, JFIF or
// Adobe marker, or stray bytes between the header's segments. Any other
// warning is damage: a bad Huffman or arithmetic code, a lost restart marker,
// a premature end, and stray bytes before a restart or end-of-image marker or
// anywhere once the scans have begun (entropy-coded data the decoder did not
// use). libjpeg cannot see every damage: data that goes out of step only
// within the few bytes it reads ahead ends without a warning. A damaged
// image holds whatever libjpeg made of the data (grey where it could read
// nothing). With stopAtDamage the decoder stops at the first damage and
// returns no image, only the reason.
[[nodiscard]] DecodedImage decodeJpeg(const uint8_t* data, std::size_t size, bool stopAtDamage);

} // namespace rix
