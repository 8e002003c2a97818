#include "csv_target.h"

#include "canopy_csv.h"
#include "canopy_csv_reading.h"
#include "canopy_row.h"
#include "file_bytes.h"
#include "file_descriptor.h"
#include "file_error.h"
#include "light_daily.h"
#include "measure_runner.h"
#include "run_control.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <map>
#include <set>
#include <string_view>

namespace karwen::cli {

namespace {

// The header of a few thousand rings would still fit: more is not a header.
constexpr std::size_t kFirstLineLimit = 64 * 1024;

CsvTarget refused(int exitCode, std::string why) { return {false, {}, exitCode, std::move(why)}; }

// The file's first line, without its line end; throws FileError.
std::string firstLine(const std::string& path)
{
    files::FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        throw files::systemError("Cannot read", path);
    std::string text(kFirstLineLimit, '\0');
    std::size_t size = 0;
    for (ssize_t n; size < text.size() && (n = ::read(fd.get(), text.data() + size, text.size() - size)) != 0;) {
        if (n < 0 && errno != EINTR)
            throw files::systemError("Cannot read", path);
        size += std::size_t(std::max<ssize_t>(n, 0));
    }
    text.resize(size);
    return text.substr(0, text.find('\n'));
}

// The columns of rows with `rings` rings, and this run's line for a
// measured photo, whose settings columns the kept rows must match.
struct Reference {
    std::vector<std::string> columns;
    std::vector<std::string> fields;
    std::vector<std::string> compared;
};

Reference referenceOf(const PhotoSettings& run, bool greyPhoto)
{
    canopy::CanopyRow row;
    row.settings = canopy::forPhoto(run.canopy, greyPhoto);
    row.source = run.source.srcPrm;
    row.pixels.emplace();
    if (run.canopy.method == canopy::ThresholdMethod::Fixed)
        row.pixels->threshold = run.canopy.fixedThreshold; // the one compared
    row.dstProjection = canopy::kDotsViewRecord.Proj;
    setSettingsColumns(row, run);
    if (run.light) {
        row.light.emplace();
        row.light->request = *run.light;
        row.light->figures.beamFraction = run.light->settings.beamFraction;
    }
    Reference r{*canopy::csvFields(canopy::csvHeader(run.canopy.rings)), *canopy::csvFields(canopy::csvRow(row)),
        {"projection", "alpha", "beta", "rot", "channel", "gamma", "method", "rings", "sectors", "max_zenith",
            "dots_projection", "circle", "lens"}};
    // Erbs's fraction follows from the other settings compared.
    const bool erbs = run.light && run.light->settings.beamModel == light::BeamFractionModel::Erbs;
    const auto photoSite = [&](const std::string& name) {
        return run.siteFromPhotos && (name == "latitude" || name == "longitude" || name == "elevation");
    };
    for (std::string& name : canopy::csvLightSettingColumns())
        if (!(erbs && name == "beam_fraction") && !photoSite(name))
            r.compared.push_back(std::move(name));
    if (!run.source.findCircle)
        r.compared.insert(r.compared.end(), {"cx", "cy", "r"});
    if (run.canopy.method == canopy::ThresholdMethod::Fixed)
        r.compared.emplace_back("threshold");
    return r;
}

std::size_t columnOf(const Reference& r, const std::string& name)
{
    return std::size_t(std::ranges::find(r.columns, name) - r.columns.begin());
}

// The first of the compared columns, but `except`, where a measured row
// differs from this run's; "" when none does.
std::string settingDifference(
    const std::vector<std::string>& fields, const Reference& r, const std::string& except = {})
{
    for (const std::string& name : r.compared) {
        if (name == except)
            continue;
        const std::size_t at = columnOf(r, name);
        if (fields[at] != r.fields[at])
            return "its column " + name + " reads \"" + fields[at] + "\" where this run writes \"" + r.fields[at]
                + "\" (the row of " + fields[0] + ")";
    }
    return {};
}

struct NumberedLine {
    int number; // in the file, 1 for the header
    std::string_view line;
};

// The lines after the header without their line ends, empty lines left out,
// and a last line without its line end too: a killed run cut it short.
std::vector<NumberedLine> rowLines(std::string_view content)
{
    std::vector<NumberedLine> lines;
    std::size_t start = content.find('\n');
    for (int number = 2; start != std::string_view::npos && start + 1 < content.size(); ++number) {
        const std::size_t end = content.find('\n', start + 1);
        if (end == std::string_view::npos)
            break;
        std::string_view line = content.substr(start + 1, end - start - 1);
        start = end;
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (!line.empty())
            lines.push_back({number, line});
    }
    return lines;
}

CsvTarget notARow(const std::string& path, int number)
{
    return refused(
        kExitUsage, "--resume: line " + std::to_string(number) + " of \"" + path + "\" is not a row of its columns");
}

// missingColumns: of the columns added last, those the file was written
// without; its rows are kept with them empty.
CsvTarget keptRows(const std::string& path, const std::string& content, const RunSettings& run, int missingColumns)
{
    const PhotoSettings runs{run.source, run.canopy, run.light, run.siteFromPhotos, false, {}};
    const Reference colour = referenceOf(runs, false), grey = referenceOf(runs, true);
    const std::size_t channel = columnOf(colour, "channel");
    const std::string greyKey(canopy::keyOf(canopy::Channel::Grey));
    CsvTarget target{true, {}, kExitDone, {}};
    std::map<std::string, std::size_t> rowOf;
    for (const auto& [number, line] : rowLines(content)) {
        const std::string padded = canopy::csvPaddedRow(line, missingColumns);
        const auto fields = canopy::csvFields(padded);
        if (!fields || fields->size() != colour.columns.size())
            return notARow(path, number);
        KeptRow row{(*fields)[0], padded, (*fields)[1].empty(), {}};
        if (row.measured) {
            const std::string& read = (*fields)[channel];
            const std::optional<bool> greyPhoto = run.photoIsGrey ? run.photoIsGrey(row.file) : std::nullopt;
            // A photo not known is taken for what its row says.
            const bool isGrey = greyPhoto.value_or(read == greyKey);
            const bool olderGrey = isGrey && read != greyKey;
            // A photo of the settings table is compared with its own settings.
            const PhotoSettings* own = run.ownSettings ? run.ownSettings(row.file) : nullptr;
            const std::string difference = settingDifference(*fields,
                own          ? referenceOf(*own, isGrey)
                    : isGrey ? grey
                             : colour,
                olderGrey ? "channel" : "");
            if (!difference.empty())
                return refused(kExitUsage, "--resume: \"" + path + "\" was made with other settings: " + difference);
            if (olderGrey) {
                row.measured = false;
                row.again = "its row reads channel " + read + ", but the photo is grey";
            }
        }
        if (const auto [it, added] = rowOf.emplace(row.file, target.rows.size()); added)
            target.rows.push_back(std::move(row));
        else
            target.rows[it->second] = std::move(row);
    }
    return target;
}

// The days' lines of the photos the CSV keeps as measured; the others'
// are measured again.
CsvTarget keptDays(const std::string& path, const std::string& content, const CsvTarget& csv)
{
    std::set<std::string> measured;
    for (const KeptRow& row : csv.rows)
        if (row.measured)
            measured.insert(row.file);
    CsvTarget target{true, {}, kExitDone, {}};
    for (const auto& [number, line] : rowLines(content)) {
        const auto fields = canopy::csvFields(line);
        if (!fields || fields->size() != dailyColumns())
            return notARow(path, number);
        if (measured.contains((*fields)[0]))
            target.rows.push_back({(*fields)[0], std::string(line), true, {}});
    }
    return target;
}

// Why the days kept do not go with the CSV ("" when they do): a photo the
// CSV keeps as measured is not measured again, so its days must all be
// there already.
std::string missingDays(const std::string& path, const CsvTarget& csv, const std::vector<KeptRow>& days, int count)
{
    std::map<std::string, int> daysOf;
    for (const KeptRow& day : days)
        ++daysOf[day.file];
    for (const KeptRow& row : csv.rows)
        if (row.measured && daysOf[row.file] != count)
            return "--resume: \"" + path + "\" holds " + std::to_string(daysOf[row.file]) + " days of " + row.file
                + ", not the " + std::to_string(count)
                + " of the period, and the --csv file keeps the photo as measured; measure into a new --csv and "
                  "--light-daily file";
    return {};
}

// A kind of file of ours: the option that names it, what it is called, and
// whether a first line is its header.
struct FileKind {
    std::string option;
    std::string name;
    std::string header;
    bool (*isHeader)(const std::string& line);
};

const FileKind kCsvKind{"--csv", "a CSV of karwen-cli measure", "the figures' header",
    [](const std::string& line) { return canopy::csvHeaderForm(line).has_value(); }};
const FileKind kDailyKind{"--light-daily", "a file of days of karwen-cli measure", "the days' header",
    [](const std::string& line) { return isDailyHeader(line); }};

// What both files share: a new run needs a free name; a regular file of
// ours alone is replaced, or continued, its first line and content then
// read by `resumed`.
using Resumed = std::function<CsvTarget(const std::string& first, const std::string& content)>;

CsvTarget judgeTarget(const std::string& path, CsvMode mode, const FileKind& kind, const Resumed& resumed)
{
    struct stat info { };
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT)
            return {};
        return refused(kExitFailures, "Cannot use \"" + path + "\": " + files::reasonOf(errno));
    }
    if (S_ISDIR(info.st_mode))
        return refused(kExitFailures, "Cannot save \"" + path + "\": a folder of this name is in the way");
    const std::string never = "; it is never replaced or continued";
    if (!S_ISREG(info.st_mode))
        return refused(kExitUsage, kind.option + ": \"" + path + "\" is not a regular file" + never);
    if (mode == CsvMode::New)
        return refused(kExitUsage,
            kind.option + ": \"" + path + "\" exists; --overwrite replaces " + kind.name + ", --resume continues one");
    try {
        const std::string first = firstLine(path);
        if (info.st_size > 0 && !kind.isHeader(first))
            return refused(kExitUsage,
                kind.option + ": \"" + path + "\" is not " + kind.name + " (its first line is not " + kind.header + ")"
                    + never);
        if (mode == CsvMode::Overwrite || info.st_size == 0)
            return {true, {}, kExitDone, {}};
        const files::FileBytes bytes = files::FileBytes::read(path);
        return resumed(first, std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    } catch (const files::FileError& e) {
        return refused(kExitFailures, e.what());
    }
}

} // namespace

CsvTarget judgeCsvTarget(const std::string& path, CsvMode mode, const RunSettings& run)
{
    return judgeTarget(path, mode, kCsvKind, [&](const std::string& first, const std::string& content) {
        const canopy::CsvHeaderForm form = *canopy::csvHeaderForm(first);
        if (form.rings != run.canopy.rings)
            return refused(kExitUsage,
                "--resume: \"" + path + "\" was made with other settings: its columns are for --rings "
                    + std::to_string(form.rings) + ", this run's for --rings " + std::to_string(run.canopy.rings));
        if (run.light && !canopy::csvHoldsLight(form.missingColumns))
            return refused(kExitUsage,
                "--resume: \"" + path
                    + "\" was written before the light columns existed; continue it without --site, or measure into "
                      "a new --csv");
        return keptRows(path, content, run, form.missingColumns);
    });
}

CsvTarget judgeDailyTarget(const std::string& path, CsvMode mode, const CsvTarget& csv, int days)
{
    CsvTarget target = judgeTarget(path, mode, kDailyKind,
        [&](const std::string&, const std::string& content) { return keptDays(path, content, csv); });
    if (target.exitCode != kExitDone || mode != CsvMode::Resume)
        return target;
    if (const std::string missing = missingDays(path, csv, target.rows, days); !missing.empty())
        return refused(kExitUsage, missing);
    return target;
}

} // namespace karwen::cli
