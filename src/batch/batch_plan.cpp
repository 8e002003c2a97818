#include "batch_plan.h"

#include "below_folder.h"
#include "file_path.h"
#include "image_files.h"
#include "utf8_path.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sys/stat.h>
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

namespace {

// The result's path below the output folder.
std::string outputBelow(const BatchJob& job, const std::string& name, const std::string& subfolder)
{
    const std::string base = name.substr(files::nameStart(name), files::extensionDot(name) - files::nameStart(name));
    const std::string file = base + job.postfix + "." + job.outExt;
    return subfolder.empty() ? file : files::utf8String(files::utf8Path(subfolder) / files::utf8Path(file));
}

} // namespace

std::string batchOutputPath(const BatchJob& job, const std::string& name, const std::string& subfolder)
{
    return files::utf8String(files::utf8Path(job.destFolder) / files::utf8Path(outputBelow(job, name, subfolder)));
}

namespace {

// A folder known by its device and inode, whatever the path that names it.
using FolderId = std::pair<dev_t, ino_t>;

std::optional<FolderId> folderIdOf(const std::string& folder)
{
    struct stat info { };
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return std::nullopt;
    return FolderId{info.st_dev, info.st_ino};
}

// The folders that hold the listed files.
std::set<FolderId> photoFolders(const std::vector<PlannedFile>& plan)
{
    std::set<FolderId> folders;
    std::set<std::string> asked;
    for (const PlannedFile& file : plan)
        if (const std::string folder = files::folderOf(file.sourcePath); asked.insert(folder).second)
            if (const std::optional<FolderId> id = folderIdOf(folder))
                folders.insert(*id);
    return folders;
}

// Why a result's name cannot be made, "" when it can; the limit asked once
// per folder.
class NameLimits {
public:
    std::string problem(const std::string& outputPath)
    {
        const std::string folder = files::folderOf(outputPath);
        auto it = limits_.find(folder);
        if (it == limits_.end())
            it = limits_.emplace(folder, files::longestNameIn(folder)).first;
        const std::size_t bytes = outputPath.size() - files::nameStart(outputPath);
        if (bytes <= it->second)
            return {};
        return "the result's name is too long: " + std::to_string(bytes) + " bytes, at most "
            + std::to_string(it->second);
    }

private:
    std::map<std::string, std::size_t> limits_;
};

} // namespace

std::vector<PlannedFile> planBatch(const BatchJob& job)
{
    std::vector<PlannedFile> plan;
    plan.reserve(job.files.size());
    PathIndex sources;
    for (std::size_t i = 0; i < job.files.size(); ++i) {
        const std::string& name = job.files[i];
        const std::string subfolder = job.subfolders.empty() ? std::string() : job.subfolders[i];
        PlannedFile file{name, files::utf8String(files::utf8Path(job.sourceFolder) / files::utf8Path(name)),
            batchOutputPath(job, name, subfolder), {}, outputBelow(job, name, subfolder)};
        sources.add(file.sourcePath, plan.size());
        plan.push_back(std::move(file));
    }

    const std::set<FolderId> withPhotos = photoFolders(plan);
    NameLimits names;
    PathIndex written;
    for (std::size_t i = 0; i < plan.size(); ++i) {
        PlannedFile& file = plan[i];
        const std::optional<FolderId> folder = folderIdOf(files::folderOf(file.outputPath));
        file.besidePhotos = folder && withPhotos.contains(*folder);
        if (std::string tooLong = names.problem(file.outputPath); !tooLong.empty()) {
            file.refusal = std::move(tooLong);
        } else if (const std::optional<std::size_t> source = sources.find(file.outputPath)) {
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
