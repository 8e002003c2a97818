#include "pixel_values.h"

#include <cmath>

namespace karwen::canopy {

ValueTable::ValueTable(Channel channel, double gamma)
    : channel_(channel)
{
    for (std::size_t v = 0; v < 256; ++v) {
        linear_[v] = 255.0 * std::pow(double(v) / 255.0, gamma);
        lut_[v] = static_cast<uint8_t>(std::lround(linear_[v]));
    }
}

} // namespace karwen::canopy
