#include "sky_pixels.h"

#include "pixel_values.h"
#include "sky_map.h"

namespace karwen::canopy {

namespace {

template <Channel C>
void addRuns(
    const PixelView& view, const SkyMap& map, const ValueTable& values, int threshold, std::vector<PixelRun>& runs)
{
    const auto& lut = values.table();
    const float* weights = map.weights().data();
    for (const SkyMap::Row& row : map.rows()) {
        const uint32_t* px = view.row(row.y);
        const float* w = weights + row.firstWeight - row.x0; // w[x]
        int start = -1;
        for (int x = row.x0; x < row.x1; ++x) {
            const unsigned raw = C == Channel::Blue ? (px[x] & 0xffu) : values.raw(px[x]);
            const bool sky = w[x] > 0.0f && int(lut[raw]) > threshold;
            if (sky && start < 0)
                start = x;
            else if (!sky && start >= 0) {
                runs.push_back({row.y, start, x});
                start = -1;
            }
        }
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
    if (readsBlueByte(settings.channel))
        addRuns<Channel::Blue>(view, *map, values, threshold, runs);
    else
        addRuns<Channel::Luma>(view, *map, values, threshold, runs);
    return runs;
}

} // namespace karwen::canopy
