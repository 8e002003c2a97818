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
// other settings than this run's refuses the file. A file written before
// the last columns were added (canopy::kCsvAddedColumns) is continued with
// those columns empty in its rows.
#pragma once

#include "canopy_settings.h"
#include "common_options.h"

#include <string>
#include <vector>

namespace karwen::cli {

enum class CsvMode { New, Overwrite, Resume };

struct KeptRow {
    std::string file;      // as the file column reads it (canopy::csvText)
    std::string line;      // without its line end
    bool measured = false; // no error: the photo need not be measured again
};

struct CsvTarget {
    bool exists = false;       // a file to be replaced or continued is there
    std::vector<KeptRow> rows; // --resume: one per photo, in the file's order
    int exitCode = 0;          // kExitUsage: refused; kExitFailures: it cannot be read
    std::string refusal;       // why, in the user's words
};

// The settings columns of a measured photo's line that a continued file's
// rows must match: projection and view, the circle when given, channel,
// gamma, method, a fixed threshold, rings, sectors, max_zenith,
// dots_projection, where the circle came from, and the lens.
struct RunSettings {
    SourceOptions source;
    canopy::CanopySettings canopy;
};

[[nodiscard]] CsvTarget judgeCsvTarget(const std::string& path, CsvMode mode, const RunSettings& run);

} // namespace karwen::cli
