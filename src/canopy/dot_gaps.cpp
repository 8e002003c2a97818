#include "dot_gaps.h"

#include "area_file.h"
#include "dot_placement.h"
#include "dot_sky.h"
#include "mdl_karwen.h"
#include "pixel_values.h"

#include <array>
#include <cmath>
#include <vector>

namespace karwen::canopy {

namespace {

// The pixel under each dot's centre, where the destination view places the
// dots at scale 1 with no scrolling and a picture as high as the image:
// view y counts down from the top edge, so view pixel row r shows image
// row height - 1 - r. Rows count up from the bottom edge.
struct DotPixels {
    std::vector<std::size_t> dots; // the dots on the image, 1..1000
    std::vector<int32_t> columns, rows;
    int outside = 0;
};

DotPixels dotPixels(const ProjectionRecord& dstRecord, int width, int height)
{
    std::array<float, kDotCount + 1> x{}, y{};
    computeDotPositions({dstRecord.Cx, dstRecord.Cy, dstRecord.R}, {1.0f, 0, 0, height}, x, y);
    DotPixels pixels;
    for (std::size_t n = 1; n <= kDotCount; ++n) {
        const double column = std::floor(double(x[n]));
        const double row = height - 1 - std::floor(double(y[n]));
        if (!(column >= 0.0 && column < width && row >= 0.0 && row < height)) {
            ++pixels.outside;
            continue;
        }
        pixels.dots.push_back(n);
        pixels.columns.push_back(static_cast<int32_t>(column));
        pixels.rows.push_back(static_cast<int32_t>(row));
    }
    return pixels;
}

bool canRead(const CanopySettings& settings, int threshold)
{
    return isValid(settings) && threshold >= 0 && threshold <= 255 && dotTablesFilled();
}

// The reading of the dots on the image, pixelOf(i) giving dot i's pixel.
template <class PixelOf>
DotReading readingOf(const DotPixels& pixels, const CanopySettings& settings, int threshold, PixelOf pixelOf)
{
    const ValueTable values(settings.channel, settings.gamma);
    DotReading reading;
    reading.outside = pixels.outside;
    for (std::size_t i = 0; i < pixels.dots.size(); ++i)
        reading.gaps[pixels.dots[i]] = values(pixelOf(i)) > threshold;
    return reading;
}

} // namespace

std::optional<DotReading> classifyDots(const PixelView& dst, const ProjectionRecord& dstRecord,
                                       const CanopySettings& settings, int threshold)
{
    if (!isValid(dst) || !canRead(settings, threshold))
        return std::nullopt;
    const DotPixels pixels = dotPixels(dstRecord, dst.width, dst.height);
    return readingOf(pixels, settings, threshold,
                     [&](std::size_t i) { return dst.row(pixels.rows[i])[pixels.columns[i]]; });
}

std::optional<DotReading> classifyDotsOf(int32_t photo, const ProjectionRecord& source,
                                         const ProjectionRecord& dstRecord, int width, int height,
                                         const CanopySettings& settings, int threshold)
{
    if (width < 1 || height < 1 || !canRead(settings, threshold))
        return std::nullopt;
    const DotPixels pixels = dotPixels(dstRecord, width, height);
    std::vector<uint32_t> read(pixels.dots.size());
    constexpr int32_t kNearest = 0;
    if (RixSDeformPoints(photo, width, height, &source, &dstRecord, kNearest, pixels.columns.data(),
                         pixels.rows.data(), static_cast<int32_t>(read.size()), read.data())
        != 1)
        return std::nullopt;
    return readingOf(pixels, settings, threshold, [&](std::size_t i) { return read[i]; });
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
