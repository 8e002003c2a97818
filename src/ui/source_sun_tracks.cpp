#include "source_sun_tracks.h"

#include "src_view.h"
#include "sun_track_marks.h"

#include <algorithm>

namespace karwen::ui {

namespace {

bool sameRecord(const ProjectionRecord& a, const ProjectionRecord& b)
{
    return a.Cx == b.Cx && a.Cy == b.Cy && a.R == b.R && a.Alpha == b.Alpha && a.Beta == b.Beta && a.Rot == b.Rot
        && a.Proj == b.Proj;
}

bool sameLens(const std::optional<RixLens>& a, const std::optional<RixLens>& b)
{
    if (!a || !b)
        return !a && !b;
    return a->HalfFov == b->HalfFov && std::equal(std::begin(a->A), std::end(a->A), std::begin(b->A));
}

} // namespace

SourceSunTracks::SourceSunTracks(std::function<bool(double)> northDropped)
    : northDropped_(std::move(northDropped))
{
}

bool SourceSunTracks::same(const Inputs& a, const Inputs& b) const
{
    return a.request == b.request && a.photo == b.photo && sameRecord(a.record, b.record) && sameLens(a.lens, b.lens);
}

void SourceSunTracks::show(views::SrcView& src, const canopy::LightRequest& request, int32_t photo,
    const ProjectionRecord& record, const RixLens* lens)
{
    const Inputs now{request, photo, record, lens ? std::optional<RixLens>(*lens) : std::nullopt};
    // A view opened anew (another photo) shows none until given them.
    if (shown_ && same(*shown_, now) && src.showsSunTracks())
        return;
    shown_ = now;
    days_ = trackDays(request.settings.period);
    src.circleTool().setNorthDrop(northDropped_);
    src.setSunTracks(sunTracksOf(request, record, lens));
}

void SourceSunTracks::hide(views::SrcView& src)
{
    shown_.reset();
    days_.clear();
    src.circleTool().setNorthDrop({});
    src.setSunTracks({});
}

} // namespace karwen::ui
