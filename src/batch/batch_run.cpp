#include "batch_run.h"

#include "result_place.h"

namespace karwen {

namespace {

// Byte length of the first `chars` UTF-8 characters of text.
std::size_t utf8Prefix(const std::string& text, std::size_t chars)
{
    std::size_t pos = 0;
    for (std::size_t n = 0; n < chars && pos < text.size(); ++n) {
        ++pos;
        while (pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80)
            ++pos;
    }
    return pos;
}

} // namespace

std::string batchProgressText(const std::string& name, int index, int count)
{
    return name.substr(0, utf8Prefix(name, 30)) + "\r (" + std::to_string(index) + "/" + std::to_string(count) + ")";
}

namespace {

// Converts the file unless its result is there already and kept, or
// something else holds the result's name; the result never replaces
// anything but a picture of its kind.
FileOutcome placeFile(const PlannedFile& file, const BatchJob& job, const BatchSettings& settings, bool& kept)
{
    const ResultPlace place = judgeResultPlace(file, job.destFolder, job.replaceResults);
    if (place.verdict == PlaceVerdict::Fail)
        return {FileResult::SaveFailed, {file.outputPath, place.reason, {}}};
    kept = place.verdict == PlaceVerdict::Skip;
    if (kept)
        return {};
    OwnedImage result;
    const FileOutcome made = makeResult(file, settings, result);
    if (made.result != FileResult::Converted)
        return made;
    bool written = false;
    FileOutcome saved = saveResultBelow(result, file, settings, job.destFolder, place.replaces, written);
    // Another program put a file there meanwhile: it stays.
    kept = saved.result == FileResult::Converted && !written;
    saved.nearlyBlack = made.nearlyBlack && saved.result == FileResult::Converted;
    return saved;
}

void runFile(const PlannedFile& file, const BatchJob& job, const BatchSettings& settings, BatchOutcome& outcome)
{
    if (!file.refusal.empty()) {
        outcome.refused.push_back({file.outputPath, file.refusal, {}});
        return;
    }
    bool kept = false;
    FileOutcome done = placeFile(file, job, settings, kept);
    if (kept) {
        ++outcome.kept;
        return;
    }
    switch (done.result) {
    case FileResult::Converted:
        ++outcome.converted;
        if (done.nearlyBlack)
            outcome.nearlyBlack.push_back({file.outputPath, kNearlyBlackReason, {}});
        break;
    case FileResult::Unreadable:
        outcome.unreadable.push_back(std::move(done.problem));
        break;
    case FileResult::NoCircle:
        outcome.noCircle.push_back(std::move(done.problem));
        break;
    case FileResult::Black:
        outcome.black.push_back(std::move(done.problem));
        break;
    case FileResult::SaveFailed:
        outcome.failedSaves.push_back(std::move(done.problem));
        break;
    }
}

} // namespace

BatchOutcome runBatch(const BatchJob& job, const BatchSettings& settings, const BatchWatch& watch)
{
    BatchOutcome outcome;
    const std::vector<PlannedFile> plan = planBatch(job);
    const int n = static_cast<int>(plan.size());
    outcome.listed = n;
    for (int i = 0; i < n; ++i) {
        if (watch.stop && watch.stop->load()) {
            outcome.notStarted = n - i;
            break;
        }
        const PlannedFile& file = plan[std::size_t(i)];
        if (watch.starting)
            watch.starting(batchProgressText(file.name, i + 1, n));
        runFile(file, job, settings, outcome);
        if (watch.finished)
            watch.finished(i + 1, n, outcome.skipped());
    }
    return outcome;
}

} // namespace karwen
