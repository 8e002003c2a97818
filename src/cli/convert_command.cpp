#include "convert_command.h"

#include "batch_inputs.h"
#include "batch_plan.h"
#include "convert_options.h"
#include "convert_runner.h"
#include "file_messages.h"
#include "projection_model.h"
#include "utf8_path.h"

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <system_error>

namespace karwen::cli {

namespace {

namespace fs = std::filesystem;

volatile std::sig_atomic_t stopSignal = 0;

extern "C" void requestStop(int signal) { stopSignal = signal; }

// The first SIGINT or SIGTERM lets the files in hand finish; a second one
// ends the process at once.
void catchStopSignals()
{
    struct sigaction action { };
    action.sa_handler = requestStop;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// The files that belong to shard k of n (counted from 1).
std::vector<PlannedFile> shardOf(std::vector<PlannedFile> plan, int k, int n)
{
    std::vector<PlannedFile> mine;
    for (std::size_t i = std::size_t(k - 1); i < plan.size(); i += std::size_t(n))
        mine.push_back(std::move(plan[i]));
    return mine;
}

int convert(const ConvertOptions& o)
{
    std::error_code ec;
    const fs::path output = fs::absolute(files::utf8Path(o.outputFolder), ec).lexically_normal();
    if (!ec)
        fs::create_directories(output, ec);
    if (ec || !fs::is_directory(output)) {
        std::fprintf(stderr, "Cannot make the output folder \"%s\": %s.\n", o.outputFolder.c_str(),
            ec ? ec.message().c_str() : "something else of that name is in the way");
        return kExitFailures;
    }

    const BatchInputs inputs = collectBatchInputs(o.inputs);
    const BatchJob job{"", files::utf8String(output), o.postfix, o.outExt, inputs.paths};
    const std::vector<PlannedFile> mine = shardOf(planBatch(job), o.shard, o.shards);

    const ProgressReporter::Style style = o.quiet ? ProgressReporter::Style::Quiet
        : ::isatty(STDERR_FILENO)                 ? ProgressReporter::Style::Bar
                                                  : ProgressReporter::Style::Lines;
    ProgressReporter reporter(stderr, style);
    for (const FileProblem& problem : inputs.problems)
        reporter.failure(fileProblemMessage(FileAction::Open, problem));

    catchStopSignals();
    const RunSettings run{o.settings, o.overwrite, o.jobs, availableCpus()};
    RunCounts counts = runConversions(mine, run, reporter, [] { return stopSignal != 0; });
    counts.failed += int(inputs.problems.size());
    reporter.finish(counts, stopSignal != 0);
    if (stopSignal != 0)
        return 128 + stopSignal;
    return counts.failed > 0 ? kExitFailures : kExitDone;
}

} // namespace

int runCommandLine(int argc, const char* const* argv)
{
    initProjectionNames();
    initCoefTables();
    const ParsedCommand command = parseCommandLine(argc, argv, availableCpus(), std::cout, std::cerr);
    if (!command.options)
        return command.exitCode;
    return convert(*command.options);
}

} // namespace karwen::cli
