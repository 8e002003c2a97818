#include "convert_command.h"

#include "batch_inputs.h"
#include "batch_plan.h"
#include "convert_folder.h"
#include "convert_runner.h"
#include "convert_table.h"
#include "dry_run.h"
#include "file_error.h"
#include "file_messages.h"
#include "option_values.h"
#include "parallel_runner.h"
#include "result_base.h"
#include "rix.h"
#include "run_control.h"
#include "settings_record.h"
#include "shown_text.h"
#include "utf8_path.h"

#include <cstdio>
#include <filesystem>
#include <set>
#include <system_error>

namespace karwen::cli {

namespace {

// The line telling of the photos -r leaves out below the output folder,
// other than this run's own results; "" when there are none.
std::string leftOutLine(const BatchInputs& inputs, const std::vector<PlannedFile>& plan)
{
    std::set<std::string> photos(inputs.skippedPhotos.begin(), inputs.skippedPhotos.end());
    for (const PlannedFile& file : plan)
        photos.erase(file.outputPath);
    if (photos.empty())
        return {};
    const bool one = photos.size() == 1;
    return std::to_string(photos.size()) + (one ? " photo in " : " photos in ") + inputs.skippedFolder
        + (one ? " is" : " are") + " left out: it is the output folder";
}

} // namespace

int runConvert(const ConvertOptions& given)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path output = fs::absolute(files::utf8Path(given.outputFolder), ec).lexically_normal();
    ConvertOptions o = given;
    if (!ec && continuesFullDecoding(files::utf8String(output), given.settings, given.decodeGiven)) {
        o.settings.scaledDecode = false;
        printShown(stderr,
            "karwen-cli convert: the results in \"" + given.outputFolder
                + "\" were made from photos decoded in full, so this run decodes in full too (--decode full).");
    }
    if (const std::string why = o.dryRun ? unwritableFolder(o.outputFolder) : ""; !why.empty()) {
        printShown(stderr, "Cannot make the output folder \"" + o.outputFolder + "\": " + why + ".");
        return kExitUsage;
    }

    const BatchInputs inputs
        = collectBatchInputs(o.run.inputs, {o.run.recursive, o.run.recursive ? files::utf8String(output) : ""});
    BatchJob job{"", files::utf8String(output), o.postfix, o.outExt, inputs.paths, {}};
    try {
        if (o.run.recursive)
            job.subfolders = resultSubfolders(inputs, o.run.base);
    } catch (const UsageError& e) {
        printShown(stderr, std::string("karwen-cli convert: ") + e.what() + "; nothing was converted.");
        return kExitUsage;
    }
    const std::vector<PlannedFile> plan = planBatch(job);
    const std::string leftOut = leftOutLine(inputs, plan);
    const std::vector<PlannedFile> mine = shardOf(plan, o.run.shard, o.run.shards);
    const ConvertTable table(o, plan, mine);
    if (o.dryRun)
        return dryRunConvert(job.destFolder, inputs.problems, mine, table, o);
    // Made only once the list and the table are known to be usable, so that
    // a usage error leaves no empty folder behind.
    if (!ec)
        fs::create_directories(output, ec);
    if (ec || !fs::is_directory(output)) {
        printShown(stderr,
            "Cannot make the output folder \"" + o.outputFolder
                + "\": " + (ec ? files::reasonOf(ec.value()) : "something else of that name is in the way") + ".");
        return kExitFailures;
    }
    const FolderCheck folder = prepareOutputFolder(job.destFolder, mine, table.recorded, o.overwrite);
    if (folder.exitCode != kExitDone) {
        printShown(stderr, folder.message);
        return folder.exitCode;
    }

    ProgressReporter reporter(stderr, reporterStyle(o.run.quiet));
    for (const FileProblem& problem : inputs.problems)
        reporter.failure(problemLine(FileAction::Open, problem));
    if (!leftOut.empty())
        reporter.note(leftOut);
    if (!table.unused.empty())
        printShown(stderr, "karwen-cli convert: " + table.unused + ".");

    (void)RixSetMaxPixels(o.run.maxPixels);
    catchStopSignals();
    const RunSettings run{o.settings, job.destFolder, o.overwrite, o.run.jobs, availableCpus(), table.own};
    ConversionRun result = runConversions(mine, run, reporter, stopRequested);
    result.counts.failed += int(inputs.problems.size());
    std::string unrecorded;
    if (folder.recordAfterRun && result.counts.done > 0)
        unrecorded = recordSettings(job.destFolder, table.recorded);
    if (!unrecorded.empty())
        reporter.failure(
            "Cannot record the settings of the results in \"" + job.destFolder + "\": " + unrecorded + ".");
    if (result.outOfRoom)
        reporter.failure("Stopped at the first result that could not be saved for want of room; make room and run "
                         "again to go on.");
    reporter.finish(result.counts, stopRequested() || result.outOfRoom);
    return exitCodeOf(result.counts.failed > 0 || !unrecorded.empty());
}

} // namespace karwen::cli
