// Whole lines added to the end of a file as they come, so that a reader, a
// crash or a killed process never finds half a line: each line goes out in
// one write (continued, on a pipe, until it is all out), and a write that
// fails part-way is cut back off a regular file. On a regular file what
// was written reaches the disk within about a second: a thread of the
// appender syncs the file once a second while lines wait for it.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace karwen::files {

class LineAppender {
public:
    enum class Open {
        CreateNew, // a file that must not exist yet (O_EXCL)
        Existing,  // appended to, a symbolic link followed
    };
    // Opens the file at path; throws FileError with the reason.
    LineAppender(const std::string& path, Open how);
    // Writes to an open descriptor the appender does not own (standard
    // output), named in messages as `name`.
    LineAppender(int fd, std::string name);
    ~LineAppender();
    LineAppender(const LineAppender&) = delete;
    LineAppender& operator=(const LineAppender&) = delete;

    // Adds text, which holds whole lines; throws FileError when it cannot,
    // the file then holding what it held before. Safe from several threads.
    void append(std::string_view lines);
    // Syncs what was written and closes; throws FileError on a late failure.
    void close();

private:
    void startSyncing();
    void syncWhileWaiting(const std::stop_token& stop);
    void closeQuietly();

    std::string name_;
    int fd_ = -1;
    bool owned_ = false;
    bool regular_ = false;
    std::mutex mutex_;
    bool unsynced_ = false;
    int syncError_ = 0; // errno of a failed background sync, told by the next append
    std::condition_variable_any wake_;
    std::jthread syncer_;
};

} // namespace karwen::files
