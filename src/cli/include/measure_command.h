// karwen-cli measure: list the inputs, keep this run's shard, measure it in
// parallel, report, and write every photo's line, in the list's order under
// one header, to the CSV file at once. The window's batch measures through
// the same call, with its own stop and progress (RunHooks).
#pragma once

#include "measure_options.h"
#include "run_control.h"

namespace karwen::cli {

// The program's exit code for the run (run_control.h). Before any photo is
// read: a CSV that would replace a photo of the list is a usage error, a
// CSV whose folder is missing a failure. Every message goes where hooks
// say; a stop the hooks ask for ends the run as a stop signal does, with
// the exit code of what was done.
[[nodiscard]] int runMeasure(const MeasureOptions& options, const RunHooks& hooks = {});

} // namespace karwen::cli
