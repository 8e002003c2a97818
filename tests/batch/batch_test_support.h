// Photos for the batch and command-line suites, painted in memory and saved
// through the library: a flat colour, a bright disc on a black surround as a
// fisheye camera takes it, or any picture.
#pragma once

#include "image_files.h"
#include "rix.h"
#include "test_image.h"

#include <filesystem>
#include <string>

namespace karwen::test {

struct Disc {
    int cx, cy, r; // image coordinates, y counted from the bottom
};

// Saves a width x height photo whose pixel (x, y), y counted from the
// bottom, is colour(x, y), as BMP or JPEG by the name's extension. False
// when it could not be written.
template <class Colour>
[[nodiscard]] bool paintPhoto(const std::filesystem::path& path, int width, int height, const Colour& colour)
{
    const int32_t h = RixCreate(width, height);
    const ImagePixels image(h);
    if (!image.valid())
        return false;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.row(y)[x] = colour(x, y);
    const bool saved = saveImageFile(h, path.string());
    (void)RixDestroy(h);
    return saved;
}

// Everywhere `colour`, or `colour` inside the disc and black outside.
[[nodiscard]] inline bool writePhoto(
    const std::filesystem::path& path, int width, int height, uint32_t colour, const Disc* disc = nullptr)
{
    return paintPhoto(path, width, height, [&](int x, int y) {
        const bool inside
            = !disc || (x - disc->cx) * (x - disc->cx) + (y - disc->cy) * (y - disc->cy) <= disc->r * disc->r;
        return inside ? colour : packRgb(0, 0, 0);
    });
}

} // namespace karwen::test
