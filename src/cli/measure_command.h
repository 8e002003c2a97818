// karwen-cli measure: list the inputs, keep this run's shard, measure it in
// parallel, report, and write every photo's line, in the list's order under
// one header, to the CSV file at once.
#pragma once

#include "measure_options.h"

namespace karwen::cli {

// The program's exit code for the run (run_control.h). Before any photo is
// read: a CSV that would replace a photo of the list is a usage error, a
// CSV whose folder is missing a failure.
[[nodiscard]] int runMeasure(const MeasureOptions& options);

} // namespace karwen::cli
