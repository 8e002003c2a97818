#include "convert_command.h"

#include "batch_inputs.h"
#include "batch_plan.h"
#include "convert_folder.h"
#include "convert_runner.h"
#include "file_messages.h"
#include "parallel_runner.h"
#include "rix.h"
#include "run_control.h"
#include "utf8_path.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace karwen::cli {

int runConvert(const ConvertOptions& o)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path output = fs::absolute(files::utf8Path(o.outputFolder), ec).lexically_normal();
    if (!ec)
        fs::create_directories(output, ec);
    if (ec || !fs::is_directory(output)) {
        std::fprintf(stderr, "Cannot make the output folder \"%s\": %s.\n", o.outputFolder.c_str(),
            ec ? ec.message().c_str() : "something else of that name is in the way");
        return kExitFailures;
    }

    const BatchInputs inputs
        = collectBatchInputs(o.run.inputs, {o.run.recursive, o.run.recursive ? files::utf8String(output) : ""});
    BatchJob job{"", files::utf8String(output), o.postfix, o.outExt, inputs.paths, {}};
    if (o.run.recursive)
        job.subfolders = inputs.subfolders;
    const std::vector<PlannedFile> mine = shardOf(planBatch(job), o.run.shard, o.run.shards);
    if (const FolderCheck folder = prepareOutputFolder(job.destFolder, mine, o.settings, o.overwrite);
        folder.exitCode != kExitDone) {
        std::fprintf(stderr, "%s\n", folder.message.c_str());
        return folder.exitCode;
    }

    ProgressReporter reporter(stderr, reporterStyle(o.run.quiet));
    for (const FileProblem& problem : inputs.problems)
        reporter.failure(fileProblemMessage(FileAction::Open, problem));

    (void)RixSetMaxPixels(o.run.maxPixels);
    catchStopSignals();
    const RunSettings run{o.settings, o.overwrite, o.run.jobs, availableCpus()};
    ConversionRun result = runConversions(mine, run, reporter, stopRequested);
    result.counts.failed += int(inputs.problems.size());
    if (result.outOfRoom)
        reporter.failure("Stopped at the first result that could not be saved for want of room; make room and run "
                         "again to go on.");
    reporter.finish(result.counts, stopRequested() || result.outOfRoom);
    return exitCodeOf(result.counts.failed > 0);
}

} // namespace karwen::cli
