// The photos of a list measured in parallel (parallel_runner.h), each
// worker holding one photo at a time: each photo's CSV line (canopy_csv.h),
// and its days' lines when the light run asks for them (light_daily.h),
// land at its place in the list, whatever the number of jobs. The dots are
// read from the photo converted, nearest pixel, into an equisolid view of
// kDotsSide x kDotsSide pixels whose circle fills it; only the dots' pixels
// of that view are ever resampled. Each photo's metadata is read from its
// file's header for the row's last columns.
#pragma once

#include "canopy_settings.h"
#include "common_options.h"
#include "csv_output.h"
#include "dots_view.h"
#include "light_row.h"
#include "photo_settings_table.h"
#include "progress_reporter.h"
#include "sky_images.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace karwen::cli {

inline constexpr int kDotsSide = canopy::kDotsViewSide;

struct MeasureSettings {
    SourceOptions source;
    canopy::CanopySettings canopy;
    int jobs = 1;
    int cpus = 1; // the cores the workers share
    // The light figures too; the workers share the light library's models.
    std::optional<canopy::LightRequest> light;
    // The sky images too, files[i] photo i's; nullptr for none.
    const SkyImages* images = nullptr;
    // Photo i's own settings from a table, own[i]; nullptr (or no entry)
    // takes those above.
    std::vector<const PhotoSettings*> own;
    // The light figures at each photo's own GPS position (photo_site.h).
    bool siteFromPhotos = false;
};

struct MeasuredLines {
    // Entry i is photo i's row (one line) and its days; none for a photo not
    // taken because of a stop.
    std::vector<std::optional<PhotoLines>> rows;
    std::vector<std::optional<PhotoLines>> days;
    RunCounts counts;
    ImageCounts images;
};

// Photo i's row and days, handed over as soon as they are made (after its
// sky image, so that an image without its row is one to make again), before
// the reporter tells of the photo; called from the workers' threads.
using LineSink = std::function<void(std::size_t i, const PhotoLines& row, const PhotoLines& days)>;

// photos: the list's paths, which the file column shows. stop() is
// asked before each photo is taken; a true answer ends the run once the
// photos in hand are done.
[[nodiscard]] MeasuredLines measurePhotos(const std::vector<std::string>& photos, const MeasureSettings& run,
    ProgressReporter& reporter, const std::function<bool()>& stop, const LineSink& sink);

} // namespace karwen::cli
