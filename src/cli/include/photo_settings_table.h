// The per-photo settings of --photo-settings: a CSV whose file column names
// a photo and whose other columns replace, for that photo alone, the option
// of the same meaning (circle, view, tilt, lens, projection, threshold,
// top_azimuth, magnetic_declination, mirrored, site, period, utc_offset);
// an empty cell keeps the option. measure's own CSV (and the window's
// export) reads as a table of circles. Each row's cells are read by the
// options' own rules (a RowSettings function that the command gives), so
// that a table accepts exactly what the command line does.
#pragma once

#include "canopy_row.h"
#include "canopy_settings.h"
#include "common_options.h"
#include "light_options.h"
#include "light_row.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace karwen::cli {

// One photo's settings, the options' with the row's cells in their place.
struct PhotoSettings {
    SourceOptions source;
    canopy::CanopySettings canopy;
    std::optional<canopy::LightRequest> light;
    bool siteFromPhotos = false; // the light's site is each photo's GPS position (--site exif)
    bool circleFromTable = false;
    std::string shown; // the row's cells as "column=value, ...", for the user
};

// What the circle column of a photo measured with these settings says.
[[nodiscard]] canopy::CircleOrigin circleOriginOf(const PhotoSettings& settings);
// Fills the columns of a photo's row that its settings give and the canopy
// library does not know: the circle's origin and the lens's name. Measured
// rows and the row a resumed CSV is compared with both take them from here.
void setSettingsColumns(canopy::CanopyRow& row, const PhotoSettings& settings);

// The raw options a row's cells replace.
struct RawPhotoOptions {
    RawSourceOptions source;
    std::string threshold;
    RawLightOptions light;
};

// The settings of one photo from the options with a row's cells in place;
// throws UsageError naming the option whose value is refused.
using RowSettings = std::function<PhotoSettings(const RawPhotoOptions&)>;

struct TableRow {
    int line = 0;
    std::string file; // the file cell as written
    PhotoSettings settings;
};

struct PhotoSettingsTable {
    // By the photo's real path (weakly canonical).
    std::map<std::string, TableRow> rows;

    // The row of a photo of the list, nullptr for none.
    [[nodiscard]] const TableRow* rowOf(const std::string& photo) const;
    // The rows naming no photo of the list: one line for standard error, ""
    // when every row names one.
    [[nodiscard]] std::string unusedRows(const std::vector<std::string>& list) const;
};

// What a run takes from the table.
struct TableUse {
    std::vector<const PhotoSettings*> own; // photos[i]'s settings; nullptr: the options'
    std::string unused;                    // unusedRows of the whole list
    std::string refusal;                   // why the run cannot start; "" when it can
};

// The table's settings of the photos of a run, photos among list (the
// whole list, before sharding). withoutRow: why the options alone measure
// no photo ("" when they do), the refusal of a photo of the list without
// a row.
[[nodiscard]] TableUse useTable(const PhotoSettingsTable& table, const std::string& withoutRow,
    const std::vector<std::string>& list, const std::vector<std::string>& photos);

// --photo-settings, of measure and convert alike; sourceOnly: a command
// that takes the source side alone (convert).
void addPhotoSettingsOption(CLI::App& command, std::string& path, bool sourceOnly);
// Throws UsageError when the table and the list of photos would both be
// read from standard input.
void checkPhotoSettingsPath(const std::string& path, const RawRunOptions& run);

// Reads the table at path ("-": standard input). The options' raw texts and
// rowSettings give each row's settings. Throws UsageError naming the line
// and column of a refused value, a duplicate or an ambiguous row.
[[nodiscard]] PhotoSettingsTable readPhotoSettings(
    const std::string& path, const RawPhotoOptions& options, const RowSettings& rowSettings);

} // namespace karwen::cli
