#include "atomic_file_writer.h"

#include "file_error.h"
#include "file_path.h"
#include "left_temporaries.h"

#include <cerrno>
#include <cstdio> // renameat2
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace karwen::files {

namespace {

// Why no file could be created in folder, for the errno of the failed open.
FileError creationError(const std::string& folder, int err, bool folderThere)
{
    if (err == ENOENT && folderThere)
        return FileError("the folder '" + folder + "' does not accept new files");
    if (err == ENOENT)
        return FileError("the folder '" + folder + "' does not exist");
    if (err == EACCES || err == EPERM)
        return FileError("no permission to create files in the folder '" + folder + "'");
    return FileError("cannot create a file in the folder '" + folder + "': " + reasonOf(err));
}

} // namespace

AtomicFileWriter::AtomicFileWriter(std::string targetPath, const struct stat* replaced)
    : name_(nameOf(targetPath))
    , shown_(std::move(targetPath))
{
    const std::string folder = folderOf(shown_);
    // O_PATH: a folder the user may write to but not list still takes files.
    folder_ = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder_ < 0) {
        const int err = errno;
        struct stat info { };
        throw creationError(folder, err, ::stat(folder.c_str(), &info) == 0);
    }
    create(replaced);
}

AtomicFileWriter::AtomicFileWriter(int folder, std::string name, std::string shownPath, const struct stat* replaced)
    : name_(std::move(name))
    , shown_(std::move(shownPath))
    , folder_(::fcntl(folder, F_DUPFD_CLOEXEC, 0))
{
    if (folder_ < 0)
        throw systemError("cannot reach the folder of", shown_);
    create(replaced);
}

void AtomicFileWriter::create(const struct stat* replaced)
{
    for (unsigned attempt = 0; fd_ < 0; ++attempt) {
        temporary_ = temporaryName(name_, attempt);
        // 0666 so that a new file gets the permissions the umask allows.
        fd_ = ::openat(folder_, temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd_ < 0 && (errno != EEXIST || attempt >= 100)) {
            const int err = errno;
            temporary_.clear();
            ::close(std::exchange(folder_, -1));
            // The folder is open, so a missing name is the folder's doing.
            throw creationError(folderOf(shown_), err, true);
        }
    }
    if (!replaced)
        return;
    try {
        takeAttributes(*replaced);
    } catch (...) {
        // No destructor runs for a constructor that throws.
        ::close(std::exchange(fd_, -1));
        ::unlinkat(folder_, temporary_.c_str(), 0);
        ::close(std::exchange(folder_, -1));
        throw;
    }
}

AtomicFileWriter::~AtomicFileWriter()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (!temporary_.empty())
        ::unlinkat(folder_, temporary_.c_str(), 0);
    if (folder_ >= 0)
        ::close(folder_);
}

void AtomicFileWriter::takeAttributes(const struct stat& replaced)
{
    // Owner and group first, since changing them clears set-ID bits. Only
    // root may give a file away; others may still keep its group.
    const bool sameOwner = ::fchown(fd_, replaced.st_uid, replaced.st_gid) == 0;
    if (!sameOwner && ::fchown(fd_, uid_t(-1), replaced.st_gid) != 0) {
        // Not in that group either: the new file is wholly the user's own.
    }
    if (::fchmod(fd_, replaced.st_mode & 07777) != 0)
        throw systemError("cannot set the permissions of", shown_);
}

void AtomicFileWriter::write(const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd_, bytes, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw systemError("cannot write", shown_);
        bytes += n;
        size -= std::size_t(n);
    }
}

void AtomicFileWriter::flush()
{
    if (fd_ < 0)
        throw FileError("'" + shown_ + "' was already written");
    if (::fsync(fd_) != 0)
        throw systemError("cannot write", shown_);
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0)
        throw systemError("cannot write", shown_);
}

// Makes the rename itself durable; the data is already safe, so a folder
// that refuses fsync is not an error.
void AtomicFileWriter::made()
{
    temporary_.clear();
    const int listing = ::openat(folder_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing >= 0) {
        ::fsync(listing);
        ::close(listing);
    }
}

void AtomicFileWriter::commit()
{
    flush();
    if (::renameat(folder_, temporary_.c_str(), folder_, name_.c_str()) != 0)
        throw systemError("cannot replace", shown_);
    made();
}

bool AtomicFileWriter::commitIfFree()
{
    flush();
    if (::renameat2(folder_, temporary_.c_str(), folder_, name_.c_str(), RENAME_NOREPLACE) == 0) {
        made();
        return true;
    }
    if (errno == EEXIST)
        return false;
    if (errno != EINVAL && errno != ENOSYS)
        throw systemError("cannot save", shown_);
    // A file system without that rename: a second link fails just as well
    // on a name that is taken.
    if (::linkat(folder_, temporary_.c_str(), folder_, name_.c_str(), 0) != 0) {
        if (errno == EEXIST)
            return false;
        throw systemError("cannot save", shown_);
    }
    ::unlinkat(folder_, temporary_.c_str(), 0);
    made();
    return true;
}

} // namespace karwen::files
