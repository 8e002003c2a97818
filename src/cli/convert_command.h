// karwen-cli convert: list the inputs, plan every result over the whole
// list, keep this run's shard, convert it in parallel and report.
#pragma once

#include "convert_options.h"

namespace karwen::cli {

// The program's exit code for the run (command_line.h).
[[nodiscard]] int runConvert(const ConvertOptions& options);

} // namespace karwen::cli
