#include "image.h"

#include <stdexcept>

namespace rix {

Image::Image(int32_t width, int32_t height)
    : width_(width)
    , height_(height)
{
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide)
        throw std::invalid_argument("image size out of range");
    pixels_ = PixelBuffer(std::size_t(width) * std::size_t(height));
}

} // namespace rix
