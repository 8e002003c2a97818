#include "save_file.h"

#include "atomic_file_writer.h"
#include "file_descriptor.h"
#include "file_error.h"
#include "file_path.h"

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace karwen::files {

namespace {

// As many hops as the kernel itself follows before it gives up.
constexpr int kMaxLinkHops = 40;

std::string quoted(const std::string& path) { return "'" + path + "'"; }

// What the link at path points to, relative to the link's own folder.
std::string linkTarget(const std::string& path, std::size_t linkSize)
{
    std::vector<char> text(linkSize + 1);
    const ssize_t n = ::readlink(path.c_str(), text.data(), text.size());
    if (n < 0)
        throw systemError("cannot follow the link", path);
    if (n == 0 || std::size_t(n) >= text.size()) // empty, or changed while we looked
        throw FileError("cannot follow the link " + quoted(path));
    const std::string target(text.data(), std::size_t(n));
    if (target.front() == '/')
        return target;
    const std::string folder = folderOf(path);
    return (folder == "/" ? "" : folder) + "/" + target;
}

// The file at the end of the link chain that starts at path, with its
// status, or no status when nothing is there yet.
std::string followLinks(const std::string& start, std::optional<struct stat>& status)
{
    std::string path = start;
    for (int hops = 0;; ++hops) {
        struct stat info { };
        if (::lstat(path.c_str(), &info) != 0) {
            if (errno != ENOENT)
                throw systemError("cannot reach", path);
            status.reset();
            return path;
        }
        if (!S_ISLNK(info.st_mode)) {
            status = info;
            return path;
        }
        if (hops == kMaxLinkHops)
            throw FileError("the links from " + quoted(start) + " go round in a circle or too deep");
        path = linkTarget(path, std::size_t(info.st_size > 0 ? info.st_size : 4096));
    }
}

void checkReplaceable(const std::string& path, const struct stat& info)
{
    if (S_ISDIR(info.st_mode))
        throw FileError(quoted(path) + " is a folder");
    if (!S_ISREG(info.st_mode))
        throw FileError(quoted(path) + " is not a regular file");
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        throw FileError(quoted(path) + " is read-only");
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
        if (errno == EACCES || errno == EPERM)
            throw FileError("no permission to change " + quoted(path));
        throw systemError("cannot write", path);
    }
}

struct stat folderStatus(const std::string& folder)
{
    struct stat info { };
    if (::stat(folder.c_str(), &info) != 0) {
        if (errno == ENOENT)
            throw FileError("the folder " + quoted(folder) + " does not exist");
        throw systemError("cannot reach the folder", folder);
    }
    if (!S_ISDIR(info.st_mode))
        throw FileError(quoted(folder) + " is not a folder");
    return info;
}

// Whether a new file may take the place of `file` (if any) in the folder.
// In a folder with the sticky bit (as /tmp) only root and the owners of the
// file or of the folder may remove or replace a file.
bool mayReplaceIn(const std::string& folder, const struct stat& folderInfo, const struct stat* file)
{
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
        return false;
    const uid_t user = ::geteuid();
    return !file || !(folderInfo.st_mode & S_ISVTX) || user == 0 || user == file->st_uid || user == folderInfo.st_uid;
}

void writeInPlace(const std::string& path, const void* data, std::size_t size)
{
    FileDescriptor file(::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOFOLLOW));
    if (file.get() < 0)
        throw systemError("cannot write", path);
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(file.get(), bytes, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw FileError("cannot write " + quoted(path) + ": " + reasonOf(errno) + "; the file is now incomplete");
        bytes += n;
        size -= std::size_t(n);
    }
    if (::fsync(file.get()) != 0 || !file.close())
        throw FileError("cannot write " + quoted(path) + ": " + reasonOf(errno) + "; the file may be incomplete");
}

} // namespace

void saveFile(const std::string& path, const void* data, std::size_t size)
{
    if (path.empty() || path.back() == '/')
        throw FileError(quoted(path) + " is not a file name");
    std::optional<struct stat> existing;
    const std::string target = followLinks(path, existing);
    if (existing)
        checkReplaceable(target, *existing);
    const std::string folder = folderOf(target);
    const struct stat folderInfo = folderStatus(folder);
    const struct stat* replaced = existing ? &*existing : nullptr;

    if (!existing || mayReplaceIn(folder, folderInfo, replaced)) {
        AtomicFileWriter writer(target, replaced);
        writer.write(data, size);
        writer.commit();
    } else {
        writeInPlace(target, data, size);
    }
}

} // namespace karwen::files
