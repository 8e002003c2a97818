// What a run shows on a terminal: a bar of files done of all, redrawn in
// place, failures on lines of their own above it, and at the end the full
// bar left standing with the summary on a line below. Figures that depend
// on the clock (files per second, the time left) are not read.
#include "progress_reporter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace karwen::cli;

namespace {

// What the reporter wrote into a temporary file.
std::string written(std::FILE* stream)
{
    std::fflush(stream);
    std::string text(std::size_t(std::ftell(stream)), '\0');
    std::rewind(stream);
    text.resize(std::fread(text.data(), 1, text.size(), stream));
    return text;
}

std::string bar(int filled, int done, int total)
{
    return "\r\033[K[" + std::string(std::size_t(filled), '#') + std::string(std::size_t(30 - filled), '-') + "] "
        + std::to_string(done) + "/" + std::to_string(total) + "  ";
}

} // namespace

TEST(Progress, TheBarCountsFilesAndEndsWithTheSummaryBelowIt)
{
    for (const bool stopped : {false, true}) {
        std::FILE* stream = std::tmpfile();
        ASSERT_NE(stream, nullptr);
        ProgressReporter reporter(stream, ProgressReporter::Style::Bar);
        reporter.start(3);
        reporter.fileDone(FileStatus::Done, "/in/a.jpg", "/out/a-kw.jpg", "");
        reporter.fileDone(FileStatus::Failed, "/in/b.jpg", "", "Cannot open \"/in/b.jpg\": damaged JPEG data.");
        reporter.fileDone(FileStatus::Skipped, "/in/c.jpg", "/out/c-kw.jpg", "");
        reporter.finish({1, 1, 1}, stopped);
        const std::string text = written(stream);
        std::fclose(stream);
        SCOPED_TRACE(text);

        EXPECT_TRUE(text.starts_with(bar(0, 0, 3)));
        // The bar is cleared before the failure's line, and drawn again below it.
        EXPECT_NE(
            text.find("\r\033[KCannot open \"/in/b.jpg\": damaged JPEG data.\n" + bar(20, 2, 3)), std::string::npos);
        // The last file always fills the bar, without a time left, and the
        // summary takes a line of its own: nothing is drawn over it.
        const std::size_t last = text.rfind(bar(30, 3, 3));
        ASSERT_NE(last, std::string::npos);
        const std::size_t end = text.find('\n', last);
        ASSERT_NE(end, std::string::npos);
        EXPECT_EQ(text.find(" left", last), std::string::npos);
        const std::string summary = text.substr(end + 1);
        EXPECT_TRUE(
            summary.starts_with(std::string(stopped ? "Stopped early: " : "") + "1 converted, 1 skipped, 1 failed ("))
            << summary;
        EXPECT_TRUE(summary.ends_with(" s)\n")) << summary;
        EXPECT_EQ(summary.find('\r'), std::string::npos);
        EXPECT_EQ(summary.find('\n'), summary.size() - 1);
        EXPECT_EQ(text.find("converted /in"), std::string::npos) << "no file lines beside the bar";
    }
}

// A window's run: the counts, each failure and note in the order told, and
// the summary the stream's lines end with, the same words.
TEST(Progress, ASinkHearsWhatTheLinesShow)
{
    std::vector<std::string> heard;
    ProgressSink sink{[&](int done, int total) { heard.push_back(std::to_string(done) + "/" + std::to_string(total)); },
        [&](const std::string& line) { heard.push_back("line " + line); },
        [&](const std::string& summary) { heard.push_back("summary " + summary); }};
    std::FILE* stream = std::tmpfile();
    ASSERT_NE(stream, nullptr);
    ProgressReporter heardBy(sink, {"measured", true});
    ProgressReporter shown(stream, ProgressReporter::Style::Lines, {"measured", true});
    for (ProgressReporter* reporter : {&heardBy, &shown}) {
        reporter->start(2);
        reporter->fileDone(FileStatus::Done, "/in/a.jpg", "", "");
        reporter->note("Measuring \"/in/b.jpg\" again: no figures.");
        reporter->fileDone(FileStatus::Failed, "/in/b.jpg", "", "Cannot open \"/in/b.jpg\": damaged JPEG data.");
        reporter->finish({1, 3, 1}, true);
    }
    const std::string text = written(stream);
    std::fclose(stream);
    ASSERT_EQ(heard.size(), 6u);
    EXPECT_EQ(heard[0], "0/2");
    EXPECT_EQ(heard[1], "1/2");
    EXPECT_EQ(heard[2], "line Measuring \"/in/b.jpg\" again: no figures.");
    EXPECT_EQ(heard[3], "line Cannot open \"/in/b.jpg\": damaged JPEG data.");
    EXPECT_EQ(heard[4], "2/2");
    const std::string summary = heard[5].substr(std::string("summary ").size());
    EXPECT_TRUE(summary.starts_with("Stopped early: 1 measured, 3 skipped, 1 failed (")) << summary;
    // The same words as the stream's last line, the clock's figure aside.
    const std::string last = text.substr(text.rfind('\n', text.size() - 2) + 1);
    EXPECT_EQ(last.substr(0, last.find('(')), summary.substr(0, summary.find('('))) << text;
}
