#include "convert_command.h"

#include "batch_inputs.h"
#include "batch_plan.h"
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

    const BatchInputs inputs = collectBatchInputs(o.run.inputs);
    const BatchJob job{"", files::utf8String(output), o.postfix, o.outExt, inputs.paths};
    const std::vector<PlannedFile> mine = shardOf(planBatch(job), o.run.shard, o.run.shards);

    ProgressReporter reporter(stderr, reporterStyle(o.run.quiet));
    for (const FileProblem& problem : inputs.problems)
        reporter.failure(fileProblemMessage(FileAction::Open, problem));

    (void)RixSetMaxPixels(o.run.maxPixels);
    catchStopSignals();
    const RunSettings run{o.settings, o.overwrite, o.run.jobs, availableCpus()};
    RunCounts counts = runConversions(mine, run, reporter, stopRequested);
    counts.failed += int(inputs.problems.size());
    reporter.finish(counts, stopRequested());
    return exitCodeOf(counts.failed > 0);
}

} // namespace karwen::cli
