#include "pixel_view.h"

#include "rix.h"

namespace karwen::canopy {

std::optional<PixelView> pixelViewOf(int32_t handle)
{
    const uint32_t* bits = nullptr;
    int32_t stride = 0;
    if (RixPixels(handle, &bits, &stride) != 1)
        return std::nullopt;
    return PixelView{bits, RixWidth(handle), RixHeight(handle), stride};
}

} // namespace karwen::canopy
