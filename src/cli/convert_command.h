// karwen-cli from its arguments to its exit code: read the command line,
// list the inputs, plan every result over the whole list, keep this run's
// shard, convert it in parallel and report.
#pragma once

namespace karwen::cli {

// Exit codes as convert_options.h gives them; 128 + the signal's number
// when SIGINT or SIGTERM stopped the run (the files in hand are finished).
[[nodiscard]] int runCommandLine(int argc, const char* const* argv);

} // namespace karwen::cli
