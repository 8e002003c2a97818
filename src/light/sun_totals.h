// What the sun-up time steps of some days add up to: the sums a LightModel
// is made of. One pass over a period's sun positions gives the totals of
// each day and of the whole period.
#pragma once

#include "light_model.h"

#include <functional>
#include <vector>

namespace karwen::light {

struct SunTotals {
    explicit SunTotals(int regions)
        : beamWeightIn(std::size_t(regions))
        , sunStepsIn(std::size_t(regions))
    {
    }

    int days = 0;
    double extraterrestrialJ = 0.0;  // Gsc E0 cos(zenith) dt over the steps, J/m2
    double sunsetHourAngleDeg = 0.0; // over the days, at each day's noon
    double beamWeight = 0.0;         // the clear-sky weights w over the steps
    long sunSteps = 0;
    std::vector<double> beamWeightIn; // per region
    std::vector<long> sunStepsIn;     // per region
};

// The totals of settings' period, the days added in date order; onDay, if
// given, sees each day's own totals first. std::invalid_argument for
// settings that are not valid.
using DayTotalsSink = std::function<void(const Date& day, const SunTotals& totals)>;
[[nodiscard]] SunTotals sunTotals(const LightSettings& settings, const DayTotalsSink& onDay = {});

// The model of settings (whose period the totals cover).
[[nodiscard]] LightModel modelOfTotals(const LightSettings& settings, const SunTotals& totals);

} // namespace karwen::light
