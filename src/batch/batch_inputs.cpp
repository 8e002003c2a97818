#include "batch_inputs.h"

#include "file_error.h"
#include "image_files.h"
#include "utf8_path.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <numeric>
#include <system_error>

namespace karwen {

namespace {

namespace fs = std::filesystem;

fs::path fullPath(const std::string& name)
{
    std::error_code ec;
    fs::path path = fs::absolute(files::utf8Path(name), ec);
    return (ec ? files::utf8Path(name) : path).lexically_normal();
}

// Why a folder could not be listed, in the user's words.
std::string listingProblem(const std::error_code& ec)
{
    const std::string why
        = ec.value() == EACCES || ec.value() == EPERM ? "you may not read it" : files::reasonOf(ec.value());
    return "the folder cannot be listed: " + why;
}

class Collector {
public:
    Collector(const InputRules& rules, BatchInputs& inputs)
        : rules_(rules)
        , skip_(rules.skipFolder.empty() ? fs::path() : fullPath(rules.skipFolder))
        , inputs_(inputs)
    {
    }

    void name(const std::string& name)
    {
        const fs::path path = fullPath(name);
        std::error_code ec;
        const fs::file_status status = fs::status(path, ec);
        if (fs::is_directory(status))
            folder(name, path, {});
        else if (status.type() == fs::file_type::not_found)
            inputs_.problems.push_back({name, "there is no file or folder of this name", {}});
        else // whatever else it is, its load tells what is wrong with it
            add(path, {});
    }

private:
    // The photos of a folder, and with rules_.recursive those below it;
    // shown is the folder as the user knows it, sub its path below the
    // named folder.
    void folder(const std::string& shown, const fs::path& path, const fs::path& sub)
    {
        std::error_code ec;
        fs::directory_iterator it(path, ec);
        std::vector<fs::path> subfolders, skipped;
        for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
            const fs::directory_entry& entry = *it;
            std::error_code typeError;
            if (entry.is_directory(typeError)) {
                if (rules_.recursive && !entry.is_symlink(typeError))
                    (entry.path() == skip_ ? skipped : subfolders).push_back(entry.path().filename());
                continue;
            }
            if (photoFormatOf(files::utf8String(entry.path().filename())) != ImageFormat::Other)
                add(entry.path(), sub);
        }
        if (ec) {
            inputs_.problems.push_back({shown, listingProblem(ec), {}});
            return;
        }
        for (const fs::path& name : subfolders)
            folder(files::utf8String(path / name), path / name, sub / name);
        for (const fs::path& name : skipped)
            countSkipped(files::utf8String(fs::path(files::utf8Path(shown)) / name), path / name);
    }

    // The photos below the folder that is never entered, which the user is
    // told of: counted by the walk's own rules, into a walk of their own.
    void countSkipped(const std::string& shown, const fs::path& path)
    {
        BatchInputs below;
        const InputRules everything{true, {}}; // outlives the walk, which keeps a reference
        Collector walk(everything, below);
        walk.folder(shown, path, {});
        inputs_.skippedFolder = shown;
        inputs_.skippedPhotos.insert(inputs_.skippedPhotos.end(), below.paths.begin(), below.paths.end());
    }

    void add(const fs::path& path, const fs::path& sub)
    {
        inputs_.paths.push_back(files::utf8String(path));
        inputs_.subfolders.push_back(files::utf8String(sub));
    }

    const InputRules& rules_;
    const fs::path skip_;
    BatchInputs& inputs_;
};

} // namespace

BatchInputs collectBatchInputs(const std::vector<std::string>& names, const InputRules& rules)
{
    BatchInputs found;
    Collector collector(rules, found);
    for (const std::string& name : names)
        collector.name(name);

    // Sorted by path, and for one path by subfolder, shortest first.
    std::vector<std::size_t> order(found.paths.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (found.paths[a] != found.paths[b])
            return found.paths[a] < found.paths[b];
        if (found.subfolders[a].size() != found.subfolders[b].size())
            return found.subfolders[a].size() < found.subfolders[b].size();
        return found.subfolders[a] < found.subfolders[b];
    });
    BatchInputs inputs;
    inputs.problems = std::move(found.problems);
    inputs.skippedFolder = std::move(found.skippedFolder);
    inputs.skippedPhotos = std::move(found.skippedPhotos);
    for (std::size_t i : order) {
        if (!inputs.paths.empty() && inputs.paths.back() == found.paths[i])
            continue;
        inputs.paths.push_back(found.paths[i]);
        inputs.subfolders.push_back(found.subfolders[i]);
    }
    return inputs;
}

std::vector<std::string> namesFromList(const std::string& list, ListSeparator separator)
{
    const char end = separator == ListSeparator::Nul ? '\0' : '\n';
    const bool standardInput = list == "-";
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> opened(
        standardInput ? nullptr : std::fopen(list.c_str(), "rb"), [](std::FILE* f) { return f ? std::fclose(f) : 0; });
    if (!standardInput && !opened)
        throw files::systemError("cannot read the list", list);
    std::FILE* in = standardInput ? stdin : opened.get();
    std::vector<std::string> names;
    std::string line;
    const auto keep = [&] {
        if (separator == ListSeparator::Line && !line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            names.push_back(line);
        line.clear();
    };
    for (int c; (c = std::getc(in)) != EOF;) {
        if (c == end)
            keep();
        else
            line += char(c);
    }
    if (std::ferror(in))
        throw files::systemError("cannot read the list", standardInput ? "standard input" : list);
    keep();
    return names;
}

} // namespace karwen
