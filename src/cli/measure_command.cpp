#include "measure_command.h"

#include "batch_inputs.h"
#include "canopy_csv.h"
#include "csv_output.h"
#include "csv_target.h"
#include "file_error.h"
#include "file_messages.h"
#include "file_path.h"
#include "measure_runner.h"
#include "parallel_runner.h"
#include "rix.h"
#include "run_control.h"
#include "utf8_path.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <optional>
#include <set>
#include <system_error>

namespace karwen::cli {

namespace {

namespace fs = std::filesystem;

// The same file: the same full name, or, where both exist, one file under
// two names.
bool sameFile(const fs::path& a, const std::string& b)
{
    std::error_code ec;
    return a == files::utf8Path(b) || fs::equivalent(a, files::utf8Path(b), ec);
}

// Why the CSV cannot be saved at path, as far as is known before the run;
// "" when nothing is in the way.
std::string csvObstacle(const fs::path& path)
{
    std::error_code ec;
    if (!fs::is_directory(files::utf8Path(files::folderOf(files::utf8String(path))), ec))
        return "the folder does not exist";
    if (fs::is_directory(path, ec))
        return "a folder of this name is in the way";
    return {};
}

// The photos of the list without a measured row in the file continued.
std::vector<std::string> photosToMeasure(const std::vector<std::string>& list, const std::vector<KeptRow>& kept)
{
    std::set<std::string> measured;
    for (const KeptRow& row : kept)
        if (row.measured)
            measured.insert(row.file);
    std::vector<std::string> photos;
    std::ranges::copy_if(
        list, std::back_inserter(photos), [&](const std::string& p) { return !measured.contains(canopy::csvText(p)); });
    return photos;
}

// Whether the run may write where --csv says, told on standard error when
// it may not: kExitDone, or the exit code. target: what a file there holds.
int judgeCsv(const MeasureOptions& o, const BatchInputs& inputs, CsvTarget& target)
{
    if (o.csvPath == kStandardOutput) {
        if (!standardOutputWasClosed())
            return kExitDone;
        std::fprintf(stderr, "Cannot write the figures: standard output is closed; nothing was measured.\n");
        return kExitFailures;
    }
    std::error_code ec;
    const fs::path csv = fs::absolute(files::utf8Path(o.csvPath), ec).lexically_normal();
    const auto photo = std::find_if(
        inputs.paths.begin(), inputs.paths.end(), [&](const std::string& p) { return sameFile(csv, p); });
    if (photo != inputs.paths.end()) {
        std::fprintf(stderr,
            "karwen-cli measure: --csv: \"%s\" is the photo %s of this run; nothing was measured or written.\n",
            o.csvPath.c_str(), photo->c_str());
        return kExitUsage;
    }
    if (const std::string obstacle = ec ? ec.message() : csvObstacle(csv); !obstacle.empty()) {
        std::fprintf(stderr, "Cannot save \"%s\": %s; nothing was measured.\n", o.csvPath.c_str(), obstacle.c_str());
        return kExitFailures;
    }
    target = judgeCsvTarget(o.csvPath, o.csvMode, {o.source, o.settings});
    if (target.exitCode != kExitDone)
        std::fprintf(stderr, "%s%s; nothing was measured.\n",
            target.exitCode == kExitUsage ? "karwen-cli measure: " : "", target.refusal.c_str());
    return target.exitCode;
}

} // namespace

int runMeasure(const MeasureOptions& o)
{
    const bool toStandardOutput = o.csvPath == kStandardOutput;
    const BatchInputs inputs = collectBatchInputs(o.run.inputs, {o.run.recursive, {}});
    CsvTarget target;
    if (const int refused = judgeCsv(o, inputs, target); refused != kExitDone)
        return refused;

    const std::vector<std::string> mine = shardOf(inputs.paths, o.run.shard, o.run.shards);
    const std::vector<std::string> photos = photosToMeasure(mine, target.rows);
    catchStopSignals();
    std::optional<CsvOutput> output;
    try {
        output.emplace(o.csvPath, target, o.settings.rings, photos.size());
    } catch (const files::FileError& e) {
        std::fprintf(stderr, "%s; nothing was measured.\n", e.what());
        return kExitFailures;
    }

    // A continued file's photos that already have figures count as skipped.
    const bool resumed = o.csvMode == CsvMode::Resume;
    ProgressReporter reporter(stderr, reporterStyle(o.run.quiet), {"measured", resumed});
    for (const FileProblem& problem : inputs.problems)
        reporter.failure(fileProblemMessage(FileAction::Open, problem));
    (void)RixSetMaxPixels(o.run.maxPixels);
    const MeasureSettings run{o.source, o.settings, o.run.jobs, availableCpus()};
    MeasuredLines measured = measurePhotos(
        photos, run, reporter, [&] { return stopRequested() || output->failed(); },
        [&](std::size_t i, const std::string& line) { output->add(i, line); });
    measured.counts.failed += int(inputs.problems.size());
    measured.counts.skipped = int(mine.size() - photos.size());
    bool saved = !output->failed();
    const bool inListOrder = saved && !stopRequested() && !toStandardOutput;
    try {
        if (inListOrder)
            output->saveRows(rowsInListOrder(mine, photos, measured.lines, target.rows));
        else
            output->close();
    } catch (const files::FileError& e) {
        reporter.failure(std::string(inListOrder ? "The lines were not put in list order (they stay in the order "
                                                   "the photos finished): "
                                                 : "The figures were not saved: ")
            + e.what());
        saved = false;
    }
    if (output->failed())
        reporter.failure("The run stopped: " + output->failure() + "; the lines written before stay");
    reporter.finish(measured.counts, stopRequested());
    return exitCodeOf(measured.counts.failed > 0 || !saved);
}

} // namespace karwen::cli
