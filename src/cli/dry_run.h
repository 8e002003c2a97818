// --dry-run of convert and measure: what a run would do, told on standard
// output without reading a pixel or writing a file: one line per photo
// ("<photo>: <what>", with the settings of its row in a table), then the
// counts.
#pragma once

#include "batch_plan.h"
#include "convert_table.h"
#include "file_messages.h"
#include "photo_settings_table.h"

#include <string>
#include <vector>

namespace karwen::cli {

class DryRun {
public:
    // A photo and what the run would do with it: its result's path, "row",
    // "skipped: exists", "refused: ...", "fails: ..."; shown: the settings
    // its row gives ("" for none).
    void photo(const std::string& path, const std::string& what, const std::string& shown = {});
    // The photos that cannot be opened, as the run would fail them.
    void problems(const std::vector<FileProblem>& problems);
    // The counts, closing the listing; `doing` names the photos done
    // ("converted", "measured"). Returns the exit code: 0.
    int finish(const std::string& doing) const;

private:
    int done_ = 0, skipped_ = 0, failed_ = 0;
};

// Why no file can be made in the folder (it, or the nearest folder above
// it that exists, takes no new entry); "" when one can. Asks, writes
// nothing.
[[nodiscard]] std::string unwritableFolder(const std::string& folder);

// convert's listing: folder, the output folder (absolute); mine, this
// shard's results. A folder of results made with other settings is
// refused as the run refuses it (told on standard error, kExitUsage).
[[nodiscard]] int dryRunConvert(const std::string& folder, const std::vector<FileProblem>& problems,
    const std::vector<PlannedFile>& mine, const ConvertTable& table, const ConvertOptions& o);

// measure's listing: mine, this shard's photos; of them, photos those
// that would be measured (the others are kept by --resume).
[[nodiscard]] int dryRunMeasure(const std::vector<FileProblem>& problems, const std::vector<std::string>& mine,
    const std::vector<std::string>& photos, const PhotoSettingsTable* table);

} // namespace karwen::cli
