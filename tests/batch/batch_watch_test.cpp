// A run watched and stopped: the calls it makes, Stop keeping the file in
// hand and every result before it, the closing counts and the time left,
// nearly black results written and listed, and the destination folder
// tried before the first photo.
#include "batch_folders.h"
#include "batch_report.h"
#include "batch_run.h"
#include "mdl_karwen.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

namespace fs = std::filesystem;
using namespace karwen;
using karwen::test::writePhoto;

namespace {

using BatchWatchTest = test::BatchFolders;

TEST_F(BatchWatchTest, StopFinishesTheFileInHandAndKeepsEveryResultSoFar)
{
    const std::vector<std::string> names{"a.bmp", "b.bmp", "c.bmp", "d.bmp", "e.bmp", "f.bmp"};
    for (const std::string& name : names)
        photo(name);
    std::atomic<bool> stop{false};
    std::vector<std::string> started;
    std::vector<std::pair<int, int>> finished;
    BatchWatch watch;
    watch.starting = [&](const std::string& text) {
        started.push_back(text);
        // Asked while the second photo is in hand: that one is still done.
        if (started.size() == 2)
            stop = true;
    };
    watch.finished = [&](int done, int count, int) { finished.emplace_back(done, count); };
    watch.stop = &stop;

    const BatchOutcome outcome = runBatch(job(names), settings, watch);

    EXPECT_EQ(started, (std::vector<std::string>{"a.bmp\r (1/6)", "b.bmp\r (2/6)"}));
    EXPECT_EQ(finished, (std::vector<std::pair<int, int>>{{1, 6}, {2, 6}}));
    EXPECT_EQ(outcome.listed, 6);
    EXPECT_EQ(outcome.converted, 2);
    EXPECT_EQ(outcome.notStarted, 4);
    EXPECT_TRUE(outcome.stopped());
    EXPECT_TRUE(outcome.allWell());
    EXPECT_TRUE(fs::exists(out("a-kw.jpg")) && fs::exists(out("b-kw.jpg")));
    EXPECT_EQ(std::distance(fs::directory_iterator(root / "out"), fs::directory_iterator()), 2);
    EXPECT_EQ(batchSummary(outcome), "Stopped after 2 of 6 files: 2 converted, 0 skipped, 0 failed.");
}

TEST_F(BatchWatchTest, NearlyBlackResultsAreWrittenAndListed)
{
    // The levels of the photos are those of their results: the circle lies
    // on the photo and the nearest neighbour adds no level of its own.
    settings.interp = 0;
    photo("dim13.bmp", test::packRgb(13, 5, 0));
    photo("edge16.bmp", test::packRgb(0, 16, 16));
    photo("above17.bmp", test::packRgb(17, 0, 0));
    const BatchOutcome outcome = runBatch(job({"above17.bmp", "dim13.bmp", "edge16.bmp"}, "-kw", "bmp"), settings, {});

    EXPECT_EQ(outcome.converted, 3);
    ASSERT_EQ(outcome.nearlyBlack.size(), 2u);
    EXPECT_EQ(outcome.nearlyBlack[0].path, out("dim13-kw.bmp"));
    EXPECT_EQ(outcome.nearlyBlack[0].reason, "nearly black");
    EXPECT_EQ(outcome.nearlyBlack[1].path, out("edge16-kw.bmp"));
    EXPECT_FALSE(outcome.allWell());
    for (const auto& [name, level] : {std::pair{"dim13-kw.bmp", 13}, {"edge16-kw.bmp", 16}, {"above17-kw.bmp", 17}}) {
        const int32_t written = RixLoadBMP(out(name).c_str());
        EXPECT_EQ(brightestLevel(written), level) << name;
        (void)RixDestroy(written);
    }
    EXPECT_EQ(batchReport(outcome),
        "These results were written, though no pixel in them is brighter than 16 of 255:\n" + out("dim13-kw.bmp")
            + ": nearly black.\n" + out("edge16-kw.bmp") + ": nearly black.");
    EXPECT_EQ(batchSummary(outcome), "Completed: 3 converted, 0 skipped, 0 failed.");
}

TEST(BatchWords, SummaryCountsAndTimeLeft)
{
    BatchOutcome outcome;
    outcome.listed = 9;
    outcome.converted = 4;
    outcome.refused.resize(1);
    outcome.unreadable.resize(1);
    outcome.noCircle.resize(1);
    outcome.failedSaves.resize(1);
    outcome.black.resize(1);
    outcome.nearlyBlack.resize(2); // written, so among the converted
    EXPECT_EQ(batchSummary(outcome), "Completed: 4 converted, 1 skipped, 4 failed.");
    outcome.notStarted = 3;
    EXPECT_EQ(batchSummary(outcome), "Stopped after 6 of 9 files: 4 converted, 1 skipped, 4 failed.");

    EXPECT_EQ(batchTimeLeft(3.0, 0, 10), "");
    EXPECT_EQ(batchTimeLeft(10.0, 2, 10), "about 40 s left");
    EXPECT_EQ(batchTimeLeft(0.01, 1, 2), "about 1 s left");
    EXPECT_EQ(batchTimeLeft(44.0, 1, 3), "about 88 s left");
    EXPECT_EQ(batchTimeLeft(60.0, 1, 3), "about 2 min left");
    EXPECT_EQ(batchTimeLeft(7.0, 300, 7000), "about 3 min left"); // 156 s
    EXPECT_EQ(batchTimeLeft(5.0, 4, 4), "");
}

TEST_F(BatchWatchTest, DestinationFolderIsTriedBeforeTheFirstPhoto)
{
    EXPECT_EQ(destinationFolderProblem((root / "out").string()), "");
    EXPECT_TRUE(fs::is_empty(root / "out")) << "the trial file is removed";
    EXPECT_EQ(destinationFolderProblem((root / "missing").string()), "there is no such folder");
    photo("a.bmp");
    EXPECT_EQ(destinationFolderProblem((root / "in" / "a.bmp").string()), "this is a file, not a folder");
    EXPECT_EQ(destinationFolderProblem(""), "no folder is given");
#ifdef __linux__
    // No file can be made here, whatever the user's rights.
    EXPECT_EQ(destinationFolderProblem("/proc"), "the folder cannot be written to");
#endif
}

} // namespace
