// karwen-cli from its arguments to its exit code (run_control.h): read the
// command line, then run the command it names.
#pragma once

#include "convert_options.h"
#include "run_control.h"

#include <iosfwd>
#include <optional>

namespace karwen::cli {

struct ParsedCommand {
    std::optional<ConvertOptions> convert; // set when there is a conversion to run
    int exitCode = kExitDone;              // otherwise: help, version, or a usage error
};

// Reads argv; help and the version go to out, usage errors to err. jobs is
// the default for -j. Needs the projection names and coefficient tables.
[[nodiscard]] ParsedCommand parseCommandLine(
    int argc, const char* const* argv, int defaultJobs, std::ostream& out, std::ostream& err);

[[nodiscard]] int runCommandLine(int argc, const char* const* argv);

} // namespace karwen::cli
