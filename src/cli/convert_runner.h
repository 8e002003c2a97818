// The files of a plan converted in parallel (parallel_runner.h), each
// worker holding a photo and its result at a time, so memory does not grow
// with the number of files. Each result goes where result_place.h allows:
// an earlier result is skipped unless overwrite is set, whatever else holds
// its name fails that photo, as does a result the plan refuses.
#pragma once

#include "batch_convert.h"
#include "batch_plan.h"
#include "progress_reporter.h"

#include <functional>
#include <string>
#include <vector>

namespace karwen::cli {

struct RunSettings {
    BatchSettings settings;
    std::string outputFolder; // absolute; the results' paths lie below it
    bool overwrite = false;
    int jobs = 1;
    int cpus = 1; // the cores the workers share
    // files[i]'s own settings from a table, own[i]; nullptr (or no entry)
    // takes settings.
    std::vector<const BatchSettings*> own;

    [[nodiscard]] const BatchSettings& settingsOf(std::size_t i) const
    {
        return i < own.size() && own[i] ? *own[i] : settings;
    }
};

struct ConversionRun {
    RunCounts counts;
    bool outOfRoom = false; // a save found the disk full: the run stopped there
};

// Converts every file; stop() is asked before each file is taken, and a
// true answer ends the run once the files in hand are done. A save that
// finds no room (isOutOfRoom) ends the run too: no file is taken after it,
// and results made by then are not saved (nor counted).
[[nodiscard]] ConversionRun runConversions(const std::vector<PlannedFile>& files, const RunSettings& run,
    ProgressReporter& reporter, const std::function<bool()>& stop);

} // namespace karwen::cli
