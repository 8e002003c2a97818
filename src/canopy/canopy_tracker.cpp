#include "canopy_tracker.h"

#include "dot_gaps.h"
#include "dots_view.h"
#include "light_regions.h"
#include "pixel_view.h"
#include "rix.h"
#include "same_record.h"
#include "source_lens.h"

namespace karwen::canopy {

namespace {

bool givesLai(const std::optional<DotFigures>& dots)
{
    return dots && dots->status == DotStatus::Ok && dots->le.has_value();
}

} // namespace

bool CanopyTracker::fallbackShown() const
{
    if (givesLai(dots_) || !givesLai(fallback_))
        return false;
    // Dots the settings or the tables cannot measure give nothing anywhere.
    return dots_ && dots_->status != DotStatus::BadSettings && dots_->status != DotStatus::NoTables;
}

int32_t CanopyTracker::dotProjection() const
{
    return fallbackShown() ? kDotsViewRecord.Proj : dotInputs_ ? dotInputs_->projection : 0;
}

std::optional<DotFigures> CanopyTracker::dotsViewFigures() const
{
    if (!pixels_ || pixels_->status != PixelStatus::Ok)
        return std::nullopt;
    const std::optional<DotReading> reading
        = classifyDotsOf(pixelInputs_->source, pixelInputs_->record, lensPointer(pixelInputs_->lens), kDotsViewRecord,
            kDotsViewSide, kDotsViewSide, pixelInputs_->settings, pixels_->threshold);
    if (!reading)
        return std::nullopt;
    return measureDots(reading->gaps, kDotsViewRecord.Proj, pixelInputs_->settings, reading->outsideDots);
}

std::optional<LightRow> CanopyTracker::lightFigures() const
{
    if (!lightRequest_ || !pixels_ || pixels_->status != PixelStatus::Ok)
        return std::nullopt;
    const std::optional<PixelView> view = pixelViewOf(pixelInputs_->source);
    if (!view)
        return std::nullopt;
    const RegionGaps regions
        = measureRegionGaps(*view, pixelInputs_->record, lensPointer(pixelInputs_->lens), pixelInputs_->settings,
            pixels_->threshold, light::SkyGrid::of(lightRequest_->settings), lightRequest_->orientation);
    return lightRowOf(*lightRequest_, regions);
}

const std::vector<PixelRun>& CanopyTracker::skyRuns()
{
    if (!skyRuns_) {
        skyRuns_.emplace();
        if (pixels_ && pixels_->status == PixelStatus::Ok)
            if (const std::optional<PixelView> view = pixelViewOf(pixelInputs_->source))
                *skyRuns_ = canopy::skyRuns(*view, pixelInputs_->record, lensPointer(pixelInputs_->lens),
                    pixelInputs_->settings, pixels_->threshold);
    }
    return *skyRuns_;
}

SkyImage CanopyTracker::skyImage() const
{
    if (!pixels_ || pixels_->status != PixelStatus::Ok)
        return {};
    const std::optional<PixelView> view = pixelViewOf(pixelInputs_->source);
    if (!view)
        return {};
    return canopy::skyImage(
        *view, pixelInputs_->record, lensPointer(pixelInputs_->lens), pixelInputs_->settings, pixels_->threshold);
}

const DotMask& CanopyTracker::offPhoto(
    int32_t source, const ProjectionRecord& sourceRecord, const RixLens* lens, const DotView& dotView)
{
    const bool same = maskInputs_ && maskInputs_->source == source && sameRecord(maskInputs_->record, sourceRecord)
        && sameLens(maskInputs_->lens, keptLens(lens)) && sameRecord(maskInputs_->view.record, dotView.record)
        && maskInputs_->view.width == dotView.width && maskInputs_->view.height == dotView.height;
    if (!same) {
        maskInputs_ = MaskInputs{source, sourceRecord, keptLens(lens), dotView};
        // A view the dots cannot be mapped through leaves every dot in.
        const std::optional<PhotoSide> photo = photoSideOf(source, sourceRecord, lens);
        const std::optional<DotMask> mask
            = photo ? dotsOffPhoto(*photo, dotView.record, dotView.width, dotView.height) : std::nullopt;
        offPhoto_ = mask ? *mask : kNoDots;
    }
    return offPhoto_;
}

CanopyTracker::Refreshed CanopyTracker::refresh(int32_t source, const ProjectionRecord& sourceRecord,
    const RixLens* lens, const DotView& dotView, const DotClasses& classes)
{
    Refreshed refreshed;
    settings_ = forPhoto(chosen_, source >= 1 && RixIsGrey(source) == 1);
    if (source < 1) {
        refreshed = {pixels_.has_value(), dots_.has_value(), light_.has_value()};
        pixelInputs_.reset();
        dotInputs_.reset();
        maskInputs_.reset();
        pixels_.reset();
        dots_.reset();
        fallback_.reset();
        skyRuns_.reset();
        lightInputs_.reset();
        light_.reset();
        return refreshed;
    }

    if (!pixelInputs_ || pixelInputs_->source != source || !sameRecord(pixelInputs_->record, sourceRecord)
        || !sameLens(pixelInputs_->lens, keptLens(lens)) || !(pixelInputs_->settings == settings_)) {
        pixelInputs_ = PixelInputs{source, sourceRecord, keptLens(lens), settings_};
        const std::optional<PixelView> view = pixelViewOf(source);
        if (view) {
            pixels_ = measurePixels(*view, sourceRecord, lens, settings_);
        } else {
            pixels_ = PixelFigures{};
            pixels_->status = PixelStatus::BadPixels;
        }
        refreshed.pixels = true;
        skyRuns_.reset();
        // The dots view is read by the threshold, so it follows the pixels.
        const bool wasShown = fallbackShown();
        fallback_ = dotsViewFigures();
        refreshed.dots = wasShown || fallbackShown();
    }

    if (refreshed.pixels || lightInputs_ != lightRequest_) {
        lightInputs_ = lightRequest_;
        const bool had = light_.has_value();
        light_ = lightFigures();
        refreshed.light = had || light_.has_value();
    }

    const int32_t dstProjection = dotView.record.Proj;
    const DotMask& outside = offPhoto(source, sourceRecord, lens, dotView);
    if (!dotInputs_ || dotInputs_->classes != classes || dotInputs_->gapClass != gapClass_
        || dotInputs_->projection != dstProjection || !(dotInputs_->settings == settings_)
        || dotInputs_->offPhoto != outside) {
        dotInputs_ = DotInputs{classes, gapClass_, dstProjection, settings_, outside};
        dots_ = measureDots(gapsOfClass(classes, gapClass_), dstProjection, settings_, outside);
        refreshed.dots = true;
    }
    return refreshed;
}

} // namespace karwen::canopy
