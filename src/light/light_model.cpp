#include "light_model.h"

#include "sun_totals.h"

namespace karwen::light {

namespace {

constexpr double kJPerMJ = 1e6;
constexpr double kMinutesPerHour = 60.0;

// The daily diffuse fraction of Erbs, Klein and Duffie (1982) from the
// clearness index and the sunset hour angle in degrees.
double erbsDiffuseFraction(double kt, double sunsetHourAngleDeg)
{
    if (sunsetHourAngleDeg <= 81.4) {
        if (kt >= 0.715)
            return 0.143;
        return 1.0 + kt * (-0.2727 + kt * (2.4495 + kt * (-11.9514 + kt * 9.3879)));
    }
    if (kt >= 0.722)
        return 0.175;
    return 1.0 + kt * (0.2832 + kt * (-2.5557 + kt * 0.8448));
}

} // namespace

LightModel::LightModel(const LightSettings& settings)
    : LightModel(settings, sunTotals(settings))
{
}

LightModel::LightModel(const LightSettings& settings, const SunTotals& totals)
    : settings_(settings)
    , grid_(SkyGrid::of(settings))
    , days_(totals.days)
    , beamTotal_(totals.beamWeight)
    , diffuse_(grid_.diffuseShares(settings.sky))
{
    const double days = days_;
    const double hoursPerStep = settings.timeStepMin / kMinutesPerHour;
    h0_ = totals.extraterrestrialJ / kJPerMJ / days;
    sunHours_ = double(totals.sunSteps) * hoursPerStep / days;
    beamFraction_ = settings.beamModel == BeamFractionModel::Fixed
        ? settings.beamFraction
        : 1.0 - erbsDiffuseFraction(settings.kt, totals.sunsetHourAngleDeg / days);

    const std::size_t regions = diffuse_.size();
    beam_.resize(regions);
    sunHoursIn_.resize(regions);
    for (std::size_t k = 0; k < regions; ++k) {
        beam_[k] = hasSun() ? totals.beamWeightIn[k] / beamTotal_ : 0.0;
        sunHoursIn_[k] = double(totals.sunStepsIn[k]) * hoursPerStep / days;
    }
}

LightModel modelOfTotals(const LightSettings& settings, const SunTotals& totals) { return {settings, totals}; }

} // namespace karwen::light
