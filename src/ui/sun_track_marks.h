// The sun tracks of a light request over the source photo: the days drawn,
// each day's path and hour marks and the compass, found through the same
// record and lens as the light figures, and the top azimuth a drag of the
// compass's N gives.
#pragma once

#include "light_row.h"
#include "rix.h"
#include "sun_tracks.h"

#include <vector>

namespace karwen::ui {

// The path is drawn through the sun's place every this many minutes.
inline constexpr double kTrackStepMin = 5.0;

// The period's first, middle and last day and the 21st of each month in
// it (a period over a year takes each month's first 21st), in date order,
// each once.
[[nodiscard]] std::vector<light::Date> trackDays(const light::Period& period);

// The tracks of those days at the request's site, turned by its
// orientation, on the photo seen through record and lens (nullptr for the
// record's ideal projection); the longest day's hour marks are labelled.
[[nodiscard]] views::SunTracks sunTracksOf(
    const canopy::LightRequest& request, const ProjectionRecord& record, const RixLens* lens);

// The top azimuth (0 up to below 360) that puts true north at photo angle
// photoAngleDeg (anticlockwise from the image's x axis, y up), the
// declination and mirroring of the orientation kept.
[[nodiscard]] double topAzimuthWithNorthAt(double photoAngleDeg, const canopy::SkyOrientation& orientation);

} // namespace karwen::ui
