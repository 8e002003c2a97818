// What every command's run shares: its exit codes, the signals that stop
// it, the shard of the list it keeps and how it shows progress.
#pragma once

#include "progress_reporter.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace karwen::cli {

// Exit codes of the program; 128 + the signal's number when SIGINT, SIGTERM
// or SIGHUP stopped a run (the files in hand are finished).
inline constexpr int kExitDone = 0;     // nothing failed
inline constexpr int kExitFailures = 1; // some file failed; the others were done
inline constexpr int kExitUsage = 2;    // the command line was not understood
inline constexpr int kExitSignalBase = 128;

// The help's sentence on these codes for one command: what done, failures
// and usage mean for it, and, unless signalled is empty, what a run a signal
// stopped leaves.
[[nodiscard]] std::string exitStatusHelp(
    const std::string& done, const std::string& failures, const std::string& usage, const std::string& signalled = "");
// What a dry run's exit status says, for the --dry-run option's help.
[[nodiscard]] std::string dryRunExitHelp();

// From here on, the first SIGINT, SIGTERM or SIGHUP asks the run to stop
// once the files in hand are done; a second one of the same ends the
// process at once. SIGPIPE is ignored: a write to a closed pipe fails with
// EPIPE and is handled where it happens.
void catchStopSignals();

// How a run is stopped and where it tells of itself. Left empty, as the
// command line leaves them: the stop signals above, and standard error.
// A program that runs a command on a thread of its own (the window) gives
// its own stop, asked before each photo is taken, and a sink for what
// standard error would show; its rows and files are the command line's.
struct RunHooks {
    std::function<bool()> stop;
    std::optional<ProgressSink> progress;
};

// Opens /dev/null in place of a closed standard input, output or error, so
// that no file the run opens takes their numbers; called first thing.
void keepStandardStreamsOpen();
// Whether standard output was closed when the program started.
[[nodiscard]] bool standardOutputWasClosed();
[[nodiscard]] bool stopRequested();

// The exit code of a run that has ended: the stop signal's when one came,
// else whether something failed.
[[nodiscard]] int exitCodeOf(bool failed);

// Bar on a terminal, one line per file otherwise, nothing when quiet.
[[nodiscard]] ProgressReporter::Style reporterStyle(bool quiet);

// The items at places i of the list with i mod n = k - 1 (k counted from 1).
template <class T> [[nodiscard]] std::vector<T> shardOf(std::vector<T> list, int k, int n)
{
    std::vector<T> mine;
    for (std::size_t i = std::size_t(k - 1); i < list.size(); i += std::size_t(n))
        mine.push_back(std::move(list[i]));
    return mine;
}

} // namespace karwen::cli
