// The options of karwen-cli convert read into what a conversion run needs:
// the photos and how the run is spread and reported, the output folder and
// naming, the conversion settings of the window's batch. Values are checked
// against the command line's bounds (kCommandLineBounds).
#pragma once

#include "batch_convert.h"
#include "common_options.h"
#include "photo_settings_table.h"

#include <functional>
#include <optional>
#include <string>

namespace CLI {
class App;
}

namespace karwen::cli {

struct ConvertOptions {
    RunOptions run;
    std::string outputFolder;
    std::string postfix = "-kw";
    std::string outExt = "jpg"; // "jpg" or "bmp"
    BatchSettings settings;
    bool overwrite = false;
    bool dryRun = false;                     // tell what the run would do, and do nothing
    bool decodeGiven = false;                // --decode was given, rather than left at auto
    std::optional<PhotoSettingsTable> table; // --photo-settings: the source side per photo
};

// The settings with the source side of source in place.
[[nodiscard]] BatchSettings withSource(BatchSettings settings, const SourceOptions& source);

// Adds convert's options to its subcommand. Once a parse has chosen it, the
// function returned gives its options or throws UsageError; it needs the
// projection names and coefficient tables.
[[nodiscard]] std::function<ConvertOptions()> addConvertOptions(CLI::App& convert, int defaultJobs);

} // namespace karwen::cli
