// The value a pixel is thresholded on: its blue channel or its luma,
// linearised as 255 (v / 255)^gamma and rounded to an integer 0..255.
#pragma once

#include "canopy_settings.h"

#include <array>
#include <cstdint>

namespace karwen::canopy {

class ValueTable {
public:
    ValueTable(Channel channel, double gamma);

    [[nodiscard]] uint8_t operator()(uint32_t pixel) const { return lut_[raw(pixel)]; }
    // The linearised value before rounding.
    [[nodiscard]] double linear(uint32_t pixel) const { return linear_[raw(pixel)]; }

    // The channel value before linearising. Luma is rounded to the nearest
    // integer first, so that one 256-entry table serves both channels.
    [[nodiscard]] unsigned raw(uint32_t pixel) const
    {
        if (readsBlueByte(channel_))
            return pixel & 0xffu;
        const unsigned r = (pixel >> 16) & 0xffu, g = (pixel >> 8) & 0xffu, b = pixel & 0xffu;
        return (30u * r + 59u * g + 11u * b + 50u) / 100u;
    }

    [[nodiscard]] Channel channel() const { return channel_; }
    [[nodiscard]] const std::array<uint8_t, 256>& table() const { return lut_; }

private:
    Channel channel_;
    std::array<uint8_t, 256> lut_{};
    std::array<double, 256> linear_{};
};

} // namespace karwen::canopy
