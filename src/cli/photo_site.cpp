#include "photo_site.h"

#include "light_settings.h"
#include "option_values.h"

namespace karwen::cli {

PhotoLight photoLight(const canopy::LightRequest& run, const files::PhotoMetadata& metadata)
{
    if (!metadata.hasPosition())
        return {std::nullopt, "no GPS position in the photo's metadata"};
    canopy::LightRequest request = run;
    light::Site& site = request.settings.site;
    site.latitudeDeg = *metadata.latitudeDeg;
    site.longitudeDeg = *metadata.longitudeDeg;
    site.elevationM = metadata.altitudeM.value_or(0.0);
    if (site.elevationM < light::kMinElevation || site.elevationM > light::kMaxElevation)
        return {std::nullopt,
            "the photo's GPS altitude " + numberText(site.elevationM) + " m is outside the light figures' range, from "
                + numberText(light::kMinElevation) + " to " + numberText(light::kMaxElevation) + " m"};
    if (const std::string problem = light::settingsProblem(request.settings); !problem.empty())
        return {std::nullopt, "the photo's GPS position gives no light figures: " + problem};
    return {std::move(request), {}};
}

} // namespace karwen::cli
