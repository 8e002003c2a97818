#include "sky_pixels.h"

#include "pixel_values.h"
#include "rim_reading.h"
#include "sky_map.h"

namespace karwen::canopy {

namespace {

// The one rule of which pixel is sky: every pixel the map weighs is
// visited, row by row in the map's order, as visit(y, x, sky). rimValues:
// the values the map's rim pixels are read by (RimReading), in the map's
// order: each row's pixels before inner0 and from inner1 on.
template <Channel C, class Visit>
void visitCounted(const PixelView& view, const SkyMap& map, const ValueTable& values, int threshold,
    const std::vector<uint8_t>& rimValues, Visit& visit)
{
    const auto& lut = values.table();
    const float* weights = map.weights().data();
    const uint8_t* rim = rimValues.data();
    for (const SkyMap::Row& row : map.rows()) {
        const uint32_t* px = view.row(row.y);
        const float* w = weights + row.firstWeight - row.x0; // w[x]
        const auto pixel = [&](int x, int value) {
            if (w[x] > 0.0f)
                visit(row.y, x, value > threshold);
        };
        for (int x = row.x0; x < row.inner0; ++x)
            pixel(x, *rim++);
        for (int x = row.inner0; x < row.inner1; ++x)
            pixel(x, lut[C == Channel::Blue ? (px[x] & 0xffu) : values.raw(px[x])]);
        for (int x = row.inner1; x < row.x1; ++x)
            pixel(x, *rim++);
    }
}

// visitCounted over the photo as the figures see it; false when the view,
// the record, the lens or the settings cannot be measured.
template <class Visit>
bool visitCounted(const PixelView& view, const ProjectionRecord& src, const RixLens* lens,
    const CanopySettings& settings, int threshold, Visit visit)
{
    if (!isValid(settings) || !isValid(view) || !isUsableSource(src))
        return false;
    const std::optional<RadialModel> model = RadialModel::of(src.Proj, lens);
    if (!model)
        return false;
    const auto map = sharedSkyMap(src, *model, view.width, view.height, RingLayout::of(settings));
    const ValueTable values(settings.channel, settings.gamma);
    const RimReading rim(view, *map, values);
    const std::vector<uint8_t> rimValues = rim.values(rim.appliesAt(threshold));
    if (readsBlueByte(settings.channel))
        visitCounted<Channel::Blue>(view, *map, values, threshold, rimValues, visit);
    else
        visitCounted<Channel::Luma>(view, *map, values, threshold, rimValues, visit);
    return true;
}

} // namespace

std::vector<PixelRun> skyRuns(const PixelView& view, const ProjectionRecord& src, const RixLens* lens,
    const CanopySettings& settings, int threshold)
{
    std::vector<PixelRun> runs;
    (void)visitCounted(view, src, lens, settings, threshold, [&](int y, int x, bool sky) {
        if (!sky)
            return;
        if (!runs.empty() && runs.back().y == y && runs.back().x1 == x)
            ++runs.back().x1;
        else
            runs.push_back({y, x, x + 1});
    });
    return runs;
}

SkyImage skyImage(const PixelView& view, const ProjectionRecord& src, const RixLens* lens,
    const CanopySettings& settings, int threshold)
{
    if (!isValid(view))
        return {};
    const std::ptrdiff_t width = view.width;
    SkyImage image{view.width, view.height, std::vector<uint8_t>(std::size_t(width * view.height), kOutsideGrey)};
    // Rows counted upward in the view, top first in the image.
    uint8_t* const bottomRow = image.grey.data() + width * (view.height - 1);
    const bool measured = visitCounted(view, src, lens, settings, threshold,
        [&](int y, int x, bool sky) { bottomRow[x - y * width] = sky ? kSkyGrey : kCanopyGrey; });
    if (!measured)
        return {};
    return image;
}

} // namespace karwen::canopy
