#include "measure_command.h"

#include "batch_inputs.h"
#include "calendar.h"
#include "canopy_csv.h"
#include "canopy_csv_reading.h"
#include "convert_folder.h"
#include "csv_output.h"
#include "csv_target.h"
#include "dry_run.h"
#include "file_error.h"
#include "file_messages.h"
#include "file_path.h"
#include "light_daily.h"
#include "measure_runner.h"
#include "option_values.h"
#include "parallel_runner.h"
#include "result_base.h"
#include "rix.h"
#include "run_control.h"
#include "shown_text.h"
#include "sky_images.h"
#include "utf8_path.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <system_error>

namespace karwen::cli {

namespace {

namespace fs = std::filesystem;

// Where the run's messages go: standard error, or the hooks' sink.
using Tell = std::function<void(const std::string& line)>;

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
    if (!fs::is_directory(files::utf8Path(files::folderOf(files::utf8String(path))), ec))
        return "the folder does not exist";
    if (fs::is_directory(path, ec))
        return "a folder of this name is in the way";
    return {};
}

// The photos of the list without a measured row in the file continued.
std::vector<std::string> photosToMeasure(const std::vector<std::string>& list, const std::vector<KeptRow>& kept)
{
    std::set<std::string> measured;
    for (const KeptRow& row : kept)
        if (row.measured)
            measured.insert(row.file);
    std::vector<std::string> photos;
    std::ranges::copy_if(
        list, std::back_inserter(photos), [&](const std::string& p) { return !measured.contains(canopy::csvText(p)); });
    return photos;
}

// Whether a listed photo is grey, by the file column of its row; read from
// the photo's headers alone, so that a long list resumes quickly.
std::function<std::optional<bool>(const std::string&)> greyByFile(const BatchInputs& inputs)
{
    auto pathOf = std::make_shared<std::map<std::string, std::string>>();
    for (const std::string& path : inputs.paths)
        pathOf->emplace(canopy::csvText(path), path);
    return [pathOf](const std::string& file) -> std::optional<bool> {
        const auto it = pathOf->find(file);
        int32_t grey = 0;
        if (it == pathOf->end() || RixFileIsGrey(it->second.c_str(), &grey) != 1)
            return std::nullopt;
        return grey == 1;
    };
}

// Whether the run may write the file `option` names at path, told on
// standard error when it may not: kExitDone, or the exit code. judge tells
// what a file there holds, into target.
int judgeFile(const std::string& option, const std::string& path, const BatchInputs& inputs,
    const std::function<CsvTarget()>& judge, CsvTarget& target, const Tell& tell)
{
    std::error_code ec;
    const fs::path full = fs::absolute(files::utf8Path(path), ec).lexically_normal();
    const auto photo = std::find_if(
        inputs.paths.begin(), inputs.paths.end(), [&](const std::string& p) { return sameFile(full, p); });
    if (photo != inputs.paths.end()) {
        tell("karwen-cli measure: " + option + ": \"" + path + "\" is the photo " + *photo
            + " of this run; nothing was measured or written.");
        return kExitUsage;
    }
    if (const std::string obstacle = ec ? ec.message() : csvObstacle(full); !obstacle.empty()) {
        tell("Cannot save \"" + path + "\": " + obstacle + "; nothing was measured.");
        return kExitFailures;
    }
    target = judge();
    if (target.exitCode != kExitDone)
        tell(
            (target.exitCode == kExitUsage ? "karwen-cli measure: " : "") + target.refusal + "; nothing was measured.");
    return target.exitCode;
}

// The table's settings of a listed photo, by the file column of its row.
std::function<const PhotoSettings*(const std::string&)> ownByFile(const MeasureOptions& o, const BatchInputs& inputs)
{
    if (!o.table)
        return {};
    auto ownOf = std::make_shared<std::map<std::string, const PhotoSettings*>>();
    for (const std::string& path : inputs.paths)
        if (const TableRow* row = o.table->rowOf(path))
            ownOf->emplace(canopy::csvText(path), &row->settings);
    return [ownOf](const std::string& file) -> const PhotoSettings* {
        const auto it = ownOf->find(file);
        return it == ownOf->end() ? nullptr : it->second;
    };
}

int judgeCsv(const MeasureOptions& o, const BatchInputs& inputs, CsvTarget& target, const Tell& tell)
{
    if (o.csvPath == kStandardOutput) {
        if (!standardOutputWasClosed())
            return kExitDone;
        tell("Cannot write the figures: standard output is closed; nothing was measured.");
        return kExitFailures;
    }
    return judgeFile(
        "--csv", o.csvPath, inputs,
        [&] {
            return judgeCsvTarget(o.csvPath, o.csvMode,
                {o.source, o.settings, o.light.request, greyByFile(inputs), ownByFile(o, inputs),
                    o.light.siteFromPhotos});
        },
        target, tell);
}

// The same for the --light-daily file, once the CSV's rows are known.
int judgeDaily(
    const MeasureOptions& o, const BatchInputs& inputs, const CsvTarget& csv, CsvTarget& target, const Tell& tell)
{
    const std::string& path = o.light.dailyPath;
    std::error_code ec;
    if (o.csvPath != kStandardOutput
        && sameFile(fs::absolute(files::utf8Path(path), ec).lexically_normal(), o.csvPath)) {
        tell("karwen-cli measure: --light-daily: \"" + path
            + "\" is the --csv file too; nothing was measured or written.");
        return kExitUsage;
    }
    const int days = light::dayCount(o.light.request->settings.period);
    return judgeFile(
        "--light-daily", path, inputs, [&] { return judgeDailyTarget(path, o.csvMode, csv, days); }, target, tell);
}

// The sky images of the photos to measure, planned over the whole list (so
// that shards agree on every refusal), their folders made and tried:
// kExitDone, or the exit code, told on standard error.
int planImages(const MeasureOptions& o, const BatchInputs& inputs, const std::vector<std::string>& photos,
    std::optional<SkyImages>& images, const Tell& tell)
{
    std::error_code ec;
    const fs::path folder = fs::absolute(files::utf8Path(o.classifiedFolder), ec).lexically_normal();
    if (ec) {
        tell("Cannot make the folder \"" + o.classifiedFolder + "\": " + files::reasonOf(ec.value())
            + "; nothing was measured.");
        return kExitFailures;
    }
    SkyImages planned{files::utf8String(folder), o.csvMode != CsvMode::New, {}};
    std::vector<std::string> subfolders;
    try {
        if (o.run.recursive)
            subfolders = resultSubfolders(inputs, o.run.base);
    } catch (const UsageError& e) {
        tell(std::string("karwen-cli measure: ") + e.what() + "; nothing was measured or written.");
        return kExitUsage;
    }
    const std::vector<PlannedFile> plan = planSkyImages(planned.folder, inputs, subfolders);
    std::map<std::string, const PlannedFile*> ofPhoto;
    for (const PlannedFile& file : plan)
        ofPhoto.emplace(file.sourcePath, &file);
    for (const std::string& photo : photos)
        planned.files.push_back(*ofPhoto.at(photo));
    const FolderCheck check = makeResultFolders(planned.folder, planned.files, "the folder of the sky images");
    if (check.exitCode != kExitDone) {
        tell(check.message + " Nothing was measured.");
        return check.exitCode;
    }
    images = std::move(planned);
    return kExitDone;
}

// The dry run's listing, once the files it would write are found free:
// the folders of the CSV, the days and the sky images must take files.
int dryRunMeasure(const MeasureOptions& o, const BatchInputs& inputs, const std::vector<std::string>& mine,
    const std::vector<std::string>& photos)
{
    for (const std::string& folder : {o.csvPath == kStandardOutput ? std::string() : files::folderOf(o.csvPath),
             o.light.dailyPath.empty() ? std::string() : files::folderOf(o.light.dailyPath), o.classifiedFolder})
        if (const std::string why = folder.empty() ? "" : unwritableFolder(folder); !why.empty()) {
            printShown(stderr, "Cannot write in \"" + folder + "\": " + why + "; nothing was measured.");
            return kExitUsage;
        }
    return dryRunMeasure(inputs.problems, mine, photos, o.table ? &*o.table : nullptr);
}

} // namespace

int runMeasure(const MeasureOptions& o, const RunHooks& hooks)
{
    const Tell tell = [&hooks](const std::string& line) {
        if (!hooks.progress)
            printShown(stderr, line);
        else if (hooks.progress->line)
            hooks.progress->line(line);
    };
    const std::function<bool()> stopped = hooks.stop ? hooks.stop : std::function<bool()>(stopRequested);
    const BatchInputs inputs = collectBatchInputs(o.run.inputs, {o.run.recursive, {}});
    const bool daily = !o.light.dailyPath.empty();
    CsvTarget target, dailyTarget;
    // A dry run that finds the run could not start says so by a usage error.
    const auto refusal = [&](int code) { return o.dryRun ? kExitUsage : code; };
    if (const int refused = judgeCsv(o, inputs, target, tell); refused != kExitDone)
        return refusal(refused);
    if (const int refused = daily ? judgeDaily(o, inputs, target, dailyTarget, tell) : kExitDone; refused != kExitDone)
        return refusal(refused);

    const std::vector<std::string> mine = shardOf(inputs.paths, o.run.shard, o.run.shards);
    const std::vector<std::string> photos = photosToMeasure(mine, target.rows);
    const TableUse table = o.table ? useTable(*o.table, o.withoutRow, inputs.paths, photos) : TableUse{};
    if (!table.refusal.empty()) {
        tell("karwen-cli measure: " + table.refusal + "; nothing was measured.");
        return kExitUsage;
    }
    if (!table.unused.empty())
        tell("karwen-cli measure: " + table.unused + ".");
    if (o.dryRun)
        return dryRunMeasure(o, inputs, mine, photos);
    std::optional<SkyImages> images;
    if (!o.classifiedFolder.empty())
        if (const int refused = planImages(o, inputs, photos, images, tell); refused != kExitDone)
            return refused;
    if (!hooks.stop)
        catchStopSignals();
    std::optional<CsvOutput> output, days;
    try {
        output.emplace(o.csvPath, canopy::csvHeader(o.settings.rings), target, photos.size());
        if (daily)
            days.emplace(o.light.dailyPath, dailyHeader(), dailyTarget, photos.size());
    } catch (const files::FileError& e) {
        tell(std::string(e.what()) + "; nothing was measured.");
        return kExitFailures;
    }

    // A continued file's photos that already have figures count as skipped.
    const bool resumed = o.csvMode == CsvMode::Resume;
    const Wording wording{"measured", resumed};
    std::optional<ProgressReporter> shown;
    if (hooks.progress)
        shown.emplace(*hooks.progress, wording);
    else
        shown.emplace(stderr, reporterStyle(o.run.quiet), wording);
    ProgressReporter& reporter = *shown;
    for (const FileProblem& problem : inputs.problems)
        reporter.failure(problemLine(FileAction::Open, problem));
    for (const KeptRow& row : target.rows)
        if (!row.again.empty())
            reporter.note("Measuring \"" + canopy::rawText(row.file) + "\" again: " + row.again + ".");
    (void)RixSetMaxPixels(o.run.maxPixels);
    const MeasureSettings run{o.source, o.settings, o.run.jobs, availableCpus(), o.light.request,
        images ? &*images : nullptr, table.own, o.light.siteFromPhotos};
    const auto failed = [&] { return output->failed() || (days && days->failed()); };
    MeasuredLines measured = measurePhotos(
        photos, run, reporter, [&] { return stopped() || failed(); },
        [&](std::size_t i, const PhotoLines& row, const PhotoLines& dayLines) {
            // The days first: a photo the CSV holds has its days in their file.
            if (days)
                days->add(i, dayLines);
            output->add(i, row);
        });
    measured.counts.failed += int(inputs.problems.size());
    measured.counts.skipped = int(mine.size() - photos.size());
    const bool allWritten = !failed();
    // Each file's lines in list order at the normal end of a run.
    const auto finish = [&](CsvOutput& out, const std::string& path,
                            const std::vector<std::optional<PhotoLines>>& lines, const std::vector<KeptRow>& kept) {
        const bool inListOrder = allWritten && !stopped() && path != kStandardOutput;
        bool written = !out.failed();
        try {
            if (inListOrder)
                out.saveRows(rowsInListOrder(mine, photos, lines, kept));
            else
                out.close();
        } catch (const files::FileError& e) {
            reporter.failure(std::string(inListOrder ? "The lines were not put in list order (they stay in the order "
                                                       "the photos finished): "
                                                     : "The figures were not saved: ")
                + e.what());
            written = false;
        }
        if (out.failed())
            reporter.failure("The run stopped: " + out.failure() + "; the lines written before stay");
        return written;
    };
    bool saved = finish(*output, o.csvPath, measured.rows, target.rows);
    if (days)
        saved = finish(*days, o.light.dailyPath, measured.days, dailyTarget.rows) && saved;
    reporter.finish(measured.counts, stopped(), images ? imageSummary(measured.images) : std::string());
    return exitCodeOf(measured.counts.failed > 0 || measured.images.failed > 0 || !saved);
}

} // namespace karwen::cli
