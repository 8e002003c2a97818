// One photo's line of canopy figures, the same for the window's export and
// for the command line: where the figures come from (the file, the circle
// the pixels were read through, the settings), the figures from every pixel
// and from the sample dots, or why the photo gave none.
#pragma once

#include "canopy_settings.h"
#include "dot_figures.h"
#include "light_row.h"
#include "photo_metadata.h"
#include "pixel_figures.h"
#include "rix.h"

#include <cstdint>
#include <optional>
#include <string>

namespace karwen::canopy {

// Where the circle a photo was measured through comes from: given by the
// user, the image circle found on the photo (its rim the 90-degree
// horizon), the window's source circle as set, or a per-photo settings
// table.
enum class CircleOrigin { Given, Detected, Window, Table };

struct CanopyRow {
    std::string file;  // the photo's path as the user gave it
    std::string error; // empty when the photo was measured
    CanopySettings settings;
    ProjectionRecord source{};                 // the source circle and view angles
    std::optional<RixLens> lens;               // the source's lens; none for an ideal projection
    std::optional<PixelFigures> pixels;        // set exactly when error is empty
    int32_t dstProjection = 0;                 // the projection the dots lie in
    std::optional<DotFigures> dots;            // none when the dots gave no figures
    CircleOrigin circle = CircleOrigin::Given; // of source
    // The name of the real lens source was read through, as the caller
    // knows it; "" for an ideal projection.
    std::string lensName{};
    // The light figures, when the run asked for them and the pixels gave
    // figures.
    std::optional<LightRow> light{};
    // What the photo's file records of how and where it was taken, as far
    // as the caller read it.
    files::PhotoMetadata metadata{};
};

// A measured photo, seen through source and lens (nullptr for source's
// ideal projection). A pixel status other than Ok makes it a failed row
// whose error tells that status (for a lens that does not fit, why); a dot
// status other than Ok leaves the dot figures out and the row as it is.
[[nodiscard]] CanopyRow canopyRow(std::string file, const CanopySettings& settings, const ProjectionRecord& source,
    const RixLens* lens, const PixelFigures& pixels, int32_t dstProjection, const DotFigures& dots);
// A photo that gave no figures, and why.
[[nodiscard]] CanopyRow failedRow(std::string file, std::string error, const CanopySettings& settings);

// Why there are no figures, in plain words; "" for Ok.
[[nodiscard]] std::string describe(PixelStatus status);
[[nodiscard]] std::string describe(DotStatus status);

} // namespace karwen::canopy
