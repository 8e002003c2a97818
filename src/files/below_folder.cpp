#include "below_folder.h"

#include "atomic_file_writer.h"
#include "file_descriptor.h"
#include "file_error.h"
#include "file_path.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>
#include <vector>

namespace karwen::files {

namespace {

std::vector<std::string> stepsOf(const std::string& below)
{
    std::vector<std::string> steps;
    std::size_t start = 0;
    for (std::size_t slash; (slash = below.find('/', start)) != std::string::npos; start = slash + 1)
        if (slash > start)
            steps.push_back(below.substr(start, slash - start));
    if (start < below.size())
        steps.push_back(below.substr(start));
    return steps;
}

EntryKind kindOf(mode_t mode)
{
    if (S_ISREG(mode))
        return EntryKind::RegularFile;
    if (S_ISDIR(mode))
        return EntryKind::Folder;
    return S_ISLNK(mode) ? EntryKind::Link : EntryKind::Other;
}

// The folder that holds the last step, opened step by step without
// following links; where a step is not a folder, `stopped` tells what it
// is and `at` how far the walk got.
struct Walk {
    FileDescriptor folder{-1};
    EntryKind stopped = EntryKind::Folder;
    std::string at; // the steps walked, the one that stopped the walk included
};

Walk walkTo(const std::string& root, const std::vector<std::string>& steps)
{
    Walk walk;
    walk.folder = FileDescriptor(::open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (walk.folder.get() < 0)
        throw systemError("cannot reach the folder", root);
    for (std::size_t i = 0; i + 1 < steps.size(); ++i) {
        walk.at += (walk.at.empty() ? "" : "/") + steps[i];
        struct stat info { };
        if (::fstatat(walk.folder.get(), steps[i].c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT)
                throw systemError("cannot reach", pathBelow(root, walk.at));
            walk.stopped = EntryKind::Nothing;
            return walk;
        }
        if (!S_ISDIR(info.st_mode)) {
            walk.stopped = S_ISLNK(info.st_mode) ? EntryKind::Link : EntryKind::Other;
            return walk;
        }
        FileDescriptor next(
            ::openat(walk.folder.get(), steps[i].c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (next.get() < 0)
            throw systemError("cannot reach the folder", pathBelow(root, walk.at));
        walk.folder = std::move(next);
    }
    return walk;
}

std::string headOf(int folder, const std::string& name, const std::string& shown)
{
    // Not blocking: a FIFO put there since the look must not hang the run.
    FileDescriptor file(::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0)
        throw systemError("cannot read", shown);
    std::string head(kHeadBytes, '\0');
    std::size_t size = 0;
    while (size < head.size()) {
        const ssize_t n = ::read(file.get(), head.data() + size, head.size() - size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw systemError("cannot read", shown);
        if (n == 0)
            break;
        size += std::size_t(n);
    }
    head.resize(size);
    return head;
}

} // namespace

std::string pathBelow(const std::string& root, const std::string& below)
{
    return root.ends_with('/') ? root + below : root + "/" + below;
}

EntryBelow lookBelow(const std::string& root, const std::string& below)
{
    const std::vector<std::string> steps = stepsOf(below);
    if (steps.empty())
        throw FileError("'" + below + "' names no file");
    Walk walk = walkTo(root, steps);
    if (walk.stopped != EntryKind::Folder)
        return {walk.stopped, walk.stopped == EntryKind::Link ? walk.at : std::string(), {}};
    const std::string shown = pathBelow(root, below);
    struct stat info { };
    if (::fstatat(walk.folder.get(), steps.back().c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT)
            return {};
        throw systemError("cannot reach", shown);
    }
    EntryBelow entry{kindOf(info.st_mode), {}, {}};
    if (entry.kind == EntryKind::Link)
        entry.link = below;
    if (entry.kind == EntryKind::RegularFile) {
        entry.head = headOf(walk.folder.get(), steps.back(), shown);
        entry.writable = (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0
            && ::faccessat(walk.folder.get(), steps.back().c_str(), W_OK, AT_EACCESS) == 0;
    }
    return entry;
}

bool writeBelow(const std::string& root, const std::string& below, const void* data, std::size_t size, bool replace)
{
    const std::vector<std::string> steps = stepsOf(below);
    if (steps.empty())
        throw FileError("'" + below + "' names no file");
    const Walk walk = walkTo(root, steps);
    const std::string shown = pathBelow(root, below);
    if (walk.stopped == EntryKind::Link)
        throw FileError("'" + pathBelow(root, walk.at) + "' is a symbolic link; nothing is written through it");
    if (walk.stopped != EntryKind::Folder)
        throw FileError("the folder '" + pathBelow(root, walk.at) + "' is not there");
    struct stat info { };
    const bool there = ::fstatat(walk.folder.get(), steps.back().c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
    if (there && !replace)
        return false;
    // A regular file replaced keeps its mode and owner; a link or anything
    // else in the way is simply replaced.
    const bool keepsAttributes = there && S_ISREG(info.st_mode);
    AtomicFileWriter writer(walk.folder.get(), steps.back(), shown, keepsAttributes ? &info : nullptr);
    writer.write(data, size);
    if (replace) {
        writer.commit();
        return true;
    }
    return writer.commitIfFree();
}

std::size_t longestNameIn(const std::string& folder)
{
    std::string asked = folder.empty() ? std::string(".") : folder;
    for (;;) {
        errno = 0;
        const long longest = ::pathconf(asked.c_str(), _PC_NAME_MAX);
        if (longest > 0)
            return std::size_t(longest);
        if (errno != ENOENT && errno != ENOTDIR)
            return NAME_MAX; // the file system sets no limit of its own
        const std::string up = folderOf(asked);
        if (up == asked)
            return NAME_MAX;
        asked = up;
    }
}

} // namespace karwen::files
