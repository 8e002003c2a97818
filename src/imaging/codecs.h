// BMP and JPEG files. Loaders throw rix::Error for anything they cannot read;
// savers write to a temporary name in the target folder and rename it over
// the target, so a failed save never leaves a half-written file behind.
#pragma once

#include "image.h"

#include <memory>
#include <string>

namespace rix {

std::unique_ptr<Image> loadBmp(const std::string& path);
std::unique_ptr<Image> loadJpeg(const std::string& path);
void saveBmp(const Image& image, const std::string& path);
void saveJpeg(const Image& image, const std::string& path, int quality);

} // namespace rix
