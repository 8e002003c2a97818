// The file --csv names, judged before any photo is read. A new run needs a
// name that is free; --overwrite replaces, and --resume continues, only a
// CSV of our own: an empty file, or one whose first line (after a UTF-8
// byte order mark, if any) is the figures' header for some number of
// rings, as measure and the window's export write it. A photo, another
// program's CSV, anything but a regular file is never replaced, whatever
// the options.
//
// --resume reads the rows: a photo's last row counts; a last line without
// its line end (a killed run's) is dropped; a row with figures made under
// other settings than its photo takes in this run (this run's, light
// settings included, with a grey photo's channel), refuses the file. A file written before the last columns were added
// (canopy::kCsvAddedColumns) is continued with those columns empty in its
// rows, and only without --site: its rows lack the light columns.
//
// The file of --light-daily follows the same rules, its header being the
// days' header; resumed, it keeps the days of the photos the CSV keeps as
// measured (and those alone), and each of them must have every day there.
#pragma once

#include "canopy_settings.h"
#include "common_options.h"
#include "light_row.h"
#include "photo_settings_table.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace karwen::cli {

enum class CsvMode { New, Overwrite, Resume };

struct KeptRow {
    std::string file;      // as the file column reads it (canopy::csvText)
    std::string line;      // without its line end
    bool measured = false; // no error: the photo need not be measured again
    std::string again;     // why a row without error is measured again; "" for none
};

struct CsvTarget {
    bool exists = false; // a file to be replaced or continued is there
    // --resume: the CSV's, one per photo in the file's order; the days', one
    // per photo and day.
    std::vector<KeptRow> rows;
    int exitCode = 0;    // kExitUsage: refused; kExitFailures: it cannot be read
    std::string refusal; // why, in the user's words
};

// The settings columns of a measured photo's line that a continued file's
// rows must match: projection and view, the circle when given, channel,
// gamma, method, a fixed threshold, rings, sectors, max_zenith,
// dots_projection, where the circle came from, the lens, and every light
// setting (beam_fraction under a fixed fraction), empty without light.
struct RunSettings {
    SourceOptions source;
    canopy::CanopySettings canopy;
    std::optional<canopy::LightRequest> light;
    // Whether the photo a row names (by its file column) is grey; none when
    // that cannot be known (a photo not listed, or not readable). A grey
    // photo's row must read channel grey (canopy::forPhoto): one that
    // reads another, from before grey photos were told apart, is measured
    // again (KeptRow::again).
    std::function<std::optional<bool>(const std::string& file)> photoIsGrey;
    // The settings of the photo a row names from a settings table; none
    // (or nullptr) takes those above.
    std::function<const PhotoSettings*(const std::string& file)> ownSettings{};
    // --site exif: each row's site is its photo's, never compared.
    bool siteFromPhotos = false;
};

[[nodiscard]] CsvTarget judgeCsvTarget(const std::string& path, CsvMode mode, const RunSettings& run);
// The --light-daily file; csv: the CSV's judgement, whose measured rows
// are kept; days: the days of the period.
[[nodiscard]] CsvTarget judgeDailyTarget(const std::string& path, CsvMode mode, const CsvTarget& csv, int days);

} // namespace karwen::cli
