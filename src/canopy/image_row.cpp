#include "image_row.h"

#include "dot_gaps.h"
#include "light_regions.h"
#include "pixel_view.h"
#include "rix.h"

#include <utility>

namespace karwen::canopy {

namespace {

// The row from the photo's pixels and the dots readDots classifies by the
// pixels' threshold (nullopt leaves the dot figures out), with the settings
// the photo takes (forPhoto).
template <class ReadDots>
CanopyRow measureWith(std::string file, int32_t photo, const ProjectionRecord& source, const RixLens* lens,
    const ProjectionRecord& viewRecord, const CanopySettings& chosen, const LightRequest* light, ReadDots readDots)
{
    const CanopySettings settings = forPhoto(chosen, RixIsGrey(photo) == 1);
    const std::optional<PixelView> photoPixels = pixelViewOf(photo);
    if (!photoPixels)
        return failedRow(std::move(file), describe(PixelStatus::BadPixels), settings);
    const PixelFigures pixels = measurePixels(*photoPixels, source, lens, settings);
    DotFigures dots;
    dots.status = DotStatus::NoTables; // left out unless the dots are read
    if (pixels.status == PixelStatus::Ok) {
        const std::optional<DotReading> reading = readDots(pixels.threshold, settings);
        if (reading)
            dots = measureDots(reading->gaps, viewRecord.Proj, settings, reading->outsideDots);
    }
    CanopyRow row = canopyRow(std::move(file), settings, source, lens, pixels, viewRecord.Proj, dots);
    if (light != nullptr && row.error.empty()) {
        const RegionGaps regions = measureRegionGaps(*photoPixels, source, lens, settings, pixels.threshold,
            light::SkyGrid::of(light->settings), light->orientation);
        row.light = lightRowOf(*light, regions);
    }
    return row;
}

} // namespace

CanopyRow measureImages(std::string file, int32_t photo, const ProjectionRecord& source, const RixLens* lens,
    int32_t view, const ProjectionRecord& viewRecord, const CanopySettings& settings, const LightRequest* light)
{
    return measureWith(std::move(file), photo, source, lens, viewRecord, settings, light,
        [&](int threshold, const CanopySettings& used) -> std::optional<DotReading> {
            const std::optional<PixelView> viewPixels = pixelViewOf(view);
            const std::optional<PhotoSide> photoSide = photoSideOf(photo, source, lens);
            if (!viewPixels || !photoSide)
                return std::nullopt;
            return classifyDots(*viewPixels, viewRecord, *photoSide, used, threshold);
        });
}

CanopyRow measurePhoto(std::string file, int32_t photo, const ProjectionRecord& source, const RixLens* lens,
    const ProjectionRecord& viewRecord, int viewWidth, int viewHeight, const CanopySettings& settings,
    const LightRequest* light)
{
    return measureWith(std::move(file), photo, source, lens, viewRecord, settings, light,
        [&](int threshold, const CanopySettings& used) {
            return classifyDotsOf(photo, source, lens, viewRecord, viewWidth, viewHeight, used, threshold);
        });
}

SkyImage skyImageOf(int32_t photo, const CanopyRow& row)
{
    const std::optional<PixelView> view = pixelViewOf(photo);
    if (!row.error.empty() || !row.pixels || !view)
        return {};
    return skyImage(*view, row.source, row.lens ? &*row.lens : nullptr, row.settings, row.pixels->threshold);
}

} // namespace karwen::canopy
