#include "sky_pixels.h"

#include "pixel_values.h"
#include "rim_reading.h"
#include "sky_map.h"

namespace karwen::canopy {

namespace {

// rimValues: the values the map's rim pixels are read by (RimReading), in
// the map's order: each row's pixels before inner0 and from inner1 on.
template <Channel C>
void addRuns(const PixelView& view, const SkyMap& map, const ValueTable& values, int threshold,
    const std::vector<uint8_t>& rimValues, std::vector<PixelRun>& runs)
{
    const auto& lut = values.table();
    const float* weights = map.weights().data();
    const uint8_t* rim = rimValues.data();
    for (const SkyMap::Row& row : map.rows()) {
        const uint32_t* px = view.row(row.y);
        const float* w = weights + row.firstWeight - row.x0; // w[x]
        int start = -1;
        const auto visit = [&](int x, int value) {
            const bool sky = w[x] > 0.0f && value > threshold;
            if (sky && start < 0)
                start = x;
            else if (!sky && start >= 0) {
                runs.push_back({row.y, start, x});
                start = -1;
            }
        };
        for (int x = row.x0; x < row.inner0; ++x)
            visit(x, *rim++);
        for (int x = row.inner0; x < row.inner1; ++x)
            visit(x, lut[C == Channel::Blue ? (px[x] & 0xffu) : values.raw(px[x])]);
        for (int x = row.inner1; x < row.x1; ++x)
            visit(x, *rim++);
        if (start >= 0)
            runs.push_back({row.y, start, row.x1});
    }
}

} // namespace

std::vector<PixelRun> skyRuns(const PixelView& view, const ProjectionRecord& src, const RixLens* lens,
    const CanopySettings& settings, int threshold)
{
    std::vector<PixelRun> runs;
    if (!isValid(settings) || !isValid(view) || !isUsableSource(src))
        return runs;
    const std::optional<RadialModel> model = RadialModel::of(src.Proj, lens);
    if (!model)
        return runs;
    const auto map = sharedSkyMap(src, *model, view.width, view.height, RingLayout::of(settings));
    const ValueTable values(settings.channel, settings.gamma);
    const RimReading rim(view, *map, values);
    const std::vector<uint8_t> rimValues = rim.values(rim.appliesAt(threshold));
    if (readsBlueByte(settings.channel))
        addRuns<Channel::Blue>(view, *map, values, threshold, rimValues, runs);
    else
        addRuns<Channel::Luma>(view, *map, values, threshold, rimValues, runs);
    return runs;
}

} // namespace karwen::canopy
