// The rows of karwen-cli measure in its CSV while it runs: each finished
// photo's row is there as a whole line before the run ends; SIGINT, SIGTERM
// and SIGHUP stop the run with the rows finished so far; a closed standard
// error does not end it; a file that cannot grow stops it at once.
#include "cli_child.h"
#include "cli_fixture.h"

#include "canopy_csv.h"
#include "canopy_csv_reading.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <set>
#include <string>
#include <thread>
#include <vector>

using namespace karwen;
using namespace karwen::test;

namespace {

// Enough photos that the run outlasts the wait for its first row by far.
constexpr int kPhotos = 200;

class CsvRun : public CliRun {
protected:
    void SetUp() override
    {
        CliRun::SetUp();
        for (int i = 0; i < kPhotos; ++i)
            photo(name(i));
    }

    // p000.bmp, p001.bmp, ...
    static std::string name(int i)
    {
        std::string text = std::to_string(1000 + i) + ".bmp";
        text[0] = 'p';
        return text;
    }

    [[nodiscard]] ChildRun start(ChildRun::Stream err) const
    {
        return {{KARWEN_CLI, "measure", "--csv", csv(), "--circle", "48,40,32", "-j", "1", in()},
            ChildRun::Stream::File, (dir / "out.txt").string(), err, (dir / "err.txt").string()};
    }

    // Whether the CSV shows a row within a minute (a bound, not a timing).
    [[nodiscard]] bool firstRowAppears() const
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (std::chrono::steady_clock::now() < deadline) {
            const std::string text = readBytes(csv());
            if (text.find("\r\n") != text.rfind("\r\n"))
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }

    // The CSV's rows; each must be a whole line of the header's columns.
    [[nodiscard]] std::vector<std::string> wholeRows() const
    {
        const std::string text = readBytes(csv());
        EXPECT_TRUE(text.ends_with("\r\n")) << text.substr(text.size() - std::min<std::size_t>(text.size(), 200));
        const std::size_t columns = canopy::csvFields(canopy::csvHeader(5))->size();
        std::vector<std::string> files;
        for (std::size_t start = text.find("\r\n"); start + 2 < text.size();) {
            const std::size_t end = text.find("\r\n", start + 2);
            const auto fields = canopy::csvFields(text.substr(start + 2, end - start - 2));
            EXPECT_TRUE(fields && fields->size() == columns && fields->at(1).empty()) << text.substr(start, 300);
            if (fields)
                files.push_back(fields->at(0));
            start = end;
        }
        return files;
    }

    [[nodiscard]] std::vector<std::string> everyPhoto() const
    {
        std::vector<std::string> photos;
        for (int i = 0; i < kPhotos; ++i)
            photos.push_back(in(name(i)));
        return photos;
    }
};

TEST_F(CsvRun, StopSignalsKeepTheRowsFinished)
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        std::filesystem::remove(csv());
        ChildRun child = start(ChildRun::Stream::File);
        ASSERT_TRUE(child.started());
        ASSERT_TRUE(firstRowAppears()) << signal;
        child.signal(signal);
        EXPECT_EQ(child.exitCode(), 128 + signal) << readBytes(dir / "err.txt");
        EXPECT_TRUE(has(readBytes(dir / "err.txt"), "Stopped early"));
        const std::vector<std::string> files = wholeRows();
        EXPECT_GE(files.size(), 1u);
        const std::vector<std::string> photos = everyPhoto();
        const std::set<std::string> listed(photos.begin(), photos.end());
        EXPECT_EQ(std::set<std::string>(files.begin(), files.end()).size(), files.size());
        for (const std::string& file : files)
            EXPECT_TRUE(listed.contains(file)) << file;
    }
}

TEST_F(CsvRun, AClosedStandardErrorDoesNotEndTheRun)
{
    for (const ChildRun::Stream err : {ChildRun::Stream::ReaderGone, ChildRun::Stream::Closed}) {
        std::filesystem::remove(csv());
        ChildRun child = start(err);
        EXPECT_EQ(child.exitCode(), 0);
        EXPECT_EQ(wholeRows(), everyPhoto());
    }
}

TEST_F(CsvRun, AFileThatCannotGrowStopsTheRun)
{
    // 8 blocks of 512 bytes: the header and a few rows; SIGXFSZ ignored,
    // as over a full disk the write itself fails.
    const test_support::Outcome run = throughShell(
        "trap '' XFSZ; ulimit -f 8 && exec \"$0\" \"$@\"", {"measure", "--csv", csv(), "--circle", "48,40,32", in()});
    EXPECT_TRUE(ended(run, 1, {"The run stopped: Cannot write '" + csv() + "': "}));
    const std::vector<std::string> files = wholeRows();
    EXPECT_GE(files.size(), 1u);
    EXPECT_LT(files.size(), 20u);
    EXPECT_FALSE(has(run.output, "[50/" + std::to_string(kPhotos) + "]"));
}

} // namespace
