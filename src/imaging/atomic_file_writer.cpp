#include "atomic_file_writer.h"

#include "errors.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rix {

namespace {

constexpr std::size_t kBufferBytes = 256 * 1024;

std::string folderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string systemError(const std::string& what, const std::string& path)
{
    return what + " '" + path + "': " + std::strerror(errno);
}

// A name unlikely to collide, starting with a dot so it stays out of sight
// in file listings if the process dies before it can clean up.
std::string temporaryName(const std::string& target, unsigned attempt)
{
    static std::atomic<unsigned> counter{0};
    const auto slash = target.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, ".%d-%u-%llx-%u.tmp", int(::getpid()), counter++,
                  static_cast<unsigned long long>(ticks) & 0xffffffu, attempt);
    return folder + "." + base + suffix;
}

} // namespace

AtomicFileWriter::AtomicFileWriter(std::string targetPath)
    : target_(std::move(targetPath))
{
    if (target_.empty() || target_.back() == '/')
        throw Error("not a file name: '" + target_ + "'");
    for (unsigned attempt = 0; fd_ < 0; ++attempt) {
        temporary_ = temporaryName(target_, attempt);
        // 0666 so that the saved file gets the permissions the umask allows.
        fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && (errno != EEXIST || attempt >= 100))
            throw Error(systemError("cannot create a file in", folderOf(target_)));
    }
    buffer_.reserve(kBufferBytes);
}

AtomicFileWriter::~AtomicFileWriter()
{
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink(temporary_.c_str());
    }
}

void AtomicFileWriter::write(const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (buffer_.size() + size > kBufferBytes) {
        flushBuffer();
        if (size >= kBufferBytes) {
            writeAll(bytes, size);
            return;
        }
    }
    buffer_.insert(buffer_.end(), bytes, bytes + size);
}

void AtomicFileWriter::commit()
{
    if (fd_ < 0)
        throw Error("file already committed: '" + target_ + "'");
    flushBuffer();
    if (::fsync(fd_) != 0)
        throw Error(systemError("cannot flush", temporary_));
    if (::rename(temporary_.c_str(), target_.c_str()) != 0)
        throw Error(systemError("cannot replace", target_));
    ::close(fd_);
    fd_ = -1;
    // Make the rename itself durable; the data is already safe, so a folder
    // that refuses fsync is not an error.
    const int folder = ::open(folderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

void AtomicFileWriter::flushBuffer()
{
    writeAll(buffer_.data(), buffer_.size());
    buffer_.clear();
}

void AtomicFileWriter::writeAll(const unsigned char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd_, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw Error(systemError("cannot write", temporary_));
        data += n;
        size -= std::size_t(n);
    }
}

} // namespace rix
