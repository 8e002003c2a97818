// The command line of karwen-cli read into what a conversion run needs:
// the inputs as named, the output folder and naming, the conversion
// settings of the window's batch, and how the run is spread and reported.
// Values are checked against the bounds of the batch dialog's fields.
#pragma once

#include "batch_convert.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace karwen::cli {

struct ConvertOptions {
    std::vector<std::string> inputs; // files and folders as named
    std::string outputFolder;
    std::string postfix = "-kw";
    std::string outExt = "jpg"; // "jpg" or "bmp"
    BatchSettings settings;
    bool overwrite = false;
    int jobs = 1;
    int shard = 1; // this run's shard, 1..shards
    int shards = 1;
    bool quiet = false;
};

// Exit codes of the program.
inline constexpr int kExitDone = 0;     // nothing failed
inline constexpr int kExitFailures = 1; // some file failed; the others were done
inline constexpr int kExitUsage = 2;    // the command line was not understood

struct ParsedCommand {
    std::optional<ConvertOptions> options; // set when there is a conversion to run
    int exitCode = kExitDone;              // otherwise: help, version, or a usage error
};

// Reads argv; help and the version go to out, usage errors to err. jobs is
// the default for -j. Needs the projection names and coefficient tables.
[[nodiscard]] ParsedCommand parseCommandLine(
    int argc, const char* const* argv, int defaultJobs, std::ostream& out, std::ostream& err);

} // namespace karwen::cli
