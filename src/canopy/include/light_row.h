// A photo's light figures as its CSV row holds them: the light run's
// settings, the photo's orientation, and the figures from its regions' gap
// fractions, with those of each day of the period when asked for.
#pragma once

#include "light_model.h"
#include "light_regions.h"
#include "light_settings.h"
#include "sky_orientation.h"

#include <vector>

namespace karwen::canopy {

struct LightRequest {
    light::LightSettings settings;
    SkyOrientation orientation;
    bool daily = false; // also each day of the period as a one-day period

    friend bool operator==(const LightRequest&, const LightRequest&) = default;
};

struct DayLight {
    light::Date date;
    light::LightFigures figures;
};

struct LightRow {
    LightRequest request;
    light::LightFigures figures;
    std::vector<DayLight> days; // in date order, when request.daily
};

// The row from the regions' gap fractions, measured on request's grid; the
// models come from the light library's shared caches.
[[nodiscard]] LightRow lightRowOf(const LightRequest& request, const RegionGaps& regions);

} // namespace karwen::canopy
