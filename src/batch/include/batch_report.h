// The words of a batch run for the user: the time it has left while it
// runs, and at its close the counts and what went wrong, grouped, each file
// with its path and reason.
#pragma once

#include "batch_run.h"

#include <string>

namespace karwen {

// The problems, grouped; nothing when everything went well.
[[nodiscard]] std::string batchReport(const BatchOutcome& outcome);

// "Completed: 5 converted, 1 skipped, 2 failed." or, for a stopped run,
// "Stopped after 8 of 300 files: ...". Skipped are the results not written,
// being there already or to keep other files; failed, the photos that gave
// no result.
[[nodiscard]] std::string batchSummary(const BatchOutcome& outcome);

// "about 40 s left", "about 3 min left" for the files still to do at the
// pace of those done; "" before the first file is done and after the last.
[[nodiscard]] std::string batchTimeLeft(double secondsSoFar, int done, int count);

} // namespace karwen
