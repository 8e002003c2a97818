// Read-only access to a caller's 32-bit pixels, in the layout the imaging
// library keeps its images: one uint32_t per pixel holding 0xAARRGGBB (blue
// in the lowest byte, the top byte ignored), rows stored bottom-up, so that
// bits points at image row 0 (the bottom edge, y counted upward as in every
// record) and row y starts at bits + y * stride. An image of the library is
// handed over without copying by pixelViewOf.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace karwen::canopy {

struct PixelView {
    const uint32_t* bits = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0; // in pixels, at least width

    [[nodiscard]] const uint32_t* row(int y) const { return bits + y * stride; }
};

// Non-null bits, positive sides and a stride of at least the width.
[[nodiscard]] inline bool isValid(const PixelView& view)
{
    return view.bits != nullptr && view.width > 0 && view.height > 0 && view.stride >= view.width;
}

// The pixels of the imaging library's image `handle`, valid until that
// image is destroyed or written; nullopt when the handle names no image.
[[nodiscard]] std::optional<PixelView> pixelViewOf(int32_t handle);

} // namespace karwen::canopy
