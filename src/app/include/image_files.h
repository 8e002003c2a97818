// Image files by name. A name whose last extension is .bmp, or .jpg, .jpeg
// or .jpe, in any case, is a BMP or a JPEG file; so is, for the open and save
// commands, any other name whose last three characters read "BMP" or "JPG"
// in any case. Anything else is not an image file of this program. The
// photos of a batch follow their last extension alone. Loading and saving go
// through the imaging library.
#pragma once

#include <cstdint>
#include <string>

namespace karwen {

enum class ImageFormat { Other, Bmp, Jpg };

inline constexpr int32_t kJpegQuality = 75;

[[nodiscard]] ImageFormat imageFormatOf(const std::string& path);

// The extensions named in messages to the user, as one list.
inline constexpr const char* kImageExtensionsText = "(.bmp, .jpg, .jpeg, .jpe)";

// The format a batch photo is read as, by the text after the name's last
// '.', in any case: "bmp" is BMP; "jpg", "jpeg" and "jpe" are JPEG.
[[nodiscard]] ImageFormat photoFormatOf(const std::string& path);

// The handle of the image read, or 0 or less when it cannot be read (or the
// name asks for no format); RixLastError() then tells why.
[[nodiscard]] int32_t loadImageFile(const std::string& path);
// The same, read as the given format.
[[nodiscard]] int32_t loadImageFile(const std::string& path, ImageFormat format);

// For the window: as loadImageFile, except that a file whose pixel data is
// damaged still loads with what could be read; damage then receives the
// library's words for what is wrong, else "".
[[nodiscard]] int32_t loadImageFileKeepingDamage(const std::string& path, std::string& damage);

// Writes the image in the format the name asks for (JPEG at the quality
// given, 1 to 100); false when nothing was written.
[[nodiscard]] bool saveImageFile(int32_t handle, const std::string& path, int32_t quality = kJpegQuality);

} // namespace karwen
