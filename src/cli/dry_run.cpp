#include "dry_run.h"

#include "convert_folder.h"
#include "file_error.h"
#include "result_place.h"
#include "run_control.h"
#include "shown_text.h"
#include "utf8_path.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <set>
#include <system_error>

namespace karwen::cli {

namespace {

std::string quoted(const std::string& text)
{
    std::string q(1, '"');
    q.append(text).push_back('"');
    return q;
}

// A photo the run would fail on opening it: a FIFO or a device is no
// photo, and is not read here either.
bool isRegularFile(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(files::utf8Path(path), ec);
}

constexpr const char* kNotAFile = "fails: not a regular file";

std::string shownOf(const PhotoSettingsTable* table, const std::string& photo)
{
    const TableRow* row = table ? table->rowOf(photo) : nullptr;
    return row ? row->settings.shown : std::string();
}

} // namespace

void DryRun::photo(const std::string& path, const std::string& what, const std::string& shown)
{
    if (what.starts_with("skipped"))
        ++skipped_;
    else if (what.starts_with("refused") || what.starts_with("fails"))
        ++failed_;
    else
        ++done_;
    std::string line = path;
    line.append(": ").append(what);
    if (!shown.empty())
        line.append(" (").append(shown).append(")");
    printShown(stdout, line);
}

void DryRun::problems(const std::vector<FileProblem>& problems)
{
    for (const FileProblem& problem : problems)
        photo(problem.path, "fails: " + problem.reason);
}

int DryRun::finish(const std::string& doing) const
{
    std::printf("dry run: %d would be %s, %d skipped, %d would fail; nothing was read or written\n", done_,
        doing.c_str(), skipped_, failed_);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

std::string unwritableFolder(const std::string& folder)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path at = fs::absolute(files::utf8Path(folder), ec).lexically_normal();
    while (!fs::exists(at, ec) && at.has_parent_path() && at.parent_path() != at)
        at = at.parent_path();
    if (!fs::is_directory(at, ec))
        return quoted(files::utf8String(at)).append(" is in the way and is no folder");
    if (::access(at.c_str(), W_OK | X_OK) != 0)
        return quoted(files::utf8String(at)).append(": ").append(files::reasonOf(errno));
    return {};
}

int dryRunConvert(const std::string& folder, const std::vector<FileProblem>& problems,
    const std::vector<PlannedFile>& mine, const ConvertTable& table, const ConvertOptions& o)
{
    const FolderCheck other = otherSettings(folder, checkSettingsRecord(folder, mine, table.recorded, o.overwrite));
    if (other.exitCode != kExitDone) {
        printShown(stderr, other.message);
        return kExitUsage;
    }
    DryRun run;
    run.problems(problems);
    for (const PlannedFile& file : mine) {
        // A result whose folder the run would make has nothing in its way.
        std::error_code ec;
        const bool folderThere = std::filesystem::is_directory(files::utf8Path(file.outputPath).parent_path(), ec);
        const ResultPlace place = !file.refusal.empty() ? ResultPlace{PlaceVerdict::Fail, file.refusal}
            : folderThere                               ? judgeResultPlace(file, folder, o.overwrite)
                                                        : ResultPlace{};
        const std::string what = !isRegularFile(file.sourcePath) ? kNotAFile
            : place.verdict == PlaceVerdict::Skip                ? "skipped: exists"
            : place.verdict == PlaceVerdict::Fail                ? "refused: " + place.reason
                                                                 : file.outputPath;
        run.photo(file.sourcePath, what, shownOf(o.table ? &*o.table : nullptr, file.sourcePath));
    }
    return run.finish("converted");
}

int dryRunMeasure(const std::vector<FileProblem>& problems, const std::vector<std::string>& mine,
    const std::vector<std::string>& photos, const PhotoSettingsTable* table)
{
    const std::set<std::string> measured(photos.begin(), photos.end());
    DryRun run;
    run.problems(problems);
    for (const std::string& photo : mine)
        run.photo(photo,
            !measured.contains(photo)  ? "skipped: exists"
                : isRegularFile(photo) ? "row"
                                       : kNotAFile,
            shownOf(table, photo));
    return run.finish("measured");
}

} // namespace karwen::cli
