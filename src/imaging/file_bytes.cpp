#include "file_bytes.h"

#include "errors.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rix {

namespace {

// Larger than any image file the loaders accept (a 32767 x 32767 32-bit BMP
// is about 4.3 GB), so bigger files are refused before reading.
constexpr uint64_t kMaxFileBytes = 5'000'000'000ull;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

std::string systemError(const std::string& what, const std::string& path)
{
    return what + " '" + path + "': " + std::strerror(errno);
}

} // namespace

FileBytes FileBytes::read(const std::string& path)
{
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0)
        throw Error(systemError("cannot open", path));
    struct stat info {};
    if (::fstat(file.get(), &info) != 0)
        throw Error(systemError("cannot examine", path));
    if (!S_ISREG(info.st_mode))
        throw Error("not a regular file: '" + path + "'");
    if (uint64_t(info.st_size) > kMaxFileBytes)
        throw Error("file too large: '" + path + "'");

    FileBytes bytes;
    bytes.size_ = std::size_t(info.st_size);
    bytes.data_ = std::make_unique_for_overwrite<uint8_t[]>(bytes.size_ ? bytes.size_ : 1);
    std::size_t done = 0;
    while (done < bytes.size_) {
        const ssize_t n = ::read(file.get(), bytes.data_.get() + done, bytes.size_ - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw Error(systemError("cannot read", path));
        if (n == 0)
            break; // the file shrank while we read it: decode what is there
        done += std::size_t(n);
    }
    bytes.size_ = done;
    return bytes;
}

} // namespace rix
