// The options of karwen-cli measure read into what a measuring run needs:
// the photos and how the run is spread and reported, their source side as
// convert reads it, the canopy settings, the light run if asked for, the
// CSV file, and the folder of the sky images if asked for. A canopy setting is taken when the canopy library accepts
// it (isValid).
#pragma once

#include "canopy_settings.h"
#include "common_options.h"
#include "csv_target.h"
#include "light_options.h"
#include "photo_settings_table.h"

#include <functional>
#include <optional>
#include <string>

namespace CLI {
class App;
}

namespace karwen::cli {

struct MeasureOptions {
    RunOptions run;
    SourceOptions source;
    canopy::CanopySettings settings;
    std::string csvPath;            // "-" for standard output
    CsvMode csvMode = CsvMode::New; // --light-daily's file too, and the sky images
    LightOptions light;
    std::string classifiedFolder;            // --save-classified: the sky images' folder; "" for none
    bool dryRun = false;                     // tell what the run would do, and do nothing
    std::optional<PhotoSettingsTable> table; // --photo-settings
    // Why the options alone measure no photo (a table gives what they
    // lack): a photo without a row is refused with it; "" when they do.
    std::string withoutRow;
};

// Adds measure's options to its subcommand. Once a parse has chosen it, the
// function returned gives its options or throws UsageError; it needs the
// projection names and coefficient tables.
[[nodiscard]] std::function<MeasureOptions()> addMeasureOptions(CLI::App& measure, int defaultJobs);

} // namespace karwen::cli
