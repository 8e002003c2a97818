#include "file_bytes.h"

#include "file_descriptor.h"
#include "file_error.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace karwen::files {

namespace {

// Larger than any image file the loaders accept (a 32767 x 32767 32-bit BMP
// is about 4.3 GB), so bigger files are refused before reading.
constexpr uint64_t kMaxFileBytes = 5'000'000'000ull;

} // namespace

FileBytes FileBytes::read(const std::string& path) { return read(path, std::size_t(kMaxFileBytes)); }

FileBytes FileBytes::read(const std::string& path, std::size_t most)
{
    // Opened without waiting, so that a FIFO or a device named like a photo
    // fails here instead of blocking until a writer or the device answers.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (file.get() < 0)
        throw systemError("cannot open", path);
    struct stat info { };
    if (::fstat(file.get(), &info) != 0)
        throw systemError("cannot read", path);
    if (S_ISDIR(info.st_mode))
        throw FileError("'" + path + "' is a folder, not a regular file");
    if (!S_ISREG(info.st_mode))
        throw FileError("'" + path + "' is not a regular file");
    const int flags = ::fcntl(file.get(), F_GETFL);
    if (flags < 0 || ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0)
        throw systemError("cannot read", path);
    if (uint64_t(info.st_size) > kMaxFileBytes)
        throw FileError("'" + path + "' is too large for an image file");

    FileBytes bytes;
    bytes.size_ = std::min(std::size_t(info.st_size), most);
    bytes.data_ = std::make_unique_for_overwrite<uint8_t[]>(bytes.size_ ? bytes.size_ : 1);
    std::size_t done = 0;
    while (done < bytes.size_) {
        const ssize_t n = ::read(file.get(), bytes.data_.get() + done, bytes.size_ - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw systemError("cannot read", path);
        if (n == 0)
            break; // the file shrank while we read it: decode what is there
        done += std::size_t(n);
    }
    bytes.size_ = done;
    return bytes;
}

} // namespace karwen::files
