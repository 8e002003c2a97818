#include "dot_gaps.h"

#include "area_file.h"
#include "dot_placement.h"
#include "dot_sky.h"
#include "mdl_karwen.h"
#include "pixel_values.h"

#include <cmath>

namespace karwen::canopy {

std::optional<DotReading> classifyDots(const PixelView& dst, const ProjectionRecord& dstRecord,
                                       const CanopySettings& settings, int threshold)
{
    if (!isValid(dst) || !isValid(settings) || threshold < 0 || threshold > 255 || !dotTablesFilled())
        return std::nullopt;
    // The view's own placement at scale 1, no scrolling and a picture as
    // high as the image: view y counts down from the top edge, so view
    // pixel row r shows image row height - 1 - r.
    std::array<float, kDotCount + 1> x{}, y{};
    computeDotPositions({dstRecord.Cx, dstRecord.Cy, dstRecord.R}, {1.0f, 0, 0, dst.height}, x, y);
    const ValueTable values(settings.channel, settings.gamma);
    DotReading reading;
    for (std::size_t n = 1; n <= kDotCount; ++n) {
        const double column = std::floor(double(x[n]));
        const double row = dst.height - 1 - std::floor(double(y[n]));
        if (!(column >= 0.0 && column < dst.width && row >= 0.0 && row < dst.height)) {
            ++reading.outside;
            continue;
        }
        const uint32_t pixel = dst.row(static_cast<int>(row))[static_cast<int>(column)];
        reading.gaps[n] = values(pixel) > threshold;
    }
    return reading;
}

bool assignDotClasses(const DotGaps& gaps, int16_t gapClass)
{
    if (gapClass < 1 || gapClass >= kAreaClassCount)
        return false;
    AreaData classes{AreaFileTag, kDotCount, {}};
    for (std::size_t n = 1; n <= kDotCount; ++n)
        classes.dotClass[n] = gaps[n] ? gapClass : int16_t{0};
    applyAreaData(classes);
    markAreaKept();
    return true;
}

} // namespace karwen::canopy
