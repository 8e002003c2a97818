#include "measure_command.h"

#include "batch_inputs.h"
#include "canopy_csv.h"
#include "file_error.h"
#include "file_messages.h"
#include "measure_runner.h"
#include "parallel_runner.h"
#include "rix.h"
#include "run_control.h"
#include "save_file.h"
#include "utf8_path.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace karwen::cli {

namespace {

namespace fs = std::filesystem;

// The same file: the same full name, or, where both exist, one file under
// two names.
bool sameFile(const fs::path& a, const std::string& b)
{
    std::error_code ec;
    return a == files::utf8Path(b) || fs::equivalent(a, files::utf8Path(b), ec);
}

// Why the CSV cannot be saved at path, as far as is known before the run;
// "" when nothing is in the way.
std::string csvObstacle(const fs::path& path)
{
    std::error_code ec;
    if (!fs::is_directory(path.parent_path(), ec))
        return "the folder does not exist";
    if (fs::is_directory(path, ec))
        return "a folder of this name is in the way";
    return {};
}

std::string csvText(const std::vector<std::optional<std::string>>& lines, int rings)
{
    std::string text = canopy::csvHeader(rings);
    text += canopy::kCsvLineEnd;
    for (const std::optional<std::string>& line : lines) {
        if (line) {
            text += *line;
            text += canopy::kCsvLineEnd;
        }
    }
    return text;
}

} // namespace

int runMeasure(const MeasureOptions& o)
{
    std::error_code ec;
    const fs::path csv = fs::absolute(files::utf8Path(o.csvPath), ec).lexically_normal();
    const BatchInputs inputs = collectBatchInputs(o.run.inputs, {o.run.recursive, {}});
    const auto photo = std::find_if(
        inputs.paths.begin(), inputs.paths.end(), [&](const std::string& p) { return sameFile(csv, p); });
    if (photo != inputs.paths.end()) {
        std::fprintf(stderr,
            "karwen-cli measure: --csv: \"%s\" is the photo %s of this run; nothing was measured or written.\n",
            o.csvPath.c_str(), photo->c_str());
        return kExitUsage;
    }
    if (const std::string obstacle = ec ? ec.message() : csvObstacle(csv); !obstacle.empty()) {
        std::fprintf(stderr, "Cannot save \"%s\": %s; nothing was measured.\n", o.csvPath.c_str(), obstacle.c_str());
        return kExitFailures;
    }

    const std::vector<std::string> mine = shardOf(inputs.paths, o.run.shard, o.run.shards);
    ProgressReporter reporter(stderr, reporterStyle(o.run.quiet), {"measured", false});
    for (const FileProblem& problem : inputs.problems)
        reporter.failure(fileProblemMessage(FileAction::Open, problem));

    (void)RixSetMaxPixels(o.run.maxPixels);
    catchStopSignals();
    const MeasureSettings run{o.source, o.settings, o.run.jobs, availableCpus()};
    MeasuredLines measured = measurePhotos(mine, run, reporter, stopRequested);
    measured.counts.failed += int(inputs.problems.size());
    bool saved = true;
    try {
        const std::string text = csvText(measured.lines, o.settings.rings);
        files::saveFile(o.csvPath, text.data(), text.size());
    } catch (const files::FileError& e) {
        reporter.failure(std::string("The figures were not saved: ") + e.what());
        saved = false;
    }
    reporter.finish(measured.counts, stopRequested());
    return exitCodeOf(measured.counts.failed > 0 || !saved);
}

} // namespace karwen::cli
