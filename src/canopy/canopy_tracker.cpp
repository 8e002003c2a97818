#include "canopy_tracker.h"

#include "dot_gaps.h"
#include "pixel_view.h"

#include <cstring>

namespace karwen::canopy {

namespace {

// Bit for bit, so that a record holding a NaN still equals itself.
bool sameRecord(const ProjectionRecord& a, const ProjectionRecord& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

} // namespace

CanopyTracker::Refreshed CanopyTracker::refresh(
    int32_t source, const ProjectionRecord& sourceRecord, int32_t dstProjection, const DotClasses& classes)
{
    Refreshed refreshed;
    if (source < 1) {
        refreshed = {pixels_.has_value(), dots_.has_value()};
        pixelInputs_.reset();
        dotInputs_.reset();
        pixels_.reset();
        dots_.reset();
        return refreshed;
    }

    if (!pixelInputs_ || pixelInputs_->source != source || !sameRecord(pixelInputs_->record, sourceRecord)
        || !(pixelInputs_->settings == settings_)) {
        pixelInputs_ = PixelInputs{source, sourceRecord, settings_};
        const std::optional<PixelView> view = pixelViewOf(source);
        if (view) {
            pixels_ = measurePixels(*view, sourceRecord, settings_);
        } else {
            pixels_ = PixelFigures{};
            pixels_->status = PixelStatus::BadPixels;
        }
        refreshed.pixels = true;
    }

    if (!dotInputs_ || dotInputs_->classes != classes || dotInputs_->gapClass != gapClass_
        || dotInputs_->projection != dstProjection || !(dotInputs_->settings == settings_)) {
        dotInputs_ = DotInputs{classes, gapClass_, dstProjection, settings_};
        dots_ = measureDots(gapsOfClass(classes, gapClass_), dstProjection, settings_);
        refreshed.dots = true;
    }
    return refreshed;
}

} // namespace karwen::canopy
