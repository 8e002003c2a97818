// What a run tells its user on standard error, file by file:
// nothing with --quiet (failures still), one plain line per file when the
// output is not a terminal, otherwise a bar with files done of all, files
// per second and the time left, redrawn in place. Each failure is one line
// of its own; a summary closes the run. Names and lines are shown escaped
// (shown_text.h). Safe to call from several threads.
// A stream that cannot be written (a closed pipe) is left alone from then
// on: the run goes on without progress.
// A run started by the window tells a ProgressSink instead, with the same
// lines unescaped: the window shows them as text, not on a terminal.
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>

namespace karwen::cli {

enum class FileStatus { Done, Skipped, Failed };

struct RunCounts {
    int done = 0;
    int skipped = 0;
    int failed = 0;
};

// What a run does to each file, as its lines and summary say it.
struct Wording {
    const char* done = "converted";
    bool skips = true; // whether files can be skipped, and the summary counts them
};

// Where a run's progress goes in place of a stream. Called from the run's
// threads, one call at a time; every member may be empty.
struct ProgressSink {
    std::function<void(int done, int total)> filesDone; // 0 of all at the start
    std::function<void(const std::string& line)> line;  // each failure or note
    std::function<void(const std::string& summary)> summary;
};

class ProgressReporter {
public:
    enum class Style { Quiet, Lines, Bar, Sink };

    ProgressReporter(std::FILE* stream, Style style, Wording wording = {});
    ProgressReporter(ProgressSink sink, Wording wording);

    // Starts the clock for a run of `total` files.
    void start(int total);
    // One file done. output: its result, if it has one of its own; line:
    // its failure in plain words when it failed, else a note on it ("image
    // kept: exists"), if any.
    void fileDone(FileStatus status, const std::string& input, const std::string& output, const std::string& line);
    // A failure that belongs to no file of the list (an input not found).
    void failure(const std::string& line);
    // Something the user must hear of, even with --quiet, that is no
    // failure (photos the run leaves out).
    void note(const std::string& line) { failure(line); }
    // The closing summary; stopped when a signal ended the run early; more
    // follows the counts ("; images: 3 written, 0 kept, 0 failed").
    void finish(const RunCounts& counts, bool stopped, const std::string& more = {});

private:
    // What finish() says: "Stopped early: 3 measured, 0 skipped, 1 failed (2.0 s)".
    [[nodiscard]] std::string summaryText(const RunCounts& counts, bool stopped, const std::string& more) const;
    void drawBar();
    // Whether the stream may still be written; false once a write failed.
    [[nodiscard]] bool writable();
    void clearBar();
    [[nodiscard]] double secondsSinceStart() const;

    std::mutex mutex_;
    std::FILE* stream_ = nullptr;
    ProgressSink sink_;
    Style style_;
    Wording wording_;
    int total_ = 0;
    int done_ = 0;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDraw_;
    bool barShown_ = false;
    bool broken_ = false;
};

} // namespace karwen::cli
