#include "sun_track_marks.h"

#include "light_regions.h"

#include <algorithm>
#include <cmath>

namespace karwen::ui {

namespace {

constexpr double kHourMin = 60.0;
constexpr int kTrackDay = 21;

light::Date nextMonth(light::Date d)
{
    return d.month == 12 ? light::Date{d.year + 1, 1, d.day} : light::Date{d.year, d.month + 1, d.day};
}

std::optional<QPointF> pointOf(const ProjectionRecord& record, const RixLens* lens,
    const canopy::SkyOrientation& orientation, double zenithDeg, double trueAzimuthDeg)
{
    const std::optional<canopy::ImagePoint> p
        = canopy::imagePointOf(record, lens, zenithDeg, orientation.photoAzimuth(trueAzimuthDeg));
    if (!p)
        return std::nullopt;
    return QPointF(p->x, p->y);
}

} // namespace

std::vector<light::Date> trackDays(const light::Period& period)
{
    const long first = light::dayNumber(period.from), last = light::dayNumber(period.to);
    std::vector<light::Date> days{period.from, light::dateOfDay(first + (last - first) / 2), period.to};
    bool monthTaken[12] = {};
    for (light::Date d{period.from.year, period.from.month, kTrackDay}; d <= period.to; d = nextMonth(d))
        if (d >= period.from && !monthTaken[d.month - 1]) {
            monthTaken[d.month - 1] = true;
            days.push_back(d);
        }
    std::sort(days.begin(), days.end());
    days.erase(std::unique(days.begin(), days.end()), days.end());
    return days;
}

views::SunTracks sunTracksOf(const canopy::LightRequest& request, const ProjectionRecord& record, const RixLens* lens)
{
    const light::Site& site = request.settings.site;
    const canopy::SkyOrientation& o = request.orientation;
    views::SunTracks tracks;
    for (const light::Date& date : trackDays(request.settings.period)) {
        views::SunDayTrack day;
        std::vector<QPointF> run;
        for (const light::SunPoint& sun : light::sunTrack(site, date, kTrackStepMin)) {
            if (const std::optional<QPointF> at = pointOf(record, lens, o, sun.zenithDeg, sun.azimuthDeg)) {
                run.push_back(*at);
            } else if (!run.empty()) {
                day.runs.push_back(std::move(run));
                run.clear();
            }
        }
        if (run.size() > 1)
            day.runs.push_back(std::move(run));
        for (const light::SunPoint& sun : light::sunTrack(site, date, kHourMin))
            if (const std::optional<QPointF> at = pointOf(record, lens, o, sun.zenithDeg, sun.azimuthDeg))
                day.hours.push_back({*at, int(std::lround(sun.minutes / kHourMin)) % 24});
        tracks.days.push_back(std::move(day));
    }
    const auto longest = std::max_element(tracks.days.begin(), tracks.days.end(),
        [](const views::SunDayTrack& a, const views::SunDayTrack& b) { return a.hours.size() < b.hours.size(); });
    if (longest != tracks.days.end())
        longest->labelled = true;
    for (int k = 0; k < 4; ++k)
        tracks.horizon[std::size_t(k)] = pointOf(record, lens, o, 90.0, 90.0 * k);
    return tracks;
}

double topAzimuthWithNorthAt(double photoAngleDeg, const canopy::SkyOrientation& orientation)
{
    // The true azimuth at that photo angle with the top at true north; the
    // top turned the other way by as much brings north there.
    const canopy::SkyOrientation northUp{0.0, 0.0, orientation.mirrored};
    const double top = std::fmod(-northUp.trueAzimuth(photoAngleDeg) - orientation.declinationDeg, 360.0);
    return top < 0.0 ? top + 360.0 : top + 0.0; // never -0
}

} // namespace karwen::ui
