// Paints and reads the pixels of a library image by handle, for tests that
// set up a photo in memory, through rix.h alone. RixPixels hands out the
// pixels read-only to callers outside the library; the memory behind them
// is the image's own and writable, and a test that paints its photo writes
// through that pointer before handing the handle back to the library.
#pragma once

#include "rix.h"

#include <cstddef>
#include <cstdint>

namespace karwen::test {

// 0xffRRGGBB, the library's pixel layout.
[[nodiscard]] constexpr uint32_t packRgb(uint8_t r, uint8_t g, uint8_t b)
{
    return 0xff000000u | (uint32_t(r) << 16) | (uint32_t(g) << 8) | b;
}
[[nodiscard]] constexpr uint8_t redOf(uint32_t p) { return uint8_t(p >> 16); }
[[nodiscard]] constexpr uint8_t greenOf(uint32_t p) { return uint8_t(p >> 8); }
[[nodiscard]] constexpr uint8_t blueOf(uint32_t p) { return uint8_t(p); }

// A handle made and let go at once. The library never gives a handle out
// twice, so every image made after the call has a larger one, and two calls
// with nothing made between them give consecutive handles.
[[nodiscard]] inline int32_t probeHandle()
{
    const int32_t handle = RixCreate(1, 1);
    (void)RixDestroy(handle);
    return handle;
}

// The pixels of the image behind a handle, row 0 at the bottom edge, rows
// one after another with no gap; none (valid() false) for a handle that
// names no image. Valid until the image is destroyed or written by the
// library.
class ImagePixels {
public:
    explicit ImagePixels(int32_t handle)
    {
        const uint32_t* bits = nullptr;
        int32_t stride = 0;
        if (RixPixels(handle, &bits, &stride) != 1 || stride != RixWidth(handle))
            return;
        bits_ = const_cast<uint32_t*>(bits);
        width_ = RixWidth(handle);
        height_ = RixHeight(handle);
    }

    [[nodiscard]] bool valid() const { return bits_ != nullptr; }
    [[nodiscard]] int32_t width() const { return width_; }
    [[nodiscard]] int32_t height() const { return height_; }
    [[nodiscard]] std::size_t size() const { return std::size_t(width_) * std::size_t(height_); }
    [[nodiscard]] uint32_t* data() const { return bits_; }
    [[nodiscard]] uint32_t* row(int32_t y) const { return bits_ + std::ptrdiff_t(y) * width_; }

private:
    uint32_t* bits_ = nullptr;
    int32_t width_ = 0, height_ = 0;
};

} // namespace karwen::test
