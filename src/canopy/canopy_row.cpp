#include "canopy_row.h"

#include "source_lens.h"

#include <utility>

namespace karwen::canopy {

CanopyRow canopyRow(std::string file, const CanopySettings& settings, const ProjectionRecord& source,
    const RixLens* lens, const PixelFigures& pixels, int32_t dstProjection, const DotFigures& dots)
{
    if (pixels.status == PixelStatus::BadLens) {
        const std::string why = sourceLensProblem(source, lens);
        return failedRow(std::move(file), why.empty() ? describe(pixels.status) : why, settings);
    }
    if (pixels.status != PixelStatus::Ok)
        return failedRow(std::move(file), describe(pixels.status), settings);
    CanopyRow row{std::move(file), {}, settings, source, keptLens(lens), pixels, dstProjection, std::nullopt};
    if (dots.status == DotStatus::Ok)
        row.dots = dots;
    return row;
}

CanopyRow failedRow(std::string file, std::string error, const CanopySettings& settings)
{
    CanopyRow row;
    row.file = std::move(file);
    row.error = std::move(error);
    row.settings = settings;
    return row;
}

std::string describe(PixelStatus status)
{
    switch (status) {
    case PixelStatus::Ok:
        return {};
    case PixelStatus::BadSettings:
        return "the canopy settings are out of range";
    case PixelStatus::BadPixels:
        return "the photo has no pixels to read";
    case PixelStatus::BadRecord:
        return "the source circle is not usable (its radius must be above 0, its projection a fisheye)";
    case PixelStatus::BadLens:
        return "the source lens does not fit the source projection";
    case PixelStatus::NoPixels:
        return "no pixel of the photo lies within 90 degrees of the view direction";
    case PixelStatus::NoThreshold:
        return "no threshold found; give a fixed threshold";
    }
    return "unknown status";
}

std::string describe(DotStatus status)
{
    switch (status) {
    case DotStatus::Ok:
        return {};
    case DotStatus::Unavailable:
        return "a perspective destination does not show the hemisphere that the dots stand for";
    case DotStatus::OffPhoto:
        return "every dot falls off the photo";
    case DotStatus::BadSettings:
        return "the canopy settings are out of range";
    case DotStatus::NoTables:
        return "the dot tables are not filled yet";
    }
    return "unknown status";
}

} // namespace karwen::canopy
