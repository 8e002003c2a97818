#include "light_model.h"

#include "recent_cache.h"
#include "sun_totals.h"

namespace karwen::light {

namespace {

// A run asks for one set of settings per photo at most, and its workers
// for the same few at a time.
constexpr std::size_t kKeptSettings = 16;
// Day models hold a period's days times its regions in shares: as many as
// 16 seasons of 153 days on the default 18 x 72 grid (about 80 MB), so
// that ten years on the finest grid are kept alone.
constexpr std::size_t kKeptRegionDays = kKeptSettings * 153 * 18 * 72;

RecentCache<LightSettings, LightModel>& periodModels()
{
    static RecentCache<LightSettings, LightModel> cache(kKeptSettings);
    return cache;
}

RecentCache<LightSettings, std::vector<DayModel>>& dayModelLists()
{
    static RecentCache<LightSettings, std::vector<DayModel>> cache(kKeptRegionDays);
    return cache;
}

// The day models, and the period's model from the same pass for the other cache.
std::shared_ptr<const std::vector<DayModel>> buildDayModels(const LightSettings& settings)
{
    auto days = std::make_shared<std::vector<DayModel>>();
    const SunTotals period = sunTotals(settings, [&](const Date& date, const SunTotals& dayTotals) {
        LightSettings daySettings = settings;
        daySettings.period = {date, date};
        days->push_back({date, std::make_shared<const LightModel>(modelOfTotals(daySettings, dayTotals))});
    });
    // The same sums in the same order as the period's own build: the same model.
    periodModels().offer(settings, std::make_shared<const LightModel>(modelOfTotals(settings, period)));
    return days;
}

std::size_t regionDays(const LightSettings& settings)
{
    if (!isValid(settings))
        return 1; // the build will refuse them
    return std::size_t(dayCount(settings.period)) * std::size_t(SkyGrid::of(settings).regions());
}

} // namespace

std::shared_ptr<const LightModel> sharedLightModel(const LightSettings& settings)
{
    return periodModels().get(settings, [&] { return std::make_shared<const LightModel>(settings); });
}

std::shared_ptr<const std::vector<DayModel>> sharedDayModels(const LightSettings& settings)
{
    return dayModelLists().get(
        settings, [&] { return buildDayModels(settings); }, regionDays(settings));
}

} // namespace karwen::light
