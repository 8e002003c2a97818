// Everything of a light run that depends on the site, the period and the
// model settings alone, never on a photo: the sun's track at the midpoint
// of every time step of every day (local standard time), the radiation
// above the canopy, and each sky region's share of the beam, of the diffuse
// radiation and of the hours of sun. A photo's light figures are then one
// pass over its regions' gap fractions (lightFigures).
//
// Above the canopy: extraterrestrial radiation on the horizontal
// H0 = sum of Gsc E0 cos(zenith) dt over the steps with the sun's centre up;
// global H = Kt H0, beam H_b = f_b H, diffuse H_d = (1 - f_b) H. The beam
// goes to the steps by clear-sky weights w = E0 tau^(m p/p0) cos(zenith)
// (m the air mass of Kasten and Young 1989, p/p0 the standard atmosphere's
// pressure at the site), normalised over the period; the diffuse goes to
// the regions by the sky model (SkyGrid::diffuseShares).
#pragma once

#include "light_settings.h"
#include "sky_grid.h"

#include <memory>
#include <span>
#include <vector>

namespace karwen::light {

struct SunTotals;

class LightModel {
public:
    // settings must be valid (isValid); std::invalid_argument otherwise.
    explicit LightModel(const LightSettings& settings);

    [[nodiscard]] const LightSettings& settings() const { return settings_; }
    [[nodiscard]] const SkyGrid& grid() const { return grid_; }
    [[nodiscard]] int days() const { return days_; }

    // Period means per day: H0 and the radiation above the canopy, MJ/m2.
    [[nodiscard]] double h0() const { return h0_; }
    [[nodiscard]] double aboveDirect() const { return h0_ * settings_.kt * beamFraction_; }
    [[nodiscard]] double aboveDiffuse() const { return h0_ * settings_.kt * (1.0 - beamFraction_); }
    [[nodiscard]] double aboveTotal() const { return h0_ * settings_.kt; }
    // The beam fraction used: the settings' under Fixed, Erbs's from Kt and
    // the period's mean sunset hour angle.
    [[nodiscard]] double beamFraction() const { return beamFraction_; }
    // Hours a day with the sun's centre above the horizon, period mean.
    [[nodiscard]] double sunHours() const { return sunHours_; }
    // Whether the sun rises at all in the period (false in a polar night).
    [[nodiscard]] bool hasSun() const { return beamTotal_ > 0.0; }

    // Per region (SkyGrid's order): its share of the period's beam (adding
    // up to 1 when hasSun, else all 0), of the diffuse radiation (adding up
    // to 1), and the hours a day the sun stands in it (adding up to sunHours).
    [[nodiscard]] std::span<const double> beamShares() const { return beam_; }
    [[nodiscard]] std::span<const double> diffuseShares() const { return diffuse_; }
    [[nodiscard]] std::span<const double> sunHoursIn() const { return sunHoursIn_; }

private:
    // The model of settings from the sums of its period's sun-up steps, so
    // that a period's model and its days' come from one pass over the sun.
    friend LightModel modelOfTotals(const LightSettings& settings, const SunTotals& totals);
    LightModel(const LightSettings& settings, const SunTotals& totals);

    LightSettings settings_;
    SkyGrid grid_;
    int days_ = 0;
    double h0_ = 0.0, beamFraction_ = 0.0, sunHours_ = 0.0, beamTotal_ = 0.0;
    std::vector<double> beam_, diffuse_, sunHoursIn_;
};

// A photo's light figures. Energies are period means in MJ/m2 per day,
// PAR in mol/m2 per day, hours per day, trans_* in percent. A figure that
// divides by the beam or by H0 is NaN in a period without sun (dsf, tsf,
// transDirect, transTotal, beamCoverage); the others stay defined.
struct LightFigures {
    double h0 = 0.0;
    double aboveDirect = 0.0, aboveDiffuse = 0.0, aboveTotal = 0.0;
    double beamFraction = 0.0;
    double dsf = 0.0, isf = 0.0, tsf = 0.0; // site factors (Anderson 1964), 0..1
    double transDirect = 0.0, transDiffuse = 0.0, transTotal = 0.0;
    double belowDirect = 0.0, belowDiffuse = 0.0, belowTotal = 0.0;
    double belowPar = 0.0;
    double sunHours = 0.0, directSunHours = 0.0;
    // Share of the above-canopy beam and diffuse weight that falls on what
    // the photo shows.
    double beamCoverage = 0.0, diffuseCoverage = 0.0;
};

// The figures from each region's gap fraction (0..1, values outside are
// clipped; NaN counts as obstructed) and the share of its solid angle the
// photo shows (0..1), both in the model's grid order and of its size.
[[nodiscard]] LightFigures lightFigures(
    const LightModel& model, std::span<const double> gaps, std::span<const double> shown);

// The model of these settings, built once and kept while any caller holds
// it or it is among the last few asked for, so that the workers of a run
// share it. Safe to call from several threads; settings must be valid.
[[nodiscard]] std::shared_ptr<const LightModel> sharedLightModel(const LightSettings& settings);

// One model per day of the period, each for that day alone as a one-day
// period (the settings otherwise the same), kept as sharedLightModel keeps
// its models.
struct DayModel {
    Date date;
    std::shared_ptr<const LightModel> model;
};
[[nodiscard]] std::shared_ptr<const std::vector<DayModel>> sharedDayModels(const LightSettings& settings);

// The sun's centre at local standard time `minutes` of `date` at the site.
struct SunPoint {
    double minutes = 0.0; // local standard time after midnight
    double zenithDeg = 0.0, azimuthDeg = 0.0;
};
// The day's points every stepMin minutes from midnight (step midpoints when
// midpoints is true), those with the sun up only.
[[nodiscard]] std::vector<SunPoint> sunTrack(
    const Site& site, const Date& date, double stepMin, bool midpoints = false);

} // namespace karwen::light
