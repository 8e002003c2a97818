// The site of `measure --site exif`: each photo's own, from the GPS
// position its metadata records, its altitude as the elevation (sea level
// without one). The light library caches its models by settings, so the
// photos of one site share them.
#pragma once

#include "light_row.h"
#include "photo_metadata.h"

#include <optional>
#include <string>

namespace karwen::cli {

inline constexpr const char* kSiteFromPhotos = "exif";

struct PhotoLight {
    std::optional<canopy::LightRequest> request; // none when error is set
    std::string error;                           // why the photo has no site, in the user's words
};

// The run's request with the photo's site in it.
[[nodiscard]] PhotoLight photoLight(const canopy::LightRequest& run, const files::PhotoMetadata& metadata);

} // namespace karwen::cli
