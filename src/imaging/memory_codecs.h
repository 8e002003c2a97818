// The codecs on bytes in memory; the path versions in codecs.h read or write
// the file and call these. The loaders throw rix::Error for anything they
// cannot read, damaged pixel data included ("damaged JPEG data: ...",
// "damaged BMP data: ..."), and never allocate more than the data can
// plausibly fill. The encoders return the whole file, so that saving it can
// only fail in the write itself.
#pragma once

#include "image.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace rix {

[[nodiscard]] std::unique_ptr<Image> loadBmpFromMemory(const uint8_t* data, std::size_t size);
[[nodiscard]] std::unique_ptr<Image> loadJpegFromMemory(const uint8_t* data, std::size_t size);
// The same, except that a file whose pixel data is damaged still loads, with
// what could be decoded, and says what is wrong; a file that cannot be read
// at all still throws.
[[nodiscard]] DecodedImage salvageBmpFromMemory(const uint8_t* data, std::size_t size);
[[nodiscard]] DecodedImage salvageJpegFromMemory(const uint8_t* data, std::size_t size);

// Whether a file holds one grey channel by its format: a JPEG of one
// component, a BMP of 8 bits or fewer whose palette holds only greys. The
// headers alone are read (up to the JPEG's frame header, the BMP's palette);
// both throw Error when those are not all there. The loaders mark the
// images of such files (Image::grey).
[[nodiscard]] bool jpegIsGrey(const uint8_t* data, std::size_t size);
[[nodiscard]] bool bmpIsGrey(const uint8_t* data, std::size_t size);

[[nodiscard]] std::vector<uint8_t> encodeBmp(const Image& image);
// Quality is clamped to 1..100.
[[nodiscard]] std::vector<uint8_t> encodeJpeg(const Image& image, int quality);

} // namespace rix
