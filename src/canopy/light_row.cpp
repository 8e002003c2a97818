#include "light_row.h"

namespace karwen::canopy {

LightRow lightRowOf(const LightRequest& request, const RegionGaps& regions)
{
    // The day models come from the same pass over the sun's track as the
    // period's, which they leave in the model cache: asked for first, the
    // track is worked out once.
    std::shared_ptr<const std::vector<light::DayModel>> days;
    if (request.daily)
        days = light::sharedDayModels(request.settings);
    LightRow row{
        request, light::lightFigures(*light::sharedLightModel(request.settings), regions.gap, regions.shown), {}};
    if (days) {
        row.days.reserve(days->size());
        for (const light::DayModel& day : *days)
            row.days.push_back({day.date, light::lightFigures(*day.model, regions.gap, regions.shown)});
    }
    return row;
}

} // namespace karwen::canopy
