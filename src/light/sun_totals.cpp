#include "sun_totals.h"

#include "sun_geometry.h"

#include <cmath>
#include <stdexcept>

namespace karwen::light {

namespace {

constexpr double kSecondsPerMinute = 60.0;
constexpr double kLocalNoonMin = 720.0;

// Kasten and Young (1989), zenith in degrees.
double relativeAirMass(double cosZenith, double zenithDeg)
{
    return 1.0 / (cosZenith + 0.50572 * std::pow(96.07995 - zenithDeg, -1.6364));
}

// The standard atmosphere's pressure at the elevation over that at sea level.
double pressureRatio(double elevationM) { return std::pow(1.0 - 2.25577e-5 * elevationM, 5.25588); }

// A day's sums, kept apart from the period's; the sun visits few regions a
// day, so only those are added on and cleared.
class DayTotals {
public:
    explicit DayTotals(int regions)
        : totals_(regions)
    {
    }

    void addStep(int region, double extraterrestrialJ, double beamWeight)
    {
        const auto k = std::size_t(region);
        if (totals_.sunStepsIn[k] == 0)
            visited_.push_back(k);
        totals_.extraterrestrialJ += extraterrestrialJ;
        totals_.beamWeight += beamWeight;
        totals_.sunSteps += 1;
        totals_.beamWeightIn[k] += beamWeight;
        totals_.sunStepsIn[k] += 1;
    }
    void setSunsetHourAngle(double deg)
    {
        totals_.days = 1;
        totals_.sunsetHourAngleDeg = deg;
    }
    [[nodiscard]] const SunTotals& totals() const { return totals_; }

    // Adds the day to the period's totals and starts the next day.
    void moveInto(SunTotals& period)
    {
        period.days += totals_.days;
        period.extraterrestrialJ += totals_.extraterrestrialJ;
        period.sunsetHourAngleDeg += totals_.sunsetHourAngleDeg;
        period.beamWeight += totals_.beamWeight;
        period.sunSteps += totals_.sunSteps;
        for (const std::size_t k : visited_) {
            period.beamWeightIn[k] += totals_.beamWeightIn[k];
            period.sunStepsIn[k] += totals_.sunStepsIn[k];
            totals_.beamWeightIn[k] = 0.0;
            totals_.sunStepsIn[k] = 0;
        }
        visited_.clear();
        totals_.days = 0;
        totals_.extraterrestrialJ = totals_.sunsetHourAngleDeg = totals_.beamWeight = 0.0;
        totals_.sunSteps = 0;
    }

private:
    SunTotals totals_;
    std::vector<std::size_t> visited_;
};

} // namespace

SunTotals sunTotals(const LightSettings& s, const DayTotalsSink& onDay)
{
    // A step of 0 or a reversed period would not end or would divide by 0.
    if (const std::string problem = settingsProblem(s); !problem.empty())
        throw std::invalid_argument(problem);
    const SkyGrid grid = SkyGrid::of(s);
    const Observer site(s.site.latitudeDeg, s.site.longitudeDeg);
    const double utcShiftMin = 60.0 * s.site.utcOffsetHours;
    const double stepMin = s.timeStepMin;
    const int stepsPerDay = kMinutesPerDay / s.timeStepMin;
    const double stepSeconds = stepMin * kSecondsPerMinute;
    const double airMassScale = pressureRatio(s.site.elevationM);
    const double logTransmission = std::log(s.clearSkyTransmission);

    SunTotals period(grid.regions());
    DayTotals day(grid.regions());
    const int days = dayCount(s.period);
    Date date = s.period.from;
    for (int d = 0; d < days; ++d, date = nextDay(date)) {
        const double midnightJd = julianDay(date, 0.0);
        for (int k = 0; k < stepsPerDay; ++k) {
            const double minutesUT = (k + 0.5) * stepMin - utcShiftMin;
            const SunCoordinates sun = sunCoordinates(midnightJd + minutesUT / kMinutesPerDay);
            const SkyPlace place = skyPlace(site, sun, minutesUT);
            if (place.cosZenith <= 0.0)
                continue;
            const double zenith = zenithDeg(place);
            const int region = grid.regionOf(zenith, azimuthDeg(site, sun, place));
            const double airMass = relativeAirMass(place.cosZenith, zenith);
            const double beamWeight
                = sun.distanceFactor * std::exp(airMass * airMassScale * logTransmission) * place.cosZenith;
            day.addStep(region, s.solarConstant * sun.distanceFactor * place.cosZenith * stepSeconds, beamWeight);
        }
        const double noonJd = midnightJd + (kLocalNoonMin - utcShiftMin) / kMinutesPerDay;
        day.setSunsetHourAngle(sunsetHourAngleDeg(site, sunCoordinates(noonJd)));
        if (onDay)
            onDay(date, day.totals());
        day.moveInto(period);
    }
    return period;
}

} // namespace karwen::light
