#include "dot_gaps.h"

#include "dot_placement.h"
#include "dot_sky.h"
#include "last_built.h"
#include "pixel_values.h"
#include "same_record.h"
#include "source_lens.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <vector>

namespace karwen::canopy {

namespace {

// The dots that show part of the photo, with the destination pixel under
// each dot's centre, where the destination view places the dots at scale 1
// with no scrolling and a picture as high as the image (view y counts down
// from the top edge, so view pixel row r shows image row height - 1 - r),
// and the photo point that pixel is resampled from. Rows count up from the
// bottom edge.
struct DotPixels {
    std::vector<std::size_t> dots; // 1..1000
    std::vector<int32_t> columns, rows;
    std::vector<float> photoX, photoY;
    DotMask outside{};
};

DotPixels dotsOnView(const ProjectionRecord& dstRecord, int width, int height)
{
    std::array<float, kDotCount + 1> x{}, y{};
    computeDotPositions({dstRecord.Cx, dstRecord.Cy, dstRecord.R}, {1.0f, 0, 0, height}, x, y);
    DotPixels onView;
    for (std::size_t n = 1; n <= kDotCount; ++n) {
        const double column = std::floor(double(x[n]));
        const double row = height - 1 - std::floor(double(y[n]));
        if (!(column >= 0.0 && column < width && row >= 0.0 && row < height)) {
            onView.outside[n] = true;
            continue;
        }
        onView.dots.push_back(n);
        onView.columns.push_back(static_cast<int32_t>(column));
        onView.rows.push_back(static_cast<int32_t>(row));
    }
    return onView;
}

std::optional<DotPixels> mapDotPixels(const PhotoSide& photo, const ProjectionRecord& dstRecord, int width, int height)
{
    const DotPixels onView = dotsOnView(dstRecord, width, height);
    const auto count = static_cast<int32_t>(onView.dots.size());
    std::vector<float> sx(onView.dots.size()), sy(onView.dots.size());
    // Through a lens, a dot's direction lands where the lens function puts
    // it; the conversion refuses a lens that does not fit the record.
    const int32_t mapped = photo.lens ? RixSDeformSourcesLens(width, height, &photo.record, &*photo.lens, &dstRecord,
                               onView.columns.data(), onView.rows.data(), count, sx.data(), sy.data())
                                      : RixSDeformSources(width, height, &photo.record, &dstRecord,
                                          onView.columns.data(), onView.rows.data(), count, sx.data(), sy.data());
    if (mapped != 1)
        return std::nullopt;
    // Nearest-pixel reading finds the photo pixel holding the point; -1
    // marks a pixel that shows none.
    const auto w = static_cast<float>(photo.width), h = static_cast<float>(photo.height);
    DotPixels pixels;
    pixels.outside = onView.outside;
    for (std::size_t i = 0; i < onView.dots.size(); ++i) {
        if (!(sx[i] >= 0.0f && sx[i] < w && sy[i] >= 0.0f && sy[i] < h)) {
            pixels.outside[onView.dots[i]] = true;
            continue;
        }
        pixels.dots.push_back(onView.dots[i]);
        pixels.columns.push_back(onView.columns[i]);
        pixels.rows.push_back(onView.rows[i]);
        pixels.photoX.push_back(sx[i]);
        pixels.photoY.push_back(sy[i]);
    }
    return pixels;
}

bool sameLens(const std::optional<RixLens>& a, const std::optional<RixLens>& b)
{
    if (!a || !b)
        return !a && !b;
    return std::equal(std::begin(a->A), std::end(a->A), std::begin(b->A)) && a->HalfFov == b->HalfFov;
}

// The dots' pixels for one photo side and view, as mapDotPixels finds them.
struct KeptDotPixels {
    PhotoSide photo;
    ProjectionRecord dstRecord;
    int width, height;
    DotPixels pixels;

    [[nodiscard]] bool isFor(const PhotoSide& p, const ProjectionRecord& dst, int w, int h) const
    {
        return sameRecord(p.record, photo.record) && p.width == photo.width && p.height == photo.height
            && sameLens(p.lens, photo.lens) && sameRecord(dst, dstRecord) && w == width && h == height;
    }
};

// The dots' pixels, those of the last photo side and view asked for kept:
// the photos of a series through one circle map their dots once.
std::optional<DotPixels> dotPixels(const PhotoSide& photo, const ProjectionRecord& dstRecord, int width, int height)
{
    if (width < 1 || height < 1 || photo.width < 1 || photo.height < 1 || !dotTablesFilled())
        return std::nullopt;
    static LastBuilt<std::optional<KeptDotPixels>> last;
    const auto kept = last.get(
        [&](const std::optional<KeptDotPixels>& k) { return k && k->isFor(photo, dstRecord, width, height); },
        [&]() -> std::shared_ptr<const std::optional<KeptDotPixels>> {
            std::optional<DotPixels> pixels = mapDotPixels(photo, dstRecord, width, height);
            if (!pixels)
                return std::make_shared<const std::optional<KeptDotPixels>>();
            return std::make_shared<const std::optional<KeptDotPixels>>(
                KeptDotPixels{photo, dstRecord, width, height, std::move(*pixels)});
        });
    if (!*kept)
        return std::nullopt;
    return (*kept)->pixels;
}

bool canRead(const CanopySettings& settings, int threshold)
{
    return isValid(settings) && threshold >= 0 && threshold <= 255;
}

// The reading of the dots on the photo, pixelOf(i) giving dot i's pixel.
template <class PixelOf>
DotReading readingOf(const DotPixels& pixels, const CanopySettings& settings, int threshold, PixelOf pixelOf)
{
    const ValueTable values(settings.channel, settings.gamma);
    DotReading reading;
    reading.outsideDots = pixels.outside;
    for (std::size_t i = 0; i < pixels.dots.size(); ++i)
        reading.gaps[pixels.dots[i]] = values(pixelOf(i)) > threshold;
    return reading;
}

} // namespace

std::optional<PhotoSide> photoSideOf(int32_t photo, const ProjectionRecord& record, const RixLens* lens)
{
    const std::optional<PixelView> pixels = pixelViewOf(photo);
    if (!pixels)
        return std::nullopt;
    return PhotoSide{record, pixels->width, pixels->height, keptLens(lens)};
}

std::optional<DotMask> dotsOffPhoto(
    const PhotoSide& photo, const ProjectionRecord& dstRecord, int dstWidth, int dstHeight)
{
    const std::optional<DotPixels> pixels = dotPixels(photo, dstRecord, dstWidth, dstHeight);
    if (!pixels)
        return std::nullopt;
    return pixels->outside;
}

std::optional<DotReading> classifyDots(const PixelView& dst, const ProjectionRecord& dstRecord, const PhotoSide& photo,
    const CanopySettings& settings, int threshold)
{
    if (!isValid(dst) || !canRead(settings, threshold))
        return std::nullopt;
    const std::optional<DotPixels> pixels = dotPixels(photo, dstRecord, dst.width, dst.height);
    if (!pixels)
        return std::nullopt;
    return readingOf(
        *pixels, settings, threshold, [&](std::size_t i) { return dst.row(pixels->rows[i])[pixels->columns[i]]; });
}

std::optional<DotReading> classifyDots(
    const PixelView& image, const ProjectionRecord& record, const CanopySettings& settings, int threshold)
{
    if (!isValid(image) || !canRead(settings, threshold) || !dotTablesFilled())
        return std::nullopt;
    const DotPixels pixels = dotsOnView(record, image.width, image.height);
    return readingOf(
        pixels, settings, threshold, [&](std::size_t i) { return image.row(pixels.rows[i])[pixels.columns[i]]; });
}

std::optional<DotReading> classifyDotsOf(int32_t photo, const ProjectionRecord& source, const RixLens* lens,
    const ProjectionRecord& dstRecord, int width, int height, const CanopySettings& settings, int threshold)
{
    const std::optional<PixelView> photoPixels = pixelViewOf(photo);
    if (!photoPixels || !canRead(settings, threshold))
        return std::nullopt;
    const PhotoSide side{source, photoPixels->width, photoPixels->height, keptLens(lens)};
    const std::optional<DotPixels> pixels = dotPixels(side, dstRecord, width, height);
    if (!pixels)
        return std::nullopt;
    // Nearest-pixel resampling reads the photo pixel holding the point.
    return readingOf(*pixels, settings, threshold,
        [&](std::size_t i) { return photoPixels->row(int(pixels->photoY[i]))[int(pixels->photoX[i])]; });
}

} // namespace karwen::canopy
