// An image held by the library: 32-bit pixels 0xffRRGGBB, rows stored
// bottom-up so that row(y) is image row y counted from the bottom edge,
// the same convention as every coordinate the library receives.
#pragma once

#include "pixel_buffer.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace rix {

// Largest width or height the library creates or loads.
inline constexpr int32_t kMaxSide = 32767;

// Asks for an image whose pixels start undefined, for a caller that writes
// every one of them before anything reads the image (the decoders).
struct ForOverwrite { };
inline constexpr ForOverwrite kForOverwrite{};

// Black in the pixel layout below.
inline constexpr uint32_t kBlackPixel = 0xff000000u;

class Image {
public:
    // Both throw std::invalid_argument for sides outside 1..kMaxSide and
    // std::bad_alloc when memory runs out. The first makes every pixel black;
    // the memory may have held a freed image.
    Image(int32_t width, int32_t height);
    Image(int32_t width, int32_t height, ForOverwrite);

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    // Distance between rows, in pixels.
    std::ptrdiff_t stride() const { return width_; }

    uint32_t* data() { return pixels_.data(); }
    const uint32_t* data() const { return pixels_.data(); }
    uint32_t* row(int32_t y) { return data() + y * stride(); }
    const uint32_t* row(int32_t y) const { return data() + y * stride(); }

    // Read from a file that holds one grey channel (greyIn below): every
    // pixel's red, green and blue are equal.
    bool grey() const { return grey_; }
    void markGrey(bool grey) { grey_ = grey; }

private:
    std::size_t pixelCount() const { return std::size_t(width_) * std::size_t(height_); }

    int32_t width_;
    int32_t height_;
    PixelBuffer pixels_;
    bool grey_ = false;
};

// An image read from a file and, when the file's pixel data is damaged
// (cut short, corrupt), what is wrong with it; "" when the data is whole.
// The message starts "damaged JPEG data" or "damaged BMP data".
struct DecodedImage {
    std::unique_ptr<Image> image;
    std::string damage;
};

inline uint32_t packRgb(uint8_t r, uint8_t g, uint8_t b)
{
    return 0xff000000u | (uint32_t(r) << 16) | (uint32_t(g) << 8) | b;
}
inline uint8_t redOf(uint32_t p) { return uint8_t(p >> 16); }
inline uint8_t greenOf(uint32_t p) { return uint8_t(p >> 8); }
inline uint8_t blueOf(uint32_t p) { return uint8_t(p); }

} // namespace rix
