// The batch conversion: every listed file of a folder through one set of
// conversion parameters, one after the other, each result written under
// the source's name with a postfix and the chosen format. The plan comes
// first, so that no result replaces a photo of the run or an earlier
// result; each result then goes where result_place.h allows (one there
// already is kept unless the job replaces results), converted on images of
// the run's own, leaving the program's open image and its state alone.
#pragma once

#include "batch_convert.h"
#include "batch_plan.h"
#include "file_messages.h"

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace karwen {

struct BatchOutcome {
    int listed = 0;                       // files in the run's list
    int converted = 0;                    // results written, nearly black ones included
    int notStarted = 0;                   // files left when the run was stopped
    int kept = 0;                         // results there already, left as they were
    std::vector<FileProblem> unreadable;  // photos that could not be read
    std::vector<FileProblem> noCircle;    // photos without a circle to read them through
    std::vector<FileProblem> refused;     // results not written, by the plan
    std::vector<FileProblem> failedSaves; // results that could not be written
    std::vector<FileProblem> black;       // photos whose result was entirely black
    std::vector<FileProblem> nearlyBlack; // results written with no level above kNearlyBlackLevel

    [[nodiscard]] bool allWell() const
    {
        return unreadable.empty() && noCircle.empty() && refused.empty() && failedSaves.empty() && black.empty()
            && nearlyBlack.empty();
    }
    // Results not written: there already, or so as to keep other files.
    [[nodiscard]] int skipped() const { return kept + int(refused.size()); }
    [[nodiscard]] int failed() const
    {
        return int(unreadable.size() + noCircle.size() + failedSaves.size() + black.size());
    }
    [[nodiscard]] bool stopped() const { return notStarted > 0; }
};

// Called with the progress text before each listed file.
using BatchProgress = std::function<void(const std::string& text)>;

// What a caller may see of a run, and how it stops one. The calls come
// from the thread that runs the batch.
struct BatchWatch {
    BatchProgress starting; // before each listed file
    // After each, with the files done so far and the skipped among them.
    std::function<void(int done, int count, int skipped)> finished;
    // Once set, the file in hand is finished and no further one is started.
    const std::atomic<bool>* stop = nullptr;
};

// Runs the whole batch, or until it is stopped; an empty file list does
// nothing.
BatchOutcome runBatch(const BatchJob& job, const BatchSettings& settings, const BatchWatch& watch);

// "<first 30 characters of name>\r (i/n)" with i counted from 1.
[[nodiscard]] std::string batchProgressText(const std::string& name, int index, int count);

} // namespace karwen
