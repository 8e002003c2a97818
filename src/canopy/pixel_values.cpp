#include "pixel_values.h"

#include <cmath>

namespace karwen::canopy {

ValueTable::ValueTable(Channel channel, double gamma)
    : channel_(channel)
{
    for (int v = 0; v < 256; ++v)
        lut_[static_cast<std::size_t>(v)] = static_cast<uint8_t>(std::lround(255.0 * std::pow(v / 255.0, gamma)));
}

} // namespace karwen::canopy
