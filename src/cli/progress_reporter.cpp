#include "progress_reporter.h"

#include "shown_text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

namespace karwen::cli {

namespace {

constexpr int kBarWidth = 30;
// The bar is redrawn at most this often, and after the last file.
constexpr std::chrono::milliseconds kRedrawEvery{100};

std::string clockText(double seconds)
{
    const long total = std::lround(std::max(seconds, 0.0));
    char text[32];
    if (total >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
    return text;
}

} // namespace

ProgressReporter::ProgressReporter(std::FILE* stream, Style style, Wording wording)
    : stream_(stream)
    , style_(style)
    , wording_(wording)
{
}

ProgressReporter::ProgressReporter(ProgressSink sink, Wording wording)
    : sink_(std::move(sink))
    , style_(Style::Sink)
    , wording_(wording)
{
}

void ProgressReporter::start(int total)
{
    std::lock_guard lock(mutex_);
    total_ = total;
    done_ = 0;
    start_ = std::chrono::steady_clock::now();
    if (style_ == Style::Sink && sink_.filesDone)
        sink_.filesDone(0, total_);
    else if (style_ == Style::Bar && writable())
        drawBar();
}

bool ProgressReporter::writable()
{
    if (stream_ && std::ferror(stream_))
        broken_ = true;
    return !broken_;
}

double ProgressReporter::secondsSinceStart() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void ProgressReporter::clearBar()
{
    if (barShown_)
        std::fputs("\r\033[K", stream_);
    barShown_ = false;
}

void ProgressReporter::drawBar()
{
    const double seconds = secondsSinceStart();
    const double rate = seconds > 0 ? done_ / seconds : 0.0;
    const int filled = total_ > 0 ? int(int64_t(kBarWidth) * done_ / total_) : kBarWidth;
    std::string bar = "\r\033[K[";
    bar.append(std::size_t(filled), '#');
    bar.append(std::size_t(kBarWidth - filled), '-');
    char figures[96];
    std::snprintf(figures, sizeof figures, "] %d/%d  %.1f files/s", done_, total_, rate);
    bar += figures;
    if (done_ > 0 && done_ < total_) {
        bar += "  ";
        bar += clockText((total_ - done_) / rate);
        bar += " left";
    }
    std::fputs(bar.c_str(), stream_);
    std::fflush(stream_);
    barShown_ = true;
    lastDraw_ = std::chrono::steady_clock::now();
}

void ProgressReporter::fileDone(
    FileStatus status, const std::string& input, const std::string& output, const std::string& line)
{
    std::lock_guard lock(mutex_);
    ++done_;
    char place[48];
    std::snprintf(place, sizeof place, "[%d/%d] ", done_, total_);
    if (!writable())
        return;
    switch (style_) {
    case Style::Sink:
        if (status == FileStatus::Failed && sink_.line)
            sink_.line(line);
        if (sink_.filesDone)
            sink_.filesDone(done_, total_);
        break;
    case Style::Quiet:
        if (status == FileStatus::Failed)
            std::fprintf(stream_, "%s\n", shownText(line).c_str());
        break;
    case Style::Lines:
        if (status == FileStatus::Done && output.empty() && !line.empty())
            std::fprintf(
                stream_, "%s%s %s (%s)\n", place, wording_.done, shownText(input).c_str(), shownText(line).c_str());
        else if (status == FileStatus::Done && output.empty())
            std::fprintf(stream_, "%s%s %s\n", place, wording_.done, shownText(input).c_str());
        else if (status == FileStatus::Done)
            std::fprintf(
                stream_, "%s%s %s -> %s\n", place, wording_.done, shownText(input).c_str(), shownText(output).c_str());
        else if (status == FileStatus::Skipped)
            std::fprintf(stream_, "%sskipped %s: the result exists\n", place, shownText(output).c_str());
        else
            std::fprintf(stream_, "%s%s\n", place, shownText(line).c_str());
        break;
    case Style::Bar:
        if (status == FileStatus::Failed) {
            clearBar();
            std::fprintf(stream_, "%s\n", shownText(line).c_str());
        }
        if (!barShown_ || done_ == total_ || std::chrono::steady_clock::now() - lastDraw_ >= kRedrawEvery)
            drawBar();
        break;
    }
}

void ProgressReporter::failure(const std::string& line)
{
    std::lock_guard lock(mutex_);
    if (style_ == Style::Sink) {
        if (sink_.line)
            sink_.line(line);
        return;
    }
    if (!writable())
        return;
    const bool redraw = barShown_;
    clearBar();
    std::fprintf(stream_, "%s\n", shownText(line).c_str());
    if (redraw)
        drawBar();
}

std::string ProgressReporter::summaryText(const RunCounts& counts, bool stopped, const std::string& more) const
{
    const std::string skipped = wording_.skips ? std::to_string(counts.skipped) + " skipped, " : "";
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, " (%.1f s)", secondsSinceStart());
    return (stopped ? "Stopped early: " : "") + std::to_string(counts.done) + " " + wording_.done + ", " + skipped
        + std::to_string(counts.failed) + " failed" + more + seconds;
}

void ProgressReporter::finish(const RunCounts& counts, bool stopped, const std::string& more)
{
    std::lock_guard lock(mutex_);
    if (style_ == Style::Sink) {
        if (sink_.summary)
            sink_.summary(summaryText(counts, stopped, more));
        return;
    }
    if (style_ == Style::Quiet || !writable())
        return;
    if (barShown_)
        std::fputs("\n", stream_);
    barShown_ = false;
    std::fprintf(stream_, "%s\n", summaryText(counts, stopped, more).c_str());
    std::fflush(stream_);
}

} // namespace karwen::cli
