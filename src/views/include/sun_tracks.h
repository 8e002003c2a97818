// The sun's path over the source photo as the Canopy window works it out:
// for each day drawn, the runs of its path that fall on the photo and its
// marks at whole hours of local standard time, and where true north, east,
// south and west meet the horizon. Image points, y counted up from the
// bottom edge.
#pragma once

#include <QPointF>

#include <array>
#include <optional>
#include <vector>

namespace karwen::views {

struct HourMark {
    QPointF at;
    int hour = 0; // 0..23
};

struct SunDayTrack {
    std::vector<std::vector<QPointF>> runs; // each a polyline on the photo
    std::vector<HourMark> hours;
    bool labelled = false; // its hour marks carry the hour
};

enum Cardinal { kNorth, kEast, kSouth, kWest };
using Compass = std::array<std::optional<QPointF>, 4>; // none where the photo does not show it

[[nodiscard]] inline bool isEmpty(const Compass& c) { return !c[kNorth] && !c[kEast] && !c[kSouth] && !c[kWest]; }

struct SunTracks {
    std::vector<SunDayTrack> days;
    Compass horizon{};

    [[nodiscard]] bool empty() const { return days.empty() && isEmpty(horizon); }
};

} // namespace karwen::views
