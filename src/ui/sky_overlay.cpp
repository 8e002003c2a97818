#include "sky_overlay.h"

#include <algorithm>

namespace karwen::ui {

QImage skyOverlay(const std::vector<canopy::PixelRun>& runs, int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image; // no memory for it: no tint rather than a failure
    image.fill(Qt::transparent);
    for (const canopy::PixelRun& run : runs) {
        if (run.y < 0 || run.y >= height || run.x0 < 0 || run.x1 > width)
            continue;
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(height - 1 - run.y));
        std::fill(line + run.x0, line + run.x1, kSkyTint);
    }
    return image;
}

} // namespace karwen::ui
