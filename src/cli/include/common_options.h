// The options every command of karwen-cli shares: the photos (INPUT,
// --files-from, -r), how
// many at once (-j), this run's shard (--shard), the progress shown (-q),
// and the source side of the photos (--src-projection or --src-lens,
// --circle or --detect-circle, --view, --tilt), each with the bounds of the
// parameters window and the batch dialog.
#pragma once

#include "lens_catalogue.h"
#include "rix.h"

#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace karwen::cli {

// 600 Mpx: above the largest camera sensors, below what one job can hold
// on an ordinary machine (a photo takes 4 bytes a pixel once decoded).
inline constexpr int kDefaultMaxPixels = 600'000'000;

struct RunOptions {
    std::vector<std::string> inputs; // files and folders as named, those of --files-from included
    bool recursive = false;          // the photos of the named folders' subfolders too
    // --base: the folder the results' subfolders are relative to (absolute,
    // without "." and ".." steps); "" for each named folder.
    std::string base;
    int jobs = 1;
    int shard = 1; // this run's shard, 1..shards
    int shards = 1;
    int maxPixels = kDefaultMaxPixels; // larger photos are refused before they are decoded
    bool quiet = false;
};

struct SourceOptions {
    // Projection, tilt and view angles; with a given circle also Cx, Cy, R.
    ProjectionRecord srcPrm{};
    bool findCircle = false; // each photo's own circle, looking along its axis
    // The real lens the photos are read through, exactly when srcPrm.Proj
    // is RixLensSource.
    std::optional<NamedLens> lens;
};

// The lens of a source, as the conversions and measurements take it:
// nullptr for an ideal projection.
[[nodiscard]] const RixLens* lensOf(const SourceOptions& source);
// Its name for the CSV's lens column; "" for an ideal projection.
[[nodiscard]] std::string lensNameOf(const SourceOptions& source);

// The options' texts as given, checked once parsing is done.
struct RawRunOptions {
    std::vector<std::string> inputs;
    std::string filesFrom;  // a list of more inputs, one a line; "-" for standard input
    std::string filesFrom0; // the same, each name ended by a NUL byte
    bool recursive = false;
    std::string base;
    std::string jobs;
    std::string shard = "1/1";
    std::string maxPixels = std::to_string(kDefaultMaxPixels);
    bool quiet = false;
};

struct RawSourceOptions {
    std::string projection = "equidistant";
    std::string lens; // NAME, FILE or poly:a1,a2,...; none: the projection
    std::string circle;
    bool detectCircle = false;
    std::string view;
    std::string tilt = "0";
};

// `what` tells what the command does to the photos ("convert", "measure"),
// shardNote what --shard's help adds for it; `defaultJobs` is the default
// of -j.
void addRunOptions(
    CLI::App& command, RawRunOptions& raw, const std::string& what, const std::string& shardNote, int defaultJobs);
void addSourceOptions(CLI::App& command, RawSourceOptions& raw);

// Why a photo cannot be read through the source options, as the command
// line tells it (photoSource's problem): a photo whose circle was not found
// is told to give one.
[[nodiscard]] std::string sourceProblemText(const std::string& problem);

// Throw UsageError for a value that is not allowed. Need the projection
// names and coefficient tables. checkedRun reads the --files-from list.
[[nodiscard]] RunOptions checkedRun(const RawRunOptions& raw, int defaultJobs);
[[nodiscard]] SourceOptions checkedSource(const RawSourceOptions& raw);

} // namespace karwen::cli
