// Which pixels a light run counts as sky, and the sums over one run of a
// row's pixels: a pixel is sky when its value, read as the pixel figures
// read it (pixel_values.h), lies above the threshold, so a 256-entry table
// of the raw channel value tells it.
#pragma once

#include "canopy_settings.h"
#include "pixel_values.h"

#include <array>
#include <cstdint>

namespace karwen::canopy {

struct RunSums {
    double all = 0.0; // the solid angle of the pixels
    double gap = 0.0; // of those counted as sky
};

class SkyTable {
public:
    SkyTable(const CanopySettings& settings, int threshold);

    // How the table linearises a pixel's value.
    [[nodiscard]] const ValueTable& values() const { return values_; }

    // 1 for a sky pixel, else 0.
    [[nodiscard]] double of(uint32_t pixel) const { return sky_[values_.raw(pixel)]; }

    // The sums over n pixels and their weights.
    [[nodiscard]] RunSums sumRun(const uint32_t* pixels, const float* weights, int n) const;

private:
    ValueTable values_;
    std::array<float, 256> sky_{};
    unsigned lastCanopy_ = 0; // no raw value is canopy when the first is sky: see monotonic_
    bool monotonic_ = false;  // sky exactly above lastCanopy_
};

} // namespace karwen::canopy
