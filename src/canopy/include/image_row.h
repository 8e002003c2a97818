// One photo's row of canopy figures read from images of the imaging
// library by their handles: the figures from every pixel of the photo, and
// those of the 1000 sample dots read from a fisheye view converted from it,
// the dots classified by the pixels' threshold.
#pragma once

#include "canopy_row.h"
#include "sky_pixels.h"

#include <cstdint>
#include <string>

namespace karwen::canopy {

// photo is seen through source and lens (nullptr for source's ideal
// projection; a lens that does not fit gives a failed row saying why); view
// is the photo converted to viewRecord
// (its projection and circle), as the window's destination view or any
// image of that record. A photo whose pixels give no figures gives a
// failed row; a view that cannot be read leaves the dot figures out. With
// light (nullptr for none), a measured row also holds the light figures.
[[nodiscard]] CanopyRow measureImages(std::string file, int32_t photo, const ProjectionRecord& source,
    const RixLens* lens, int32_t view, const ProjectionRecord& viewRecord, const CanopySettings& settings,
    const LightRequest* light = nullptr);

// The same row with the view never made: the dots are read from a
// viewWidth x viewHeight conversion of the photo to viewRecord, nearest
// pixel, resampled at the dots alone (see classifyDotsOf). The figures
// equal those of measureImages on such a view.
[[nodiscard]] CanopyRow measurePhoto(std::string file, int32_t photo, const ProjectionRecord& source,
    const RixLens* lens, const ProjectionRecord& viewRecord, int viewWidth, int viewHeight,
    const CanopySettings& settings, const LightRequest* light = nullptr);

// The sky image of the photo of a row measured from it: through the row's
// circle, lens, settings and threshold, as its figures were. An empty one
// for a failed row.
[[nodiscard]] SkyImage skyImageOf(int32_t photo, const CanopyRow& row);

} // namespace karwen::canopy
