// The options of measure that ask for light figures: the site and the
// period (both or neither), how the photos lie under the sky, the model of
// the radiation above the canopy, and the file of each day's figures. A
// value is taken when the light library (for the orientation, the canopy
// library) accepts it; any of these options without --site is a usage
// error, so that none is silently left unused.
#pragma once

#include "light_row.h"

#include <optional>
#include <string>

namespace CLI {
class App;
}

namespace karwen::cli {

struct LightOptions {
    std::optional<canopy::LightRequest> request; // none without --site
    std::string dailyPath;                       // --light-daily; "" when not given
    // --site exif: each photo's site from its GPS position, request's site
    // then unused.
    bool siteFromPhotos = false;
};

// The options' texts as given; "" (false) for an option not given.
struct RawLightOptions {
    std::string topAzimuth, declination;
    bool mirrored = false;
    std::string site, utcOffset, period, timeStep;
    std::string kt, beamFraction, clearSkyTransmission, sky, skyRegions;
    std::string solarConstant, parFraction, parPhotons;
    std::string daily;
};

void addLightOptions(CLI::App& measure, RawLightOptions& raw);

// Throws UsageError, naming the option and what it takes.
[[nodiscard]] LightOptions checkedLight(const RawLightOptions& raw);

} // namespace karwen::cli
