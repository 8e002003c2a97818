// The canopy figures of the open photo, kept current at the cost of what
// changed: the pixel figures are measured again only when the photo, its
// source record, its lens or the settings change, the dot figures only when the dot
// classes, the class that counts as gap, the destination projection, the
// settings or the set of dots that fall off the photo change. A brush stroke
// therefore costs one measureDots, and the sky map behind the pixel figures
// is the library's shared one. The light figures, when asked for, are
// measured again with the pixel figures (by their threshold) or when the
// request changes; their models come from the light library's caches.
//
// When the destination's dots give no leaf area index (a perspective
// destination, or a zenith ring without a dot, as an orthographic one
// leaves near the zenith with many rings), the dot figures come from the
// command line's dots instead (dots_view.h), classified by the pixels'
// threshold; dotOrigin() says which.
#pragma once

#include "area_model.h"
#include "canopy_settings.h"
#include "dot_figures.h"
#include "light_row.h"
#include "pixel_figures.h"
#include "rix.h"
#include "sky_pixels.h"

#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace karwen::canopy {

using DotClasses = std::array<int16_t, kDotCount + 1>;

// Where the dot figures shown come from.
enum class DotOrigin {
    Destination, // the dots of the destination view, in the classes they hold
    DotsView,    // the command line's equisolid view, classified by the threshold
};

// The destination the dots lie on: its record and size.
struct DotView {
    ProjectionRecord record{};
    int width = 0, height = 0;
};

class CanopyTracker {
public:
    struct Refreshed {
        bool pixels = false;
        bool dots = false;
        bool light = false;
    };

    // The settings the figures were measured with: those set, with a grey
    // photo's channel (forPhoto) once refresh has seen the photo.
    [[nodiscard]] const CanopySettings& settings() const { return settings_; }
    void setSettings(const CanopySettings& settings) { chosen_ = settings_ = settings; }
    // The class whose dots count as gap, 1..15.
    [[nodiscard]] int16_t gapClass() const { return gapClass_; }
    void setGapClass(int16_t gapClass) { gapClass_ = gapClass; }
    // The light figures to measure with the pixel figures; none for none.
    [[nodiscard]] const std::optional<LightRequest>& lightRequest() const { return lightRequest_; }
    void setLight(std::optional<LightRequest> request) { lightRequest_ = std::move(request); }

    // Brings the figures up to date with the photo `source` (an image
    // handle; below 1 for none) and says which were measured again. Without
    // a photo there are no figures. Dots whose point falls off the photo
    // seen through sourceRecord and lens (nullptr for the record's ideal
    // projection) are left out of the dot figures.
    Refreshed refresh(int32_t source, const ProjectionRecord& sourceRecord, const RixLens* lens, const DotView& dotView,
        const DotClasses& classes);

    [[nodiscard]] const std::optional<PixelFigures>& pixels() const { return pixels_; }
    // The dot figures shown: the destination's, or the dots view's when
    // the destination gives no leaf area index and the dots view does.
    [[nodiscard]] const std::optional<DotFigures>& dots() const { return shownDots(); }
    [[nodiscard]] DotOrigin dotOrigin() const { return fallbackShown() ? DotOrigin::DotsView : DotOrigin::Destination; }
    // The projection the dots shown lie in.
    [[nodiscard]] int32_t dotProjection() const;
    // The destination's own dot figures, shown or not.
    [[nodiscard]] const std::optional<DotFigures>& destinationDots() const { return dots_; }

    // The light figures of the request, from the regions' gap fractions read
    // by the pixel figures' threshold; none without a request or without
    // pixel figures.
    [[nodiscard]] const std::optional<LightRow>& light() const { return light_; }

    // The photo's pixels the figures count as sky (sky_pixels.h), found on
    // first asking after each new measurement; none without pixel figures.
    [[nodiscard]] const std::vector<PixelRun>& skyRuns();
    // The photo's sky image by the same pixels (sky_pixels.h); an empty one
    // without pixel figures.
    [[nodiscard]] SkyImage skyImage() const;

private:
    struct PixelInputs {
        int32_t source;
        ProjectionRecord record;
        std::optional<RixLens> lens;
        CanopySettings settings;
    };
    struct DotInputs {
        DotClasses classes;
        int16_t gapClass;
        int32_t projection;
        CanopySettings settings;
        DotMask offPhoto;
    };
    struct MaskInputs {
        int32_t source;
        ProjectionRecord record;
        std::optional<RixLens> lens;
        DotView view;
    };

    const DotMask& offPhoto(
        int32_t source, const ProjectionRecord& sourceRecord, const RixLens* lens, const DotView& dotView);
    // The dots view's figures for the pixels just measured.
    [[nodiscard]] std::optional<DotFigures> dotsViewFigures() const;
    // The light row of the request for the pixels just measured.
    [[nodiscard]] std::optional<LightRow> lightFigures() const;
    [[nodiscard]] bool fallbackShown() const;
    [[nodiscard]] const std::optional<DotFigures>& shownDots() const { return fallbackShown() ? fallback_ : dots_; }

    CanopySettings chosen_;   // as set
    CanopySettings settings_; // as measured
    int16_t gapClass_ = 1;
    std::optional<PixelInputs> pixelInputs_;
    std::optional<DotInputs> dotInputs_;
    std::optional<MaskInputs> maskInputs_;
    DotMask offPhoto_{};
    std::optional<PixelFigures> pixels_;
    std::optional<DotFigures> dots_;
    std::optional<DotFigures> fallback_; // the dots view's, measured with the pixels
    std::optional<std::vector<PixelRun>> skyRuns_;
    std::optional<LightRequest> lightRequest_;
    std::optional<LightRequest> lightInputs_; // the request light_ was measured for
    std::optional<LightRow> light_;
};

} // namespace karwen::canopy
