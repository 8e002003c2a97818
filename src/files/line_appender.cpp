#include "line_appender.h"

#include "file_error.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace karwen::files {

namespace {

constexpr std::chrono::seconds kSyncEvery{1};

} // namespace

LineAppender::LineAppender(const std::string& path, Open how)
    : name_(path)
    , owned_(true)
{
    const int flags = O_WRONLY | O_APPEND | O_CLOEXEC | (how == Open::CreateNew ? O_CREAT | O_EXCL : 0);
    fd_ = ::open(path.c_str(), flags, 0666);
    if (fd_ < 0)
        throw systemError(how == Open::CreateNew ? "Cannot create" : "Cannot open", path);
    startSyncing();
}

LineAppender::LineAppender(int fd, std::string name)
    : name_(std::move(name))
    , fd_(fd)
{
    startSyncing();
}

LineAppender::~LineAppender() { closeQuietly(); }

void LineAppender::startSyncing()
{
    struct stat info { };
    regular_ = ::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode);
    if (regular_)
        syncer_ = std::jthread([this](const std::stop_token& stop) { syncWhileWaiting(stop); });
}

void LineAppender::syncWhileWaiting(const std::stop_token& stop)
{
    std::unique_lock lock(mutex_);
    while (!wake_.wait_for(lock, stop, kSyncEvery, [] { return false; }) && !stop.stop_requested()) {
        if (!unsynced_)
            continue;
        unsynced_ = false;
        lock.unlock();
        const bool synced = ::fsync(fd_) == 0;
        const int error = errno;
        lock.lock();
        if (!synced && syncError_ == 0)
            syncError_ = error;
    }
}

void LineAppender::append(std::string_view lines)
{
    std::lock_guard lock(mutex_);
    if (fd_ < 0) {
        errno = EBADF;
        throw systemError("Cannot write", name_);
    }
    if (syncError_ != 0) {
        errno = syncError_;
        throw systemError("Cannot write", name_);
    }
    const off_t before = regular_ ? ::lseek(fd_, 0, SEEK_END) : 0;
    for (std::size_t done = 0; done < lines.size();) {
        const ssize_t n = ::write(fd_, lines.data() + done, lines.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            if (regular_ && done > 0)
                (void)::ftruncate(fd_, before);
            errno = error;
            throw systemError("Cannot write", name_);
        }
        done += std::size_t(n);
    }
    unsynced_ = regular_;
}

void LineAppender::close()
{
    if (syncer_.joinable()) {
        syncer_.request_stop();
        syncer_.join();
    }
    std::lock_guard lock(mutex_);
    if (fd_ < 0)
        return;
    const bool synced = !regular_ || ::fsync(fd_) == 0;
    int error = synced ? syncError_ : errno;
    if (owned_ && ::close(fd_) != 0 && error == 0)
        error = errno;
    fd_ = -1;
    if (error != 0) {
        errno = error;
        throw systemError("Cannot write", name_);
    }
}

void LineAppender::closeQuietly()
{
    try {
        close();
    } catch (const FileError&) {
        // A failure now has nobody left to tell; the lines written stay.
    }
}

} // namespace karwen::files
