// The batch conversion: every listed file of a folder through one set of
// conversion parameters, one after the other, each result written under
// the source's name with a postfix and the chosen format. The plan comes
// first, so that no result replaces a photo of the run or an earlier
// result; each file is then converted on images of the run's own, leaving
// the program's open image and its state alone.
#pragma once

#include "batch_convert.h"
#include "batch_plan.h"
#include "file_messages.h"

#include <functional>
#include <string>
#include <vector>

namespace karwen {

struct BatchOutcome {
    int converted = 0;
    std::vector<FileProblem> unreadable;  // photos that could not be read
    std::vector<FileProblem> noCircle;    // photos without a circle to read them through
    std::vector<FileProblem> refused;     // results not written, by the plan
    std::vector<FileProblem> failedSaves; // results that could not be written
    std::vector<FileProblem> black;       // photos whose result was entirely black

    [[nodiscard]] bool allWell() const
    {
        return unreadable.empty() && noCircle.empty() && refused.empty() && failedSaves.empty() && black.empty();
    }
};

// Called with the progress text before each listed file.
using BatchProgress = std::function<void(const std::string& text)>;

// Runs the whole batch; an empty file list does nothing.
BatchOutcome runBatch(const BatchJob& job, const BatchSettings& settings, const BatchProgress& progress);

// "<first 30 characters of name>\r (i/n)" with i counted from 1.
[[nodiscard]] std::string batchProgressText(const std::string& name, int index, int count);

} // namespace karwen
