// karwen-cli from its arguments to its exit code (run_control.h): read the
// command line, then run the command it names (convert, measure or
// lens-fit).
#pragma once

#include "convert_options.h"
#include "lens_fit_command.h"
#include "measure_options.h"
#include "run_control.h"

#include <iosfwd>
#include <optional>

namespace karwen::cli {

struct ParsedCommand {
    std::optional<ConvertOptions> convert; // at most one of the two is set:
    std::optional<MeasureOptions> measure; // the command to run
    int exitCode = kExitDone;              // otherwise: help, version, or a usage error
    std::optional<LensFitOptions> lensFit; // or this one
};

// Reads argv; help and the version go to out, usage errors to err. jobs is
// the default for -j. Needs the projection names and coefficient tables.
[[nodiscard]] ParsedCommand parseCommandLine(
    int argc, const char* const* argv, int defaultJobs, std::ostream& out, std::ostream& err);

[[nodiscard]] int runCommandLine(int argc, const char* const* argv);

} // namespace karwen::cli
