#include "image.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace rix {

Image::Image(int32_t width, int32_t height)
    : Image(width, height, kForOverwrite)
{
    // Black is not all-zero bytes, so even fresh, zeroed pages are written;
    // a reused buffer costs a few milliseconds for 48 MB.
    std::fill_n(pixels_.data(), pixelCount(), kBlackPixel);
}

Image::Image(int32_t width, int32_t height, ForOverwrite)
    : width_(width)
    , height_(height)
{
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide)
        throw std::invalid_argument("image size " + std::to_string(width) + " x " + std::to_string(height)
            + " is not 1 to " + std::to_string(kMaxSide) + " pixels a side");
    pixels_ = PixelBuffer(pixelCount());
}

} // namespace rix
