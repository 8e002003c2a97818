#include "batch_plan.h"

#include "file_path.h"
#include "image_files.h"
#include "utf8_path.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <system_error>
#include <unordered_map>

namespace karwen {

namespace {

namespace fs = std::filesystem;

// Paths of the run, found again by the same full name or, for files that
// exist, as the same file under another name (another spelling of the
// folder, a link). Only files of equal size can be the same file, which
// keeps the file system's comparison off most pairs.
class PathIndex {
public:
    void add(const std::string& path, std::size_t index)
    {
        byName_.emplace(path, index);
        if (const std::optional<std::uintmax_t> size = sizeOf(path))
            bySize_[*size].push_back({path, index});
    }

    // The index under which path (or the file it names) was added.
    [[nodiscard]] std::optional<std::size_t> find(const std::string& path) const
    {
        if (const auto it = byName_.find(path); it != byName_.end())
            return it->second;
        const std::optional<std::uintmax_t> size = sizeOf(path);
        if (!size)
            return std::nullopt;
        const auto same = bySize_.find(*size);
        if (same == bySize_.end())
            return std::nullopt;
        for (const auto& [other, index] : same->second) {
            std::error_code ec;
            if (fs::equivalent(files::utf8Path(path), files::utf8Path(other), ec) && !ec)
                return index;
        }
        return std::nullopt;
    }

private:
    static std::optional<std::uintmax_t> sizeOf(const std::string& path)
    {
        std::error_code ec;
        const std::uintmax_t size = fs::file_size(files::utf8Path(path), ec);
        return ec ? std::nullopt : std::optional<std::uintmax_t>(size);
    }

    std::unordered_map<std::string, std::size_t> byName_;
    std::map<std::uintmax_t, std::vector<std::pair<std::string, std::size_t>>> bySize_;
};

} // namespace

std::string batchOutputPath(const BatchJob& job, const std::string& name, const std::string& subfolder)
{
    const std::string base = name.substr(files::nameStart(name), files::extensionDot(name) - files::nameStart(name));
    fs::path folder = files::utf8Path(job.destFolder);
    if (!subfolder.empty())
        folder /= files::utf8Path(subfolder);
    return files::utf8String(folder / files::utf8Path(base + job.postfix + "." + job.outExt));
}

std::vector<PlannedFile> planBatch(const BatchJob& job)
{
    std::vector<PlannedFile> plan;
    plan.reserve(job.files.size());
    PathIndex sources;
    for (std::size_t i = 0; i < job.files.size(); ++i) {
        const std::string& name = job.files[i];
        PlannedFile file{name, files::utf8String(files::utf8Path(job.sourceFolder) / files::utf8Path(name)),
            batchOutputPath(job, name, job.subfolders.empty() ? std::string() : job.subfolders[i]), {}};
        sources.add(file.sourcePath, plan.size());
        plan.push_back(std::move(file));
    }

    PathIndex written;
    for (std::size_t i = 0; i < plan.size(); ++i) {
        PlannedFile& file = plan[i];
        if (const std::optional<std::size_t> source = sources.find(file.outputPath)) {
            file.refusal = "the result of " + file.name
                + (*source == i ? " would replace that photo itself"
                                : " would replace the photo " + plan[*source].name + " of this run");
        } else if (const std::optional<std::size_t> earlier = written.find(file.outputPath)) {
            file.refusal = "the result of " + file.name + " would replace that of " + plan[*earlier].name;
        } else {
            written.add(file.outputPath, i);
        }
    }
    return plan;
}

bool listImageFiles(const std::string& folder, std::vector<std::string>& names)
{
    names.clear();
    std::error_code ec;
    fs::directory_iterator it(files::utf8Path(folder), ec);
    if (ec)
        return false;
    for (const fs::directory_entry& entry : it) {
        std::error_code typeError;
        if (entry.is_directory(typeError))
            continue;
        std::string name = files::utf8String(entry.path().filename());
        if (photoFormatOf(name) != ImageFormat::Other)
            names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return true;
}

std::string destinationFolderProblem(const std::string& folder)
{
    if (folder.empty())
        return "no folder is given";
    const fs::path where = files::utf8Path(folder);
    std::error_code ec;
    const fs::file_status status = fs::status(where, ec);
    if (status.type() == fs::file_type::not_found)
        return "there is no such folder";
    if (ec)
        return "the folder cannot be reached (" + ec.message() + ")";
    if (!fs::is_directory(status))
        return "this is a file, not a folder";

    // Permissions alone do not tell (an administrator, a read-only disk, a
    // network share): a trial file does.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path trial = where / (".karwen-write-test-" + std::to_string(attempt));
        if (fs::exists(fs::symlink_status(trial, ec)))
            continue;
        bool made = false;
        {
            std::ofstream file(trial, std::ios::binary);
            made = file.is_open() && file.put('\0').flush().good();
        }
        fs::remove(trial, ec);
        return made ? std::string() : "the folder cannot be written to";
    }
    return "the folder cannot be written to";
}

} // namespace karwen
