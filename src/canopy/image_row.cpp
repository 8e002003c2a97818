#include "image_row.h"

#include "dot_gaps.h"
#include "pixel_view.h"

#include <utility>

namespace karwen::canopy {

CanopyRow measureImages(std::string file, int32_t photo, const ProjectionRecord& source, int32_t view,
                        const ProjectionRecord& viewRecord, const CanopySettings& settings)
{
    const std::optional<PixelView> photoPixels = pixelViewOf(photo);
    if (!photoPixels)
        return failedRow(std::move(file), describe(PixelStatus::BadPixels), settings);
    const PixelFigures pixels = measurePixels(*photoPixels, source, settings);
    DotFigures dots;
    dots.status = DotStatus::NoTables; // left out unless the view is read
    if (pixels.status == PixelStatus::Ok) {
        const std::optional<PixelView> viewPixels = pixelViewOf(view);
        const std::optional<DotReading> reading
            = viewPixels ? classifyDots(*viewPixels, viewRecord, settings, pixels.threshold) : std::nullopt;
        if (reading)
            dots = measureDots(reading->gaps, viewRecord.Proj, settings);
    }
    return canopyRow(std::move(file), settings, source, pixels, viewRecord.Proj, dots);
}

} // namespace karwen::canopy
