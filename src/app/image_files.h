// Image files by name: the format follows the last three characters of the
// name alone, in any case ("BMP" or "JPG"); anything else is not an image
// file of this program. Loading and saving go through the imaging library.
#pragma once

#include <cstdint>
#include <string>

namespace karwen {

enum class ImageFormat { Other, Bmp, Jpg };

[[nodiscard]] ImageFormat imageFormatOf(const std::string& path);

// The handle of the image read, or 0 or less when it cannot be read (or the
// name asks for no format); RixLastError() then tells why.
[[nodiscard]] int32_t loadImageFile(const std::string& path);

// Writes the image in the format the name asks for (JPEG at quality 75);
// false when nothing was written.
[[nodiscard]] bool saveImageFile(int32_t handle, const std::string& path);

} // namespace karwen
