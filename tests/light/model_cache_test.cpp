#include "light_model.h"
#include "recent_cache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <thread>

using namespace karwen::light;

namespace {

LightSettings tenDaysAt(double latitude)
{
    LightSettings s;
    s.site = {latitude, 10.0, 300.0, 1.0};
    s.period = {{2021, 6, 1}, {2021, 6, 10}};
    s.zenithRings = 9;
    s.azimuthSectors = 36;
    return s;
}

bool sameModel(const LightModel& a, const LightModel& b)
{
    return a.settings() == b.settings() && a.h0() == b.h0() && std::ranges::equal(a.beamShares(), b.beamShares())
        && std::ranges::equal(a.sunHoursIn(), b.sunHoursIn());
}

} // namespace

// Workers asking at once for the period's model, some after its days',
// all get one model, whichever build comes first.
TEST(ModelCache, WorkersShareOneModel)
{
    const LightSettings settings = tenDaysAt(47.25);
    std::vector<std::shared_ptr<const LightModel>> seen(6);
    std::vector<std::thread> workers;
    for (std::size_t i = 0; i < seen.size(); ++i)
        workers.emplace_back([&seen, &settings, i] {
            if (i % 2 == 0)
                (void)sharedDayModels(settings);
            seen[i] = sharedLightModel(settings);
        });
    for (auto& worker : workers)
        worker.join();
    for (const auto& model : seen)
        EXPECT_EQ(model, seen.front());
    EXPECT_TRUE(sameModel(*seen.front(), LightModel(settings)));
    EXPECT_NE(sharedLightModel(tenDaysAt(47.5)), seen.front());
}

TEST(ModelCache, KeepsOnlyTheRecentSettings)
{
    const auto first = sharedLightModel(tenDaysAt(10.0));
    EXPECT_EQ(sharedLightModel(tenDaysAt(10.0)), first);
    for (int i = 1; i <= 40; ++i)
        (void)sharedLightModel(tenDaysAt(10.0 + i));
    EXPECT_NE(sharedLightModel(tenDaysAt(10.0)), first);
    LightSettings invalid = tenDaysAt(40.0);
    invalid.timeStepMin = 7;
    EXPECT_THROW((void)sharedDayModels(invalid), std::invalid_argument);
}

TEST(ModelCache, KeepsWithinItsBudgetAndForgetsFailedBuilds)
{
    RecentCache<int, int> cache(3);
    const auto value = [](int v) { return [v] { return std::make_shared<const int>(v); }; };
    EXPECT_THROW((void)cache.get(1, []() -> std::shared_ptr<const int> { throw std::runtime_error("no memory"); }),
        std::runtime_error);
    EXPECT_EQ(*cache.get(1, value(10)), 10);
    const auto two = cache.get(2, value(20), 2);
    EXPECT_EQ(cache.get(2, value(21)), two);
    (void)cache.get(3, value(30)); // 1 + 2 + 1 > 3: the oldest, 1, goes
    EXPECT_EQ(*cache.get(1, value(11)), 11);
    EXPECT_EQ(*cache.get(9, value(90), 5), 90); // over budget alone, yet kept
    EXPECT_EQ(*cache.get(9, value(91)), 90);
}

TEST(ModelCache, DayModelsAreOneDayPeriods)
{
    const LightSettings settings = tenDaysAt(-33.0);
    const auto days = sharedDayModels(settings);
    ASSERT_EQ(days->size(), 10u);
    EXPECT_EQ(sharedDayModels(settings), days);
    Date date = settings.period.from;
    for (const DayModel& day : *days) {
        LightSettings oneDay = settings;
        oneDay.period = {date, date};
        EXPECT_EQ(day.date, date);
        EXPECT_TRUE(sameModel(*day.model, LightModel(oneDay))) << dateText(date);
        date = nextDay(date);
    }
}
