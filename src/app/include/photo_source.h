// Reading a photo through a source record, with no shared state: whether a
// handle names an image, the one conversion call, the lens a record reads
// through, and the tests on a photo's circle and points. The windows, the
// batch and the command line share them.
#pragma once

#include "lens_catalogue.h"
#include "rix.h"

#include <cstdint>
#include <iterator>
#include <optional>
#include <string>

namespace karwen {

// A handle names an image only when it is 1 or more.
[[nodiscard]] inline bool isImage(int32_t handle) { return handle >= 1; }

// The interpolations a conversion takes, by code (0 nearest, 1 bilinear, 2
// cubic convolution): their keys on the command line and in a folder's
// settings record.
inline constexpr const char* kInterpolationKeys[] = {"nearest", "bilinear", "cubic"};
[[nodiscard]] inline constexpr bool isInterpolation(int32_t interp)
{
    return interp >= 0 && interp < int32_t(std::size(kInterpolationKeys));
}

// The one conversion call, also for images the windows do not show (the
// batch): resamples src into dst when both are images; false when nothing
// was converted. A source read through a real lens (srcPrm.Proj
// RixLensSource) needs its lens in srcLens; other sources ignore it.
[[nodiscard]] bool convertImages(int32_t src, int32_t dst, const ProjectionRecord& srcPrm,
    const ProjectionRecord& dstPrm, int32_t interp, const RixLens* srcLens = nullptr);
// The lens of a source record: the given lens when prm reads the photo
// through one (Proj RixLensSource), else nullptr.
[[nodiscard]] const RixLens* lensOf(const ProjectionRecord& prm, const std::optional<NamedLens>& lens);
// Its name, as the CSV's lens column gives it; "" for an ideal projection.
[[nodiscard]] std::string lensNameOf(const ProjectionRecord& prm, const std::optional<NamedLens>& lens);

// A point in continuous coordinates lies on a width x height photo, which
// covers 0..width and 0..height.
[[nodiscard]] bool isOnPhoto(double x, double y, int32_t width, int32_t height);
// A found image circle a photo can be read through: found with confidence
// and centred on the width x height photo (a gradient fits a circle centred
// far off it).
[[nodiscard]] bool isUsableCircle(const RixCircle& circle, int32_t width, int32_t height);
// The circle assumed on a picture whose content fills box: centred on the
// box, radius 0.47 of its larger side (a little inside the rim). Sets Cx,
// Cy and R of prm only.
void circleFromBound(const RixRect& box, ProjectionRecord& prm);

} // namespace karwen
