#include "image.h"

#include <algorithm>
#include <stdexcept>

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
        throw std::invalid_argument("image size out of range");
    pixels_ = PixelBuffer(pixelCount());
}

} // namespace rix
