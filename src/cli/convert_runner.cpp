#include "convert_runner.h"

#include "common_options.h"
#include "file_messages.h"
#include "parallel_runner.h"
#include "result_place.h"
#include "run_control.h"
#include "shown_text.h"

#include <atomic>
#include <deque>
#include <future>
#include <memory>
#include <new>

namespace karwen::cli {

namespace {

struct Done {
    FileStatus status;
    std::string line;     // the failure in plain words
    bool untried = false; // a save not tried after one found no room: not reported
};

Done doneOf(const FileOutcome& outcome)
{
    switch (outcome.result) {
    case FileResult::Converted:
        return {FileStatus::Done, {}};
    case FileResult::Unreadable:
        return {FileStatus::Failed, problemLine(FileAction::Open, outcome.problem)};
    case FileResult::SaveFailed:
        return {FileStatus::Failed, problemLine(FileAction::Save, outcome.problem)};
    case FileResult::NoCircle:
        return {FileStatus::Failed,
            "Cannot convert \"" + outcome.problem.path + "\": " + sourceProblemText(outcome.problem.reason) + "."};
    case FileResult::Black:
        break;
    }
    return {FileStatus::Failed,
        "Cannot convert \"" + outcome.problem.path + "\": " + outcome.problem.reason + "; nothing was written."};
}

// A photo whose conversion ran out of memory after it was read (a load
// that runs out says so itself, with the photo's size).
Done outOfMemory(const PlannedFile& file)
{
    return {FileStatus::Failed, "Cannot convert \"" + file.sourcePath + "\": out of memory; nothing was written."};
}

Done refusedSave(const PlannedFile& file, const std::string& reason)
{
    return {FileStatus::Failed, problemLine(FileAction::Save, {file.outputPath, reason, {}})};
}

// Saves a result, or tells what went wrong; outOfRoom is set by the first
// save that finds no room, and no save is tried after it. replace: a
// picture --overwrite may replace was there when the file was taken.
Done saved(const PlannedFile& file, const OwnedImage& result, const BatchSettings& settings, const RunSettings& run,
    bool replace, std::atomic<bool>& outOfRoom)
{
    if (outOfRoom.load())
        return {FileStatus::Failed, {}, true};
    try {
        bool written = false;
        const FileOutcome outcome = saveResultBelow(result, file, settings, run.outputFolder, replace, written);
        if (outcome.result == FileResult::SaveFailed && isOutOfRoom(outcome.problem) && outOfRoom.exchange(true))
            return {FileStatus::Failed, {}, true}; // another save told it first
        if (outcome.result == FileResult::Converted && !written)
            return {FileStatus::Skipped, {}}; // another run saved it meanwhile
        return doneOf(outcome);
    } catch (const std::bad_alloc&) {
        return outOfMemory(file);
    }
}

// One worker's files. The save of a result (which waits for the disk to
// confirm the file) runs beside the making of the next results, so that the
// cores keep decoding; a few saves may be in flight per worker, since the
// disk may take the confirmations of several workers one after another.
class Worker : public FileWorker {
public:
    Worker(const std::vector<PlannedFile>& files, const RunSettings& run, ProgressReporter& reporter,
        std::atomic<int> (&counts)[3], std::atomic<bool>& outOfRoom)
        : files_(files)
        , run_(run)
        , reporter_(reporter)
        , counts_(counts)
        , outOfRoom_(outOfRoom)
    {
    }

    void take(std::size_t i) override
    {
        const PlannedFile& file = files_[i];
        if (!file.refusal.empty()) {
            report(i, refusedSave(file, file.refusal));
            return;
        }
        const ResultPlace place = judgeResultPlace(file, run_.outputFolder, run_.overwrite);
        if (place.verdict == PlaceVerdict::Fail) {
            report(i, refusedSave(file, place.reason));
            return;
        }
        if (place.verdict == PlaceVerdict::Skip) {
            report(i, {FileStatus::Skipped, {}});
            return;
        }
        const bool replace = place.replaces;
        OwnedImage result;
        FileOutcome made;
        try {
            made = makeResult(file, run_.settingsOf(i), result);
        } catch (const std::bad_alloc&) {
            report(i, outOfMemory(file));
            return;
        }
        if (made.result != FileResult::Converted) {
            report(i, doneOf(made));
            return;
        }
        if (saving_.size() == kSavesInFlight)
            finishOldestSave();
        auto image = std::make_shared<OwnedImage>(std::move(result));
        try {
            // The save holds the result until it is written.
            saving_.push_back({i, std::async(std::launch::async, [this, i, image, replace] {
                                   return saved(files_[i], *image, run_.settingsOf(i), run_, replace, outOfRoom_);
                               })});
        } catch (const std::exception&) {
            // No thread or memory to spare: save here and now.
            report(i, saved(file, *image, run_.settingsOf(i), run_, replace, outOfRoom_));
        }
    }

    void finish() override
    {
        while (!saving_.empty())
            finishOldestSave();
    }

private:
    static constexpr std::size_t kSavesInFlight = 3;

    struct Save {
        std::size_t index; // its file
        std::future<Done> done;
    };

    // Waits for the oldest save in flight and reports it.
    void finishOldestSave()
    {
        Save save = std::move(saving_.front());
        saving_.pop_front();
        publish(save.index, save.done.get());
    }

    // Files are reported in the order this worker took them.
    void report(std::size_t i, const Done& done)
    {
        finish();
        publish(i, done);
    }

    void publish(std::size_t i, const Done& done)
    {
        if (done.untried)
            return;
        ++counts_[int(done.status)];
        reporter_.fileDone(done.status, files_[i].sourcePath, files_[i].outputPath, done.line);
    }

    const std::vector<PlannedFile>& files_;
    const RunSettings& run_;
    ProgressReporter& reporter_;
    std::atomic<int> (&counts_)[3];
    std::atomic<bool>& outOfRoom_;
    std::deque<Save> saving_; // oldest first
};

} // namespace

ConversionRun runConversions(const std::vector<PlannedFile>& files, const RunSettings& run, ProgressReporter& reporter,
    const std::function<bool()>& stop)
{
    std::atomic<int> counts[3] = {0, 0, 0}; // by FileStatus
    std::atomic<bool> outOfRoom{false};
    reporter.start(int(files.size()));
    runWorkers(
        files.size(), run.jobs, run.cpus, [&] { return outOfRoom.load() || stop(); },
        [&] { return std::make_unique<Worker>(files, run, reporter, counts, outOfRoom); });
    return {{counts[int(FileStatus::Done)].load(), counts[int(FileStatus::Skipped)].load(),
                counts[int(FileStatus::Failed)].load()},
        outOfRoom.load()};
}

} // namespace karwen::cli
