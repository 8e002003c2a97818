#include "atomic_file_writer.h"

#include "file_error.h"
#include "file_path.h"
#include "left_temporaries.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace karwen::files {

namespace {

// Why no file could be created in folder, for the errno of the failed open.
FileError creationError(const std::string& folder)
{
    const int err = errno;
    struct stat info { };
    if (err == ENOENT && ::stat(folder.c_str(), &info) == 0)
        return FileError("the folder '" + folder + "' does not accept new files");
    if (err == ENOENT)
        return FileError("the folder '" + folder + "' does not exist");
    if (err == EACCES || err == EPERM)
        return FileError("no permission to create files in the folder '" + folder + "'");
    return FileError("cannot create a file in the folder '" + folder + "': " + reasonOf(err));
}

} // namespace

AtomicFileWriter::AtomicFileWriter(std::string targetPath, const struct stat* replaced)
    : target_(std::move(targetPath))
{
    for (unsigned attempt = 0; fd_ < 0; ++attempt) {
        temporary_ = temporaryFileName(target_, attempt);
        // 0666 so that a new file gets the permissions the umask allows.
        fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && (errno != EEXIST || attempt >= 100))
            throw creationError(folderOf(target_));
    }
    if (replaced)
        takeAttributes(*replaced);
}

AtomicFileWriter::~AtomicFileWriter()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
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
        throw systemError("cannot set the permissions of", target_);
}

void AtomicFileWriter::write(const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd_, bytes, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw systemError("cannot write", target_);
        bytes += n;
        size -= std::size_t(n);
    }
}

void AtomicFileWriter::commit()
{
    if (fd_ < 0)
        throw FileError("'" + target_ + "' was already written");
    if (::fsync(fd_) != 0)
        throw systemError("cannot write", target_);
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0)
        throw systemError("cannot write", target_);
    if (::rename(temporary_.c_str(), target_.c_str()) != 0)
        throw systemError("cannot replace", target_);
    temporary_.clear();
    // Make the rename itself durable; the data is already safe, so a folder
    // that refuses fsync is not an error.
    const int folder = ::open(folderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

} // namespace karwen::files
