// BMP and JPEG files. Loaders throw rix::Error for anything they cannot read;
// savers encode the whole file in memory and hand it to saveFile (see
// save_file.h for links, permissions and what a failure leaves behind).
#pragma once

#include "image.h"

#include <memory>
#include <string>

namespace rix {

std::unique_ptr<Image> loadBmp(const std::string& path);
std::unique_ptr<Image> loadJpeg(const std::string& path);
// loadJpeg at 1 / scale (scale 1, 2, 4 or 8; see decodeJpeg).
std::unique_ptr<Image> loadScaledJpeg(const std::string& path, int scale);
// The size a JPEG file's header gives, without decoding its pixels.
void jpegFileSize(const std::string& path, int& width, int& height);
// Loads as above, but keeps a file whose pixel data is damaged (see
// salvageBmpFromMemory); the damage message names the file.
DecodedImage salvageBmp(const std::string& path);
DecodedImage salvageJpeg(const std::string& path);
void saveBmp(const Image& image, const std::string& path);
void saveJpeg(const Image& image, const std::string& path, int quality);

// Whether the photo file holds one grey channel (jpegIsGrey, bmpIsGrey), from
// its headers alone; throws Error naming the file when they cannot be read.
[[nodiscard]] bool fileIsGrey(const std::string& path);

} // namespace rix
