// Photos for the batch suites, painted in memory and saved through the
// library: a flat colour, or a bright disc on a black surround as a fisheye
// camera takes it.
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

// Saves a width x height photo as BMP or JPEG by the name's extension:
// everywhere `colour`, or `colour` inside the disc and black outside.
// False when it could not be written.
[[nodiscard]] inline bool writePhoto(
    const std::filesystem::path& path, int width, int height, uint32_t colour, const Disc* disc = nullptr)
{
    const int32_t h = RixCreate(width, height);
    const ImagePixels image(h);
    if (!image.valid())
        return false;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool inside
                = !disc || (x - disc->cx) * (x - disc->cx) + (y - disc->cy) * (y - disc->cy) <= disc->r * disc->r;
            image.row(y)[x] = inside ? colour : packRgb(0, 0, 0);
        }
    const std::string name = path.string();
    const bool saved = saveImageFile(h, name);
    (void)RixDestroy(h);
    return saved;
}

} // namespace karwen::test
