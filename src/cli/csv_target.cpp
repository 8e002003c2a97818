#include "csv_target.h"

#include "canopy_csv.h"
#include "canopy_csv_reading.h"
#include "canopy_row.h"
#include "file_bytes.h"
#include "file_descriptor.h"
#include "file_error.h"
#include "measure_runner.h"
#include "run_control.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <map>

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

Reference referenceOf(const RunSettings& run)
{
    canopy::CanopyRow row;
    row.settings = run.canopy;
    row.source = run.source.srcPrm;
    row.pixels.emplace();
    row.dstProjection = canopy::kDotsViewRecord.Proj;
    row.circle = run.source.findCircle ? canopy::CircleOrigin::Detected : canopy::CircleOrigin::Given;
    row.lensName = lensNameOf(run.source);
    Reference r{*canopy::csvFields(canopy::csvHeader(run.canopy.rings)), *canopy::csvFields(canopy::csvRow(row)),
        {"projection", "alpha", "beta", "rot", "channel", "gamma", "method", "rings", "sectors", "max_zenith",
            "dots_projection", "circle", "lens"}};
    if (!run.source.findCircle)
        r.compared.insert(r.compared.end(), {"cx", "cy", "r"});
    if (run.canopy.method == canopy::ThresholdMethod::Fixed)
        r.compared.emplace_back("threshold");
    return r;
}

// The first of the compared columns where a measured row differs from this
// run's; "" when none does.
std::string settingDifference(const std::vector<std::string>& fields, const Reference& r)
{
    for (const std::string& name : r.compared) {
        const auto at = std::size_t(std::ranges::find(r.columns, name) - r.columns.begin());
        if (fields[at] != r.fields[at])
            return "its column " + name + " reads \"" + fields[at] + "\" where this run writes \"" + r.fields[at]
                + "\" (the row of " + fields[0] + ")";
    }
    return {};
}

// missingColumns: of the columns added last, those the file was written
// without; its rows are kept with them empty.
CsvTarget keptRows(const std::string& path, const std::string& content, const RunSettings& run, int missingColumns)
{
    const Reference reference = referenceOf(run);
    CsvTarget target{true, {}, kExitDone, {}};
    std::map<std::string, std::size_t> rowOf;
    std::size_t start = content.find('\n');
    for (int number = 2; start != std::string::npos && start + 1 < content.size(); ++number) {
        const std::size_t end = content.find('\n', start + 1);
        if (end == std::string::npos)
            break; // a line cut short by a killed run
        std::string_view line = std::string_view(content).substr(start + 1, end - start - 1);
        start = end;
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (line.empty())
            continue;
        const std::string padded = std::string(line) + std::string(std::size_t(missingColumns), ',');
        const auto fields = canopy::csvFields(padded);
        if (!fields || fields->size() != reference.columns.size())
            return refused(kExitUsage,
                "--resume: line " + std::to_string(number) + " of \"" + path + "\" is not a row of its columns");
        const bool measured = (*fields)[1].empty();
        if (const std::string difference = measured ? settingDifference(*fields, reference) : ""; !difference.empty())
            return refused(kExitUsage, "--resume: \"" + path + "\" was made with other settings: " + difference);
        KeptRow row{(*fields)[0], padded, measured};
        if (const auto [it, added] = rowOf.emplace(row.file, target.rows.size()); added)
            target.rows.push_back(std::move(row));
        else
            target.rows[it->second] = std::move(row);
    }
    return target;
}

} // namespace

CsvTarget judgeCsvTarget(const std::string& path, CsvMode mode, const RunSettings& run)
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
        return refused(kExitUsage, "--csv: \"" + path + "\" is not a regular file" + never);
    if (mode == CsvMode::New)
        return refused(kExitUsage,
            "--csv: \"" + path + "\" exists; --overwrite replaces a CSV of karwen-cli measure, --resume continues one");
    try {
        const std::string first = firstLine(path);
        const std::optional<canopy::CsvHeaderForm> form = canopy::csvHeaderForm(first);
        if (info.st_size > 0 && !form)
            return refused(kExitUsage,
                "--csv: \"" + path + "\" is not a CSV of karwen-cli measure (its first line is not the figures' header)"
                    + never);
        if (mode == CsvMode::Overwrite || info.st_size == 0)
            return {true, {}, kExitDone, {}};
        if (form->rings != run.canopy.rings)
            return refused(kExitUsage,
                "--resume: \"" + path + "\" was made with other settings: its columns are for --rings "
                    + std::to_string(form->rings) + ", this run's for --rings " + std::to_string(run.canopy.rings));
        const files::FileBytes bytes = files::FileBytes::read(path);
        return keptRows(
            path, std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size()), run, form->missingColumns);
    } catch (const files::FileError& e) {
        return refused(kExitFailures, e.what());
    }
}

} // namespace karwen::cli
