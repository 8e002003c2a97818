#include "light_model.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

namespace karwen::light {

namespace {

// A region's share 0..1; what is not known to be open counts as closed.
double unitShare(double value) { return std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0); }

} // namespace

LightFigures lightFigures(const LightModel& model, std::span<const double> gaps, std::span<const double> shown)
{
    const auto regions = std::size_t(model.grid().regions());
    if (gaps.size() != regions || shown.size() != regions)
        throw std::invalid_argument("light figures need " + std::to_string(regions) + " regions, got "
            + std::to_string(gaps.size()) + " gap fractions and " + std::to_string(shown.size()) + " shown shares");

    // Each figure is the weighted mean of the regions' values over the
    // weights' own sum, taken in the same order: an open sky gives exactly
    // 1, where the shares' sum is 1 only to within rounding.
    const auto beam = model.beamShares();
    const auto diffuse = model.diffuseShares();
    const auto sunHoursIn = model.sunHoursIn();
    double beamSum = 0.0, diffuseSum = 0.0, sunHoursSum = 0.0;
    double beamOpen = 0.0, diffuseOpen = 0.0, sunHoursOpen = 0.0, beamShown = 0.0, diffuseShown = 0.0;
    for (std::size_t k = 0; k < regions; ++k) {
        const double gap = unitShare(gaps[k]);
        const double seen = unitShare(shown[k]);
        beamSum += beam[k];
        diffuseSum += diffuse[k];
        sunHoursSum += sunHoursIn[k];
        beamOpen += beam[k] * gap;
        diffuseOpen += diffuse[k] * gap;
        sunHoursOpen += sunHoursIn[k] * gap;
        beamShown += beam[k] * seen;
        diffuseShown += diffuse[k] * seen;
    }
    // Without sun there is no beam to take a share of.
    const double noBeam = std::numeric_limits<double>::quiet_NaN();
    const double dsf = model.hasSun() ? beamOpen / beamSum : noBeam;
    const double isf = diffuseOpen / diffuseSum;
    const double beamCoverage = model.hasSun() ? beamShown / beamSum : noBeam;
    const double diffuseCoverage = diffuseShown / diffuseSum;
    const double directSunHours = model.hasSun() ? model.sunHours() * (sunHoursOpen / sunHoursSum) : 0.0;

    const double beamFraction = model.beamFraction();
    const LightSettings& s = model.settings();
    LightFigures f;
    f.h0 = model.h0();
    f.aboveDirect = model.aboveDirect();
    f.aboveDiffuse = model.aboveDiffuse();
    f.aboveTotal = model.aboveTotal();
    f.beamFraction = beamFraction;
    f.dsf = dsf;
    f.isf = isf;
    // f_b dsf + (1 - f_b) isf, written to give isf itself when dsf equals it.
    f.tsf = isf + beamFraction * (dsf - isf);
    f.transDirect = 100.0 * f.dsf;
    f.transDiffuse = 100.0 * f.isf;
    f.transTotal = 100.0 * f.tsf;
    f.belowDirect = model.hasSun() ? f.aboveDirect * dsf : 0.0;
    f.belowDiffuse = f.aboveDiffuse * isf;
    f.belowTotal = f.belowDirect + f.belowDiffuse;
    f.belowPar = s.parFraction * f.belowTotal * s.parPhotons;
    f.sunHours = model.sunHours();
    f.directSunHours = directSunHours;
    f.beamCoverage = beamCoverage;
    f.diffuseCoverage = diffuseCoverage;
    return f;
}

} // namespace karwen::light
