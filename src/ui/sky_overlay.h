// The Canopy window's "Show sky" tint as an image for the source view: the
// photo's size, row 0 its top row, the sky pixels a half-transparent
// magenta (a colour neither sky nor foliage has), every other pixel clear.
#pragma once

#include "sky_pixels.h"

#include <QImage>

#include <vector>

namespace karwen::ui {

// qRgba(255, 0, 200, 150) premultiplied.
inline constexpr QRgb kSkyTint = qRgba(150, 0, 118, 150);

[[nodiscard]] QImage skyOverlay(const std::vector<canopy::PixelRun>& runs, int width, int height);

} // namespace karwen::ui
