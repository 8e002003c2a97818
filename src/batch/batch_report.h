// The words that close a batch run for the user: what went wrong, grouped,
// each file with its path and reason. Nothing when everything went well.
#pragma once

#include "batch_run.h"

#include <string>

namespace karwen {

[[nodiscard]] std::string batchReport(const BatchOutcome& outcome);

} // namespace karwen
