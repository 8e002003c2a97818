// A run's conversions, refusals, failures and report; a run watched and
// stopped: the calls it makes, Stop keeping the file in hand and every
// result before it, the closing counts and the time left, nearly black
// results written and listed, and the destination folder tried before the
// first photo.
#include "batch_run.h"

#include "batch_folders.h"
#include "batch_report.h"
#include "mdl_karwen.h"
#include "photo_source.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <tuple>

namespace fs = std::filesystem;
using namespace karwen;
using karwen::test::Disc;
using karwen::test::writePhoto;

namespace {

const uint32_t kSky = test::packRgb(90, 140, 200);
const uint32_t kRed = test::packRgb(220, 30, 30);
const uint32_t kGreen = test::packRgb(30, 220, 30);

class BatchRun : public test::BatchFolders {
protected:
    void text(const std::string& name, const std::string& bytes) { test::writeBytes(root / "in" / name, bytes); }
};

// The images still held among the handles given out from `first` on.
int liveImagesFrom(int32_t first)
{
    const int32_t next = test::probeHandle();
    int live = 0;
    for (int32_t h = first; h < next; ++h)
        live += RixWidth(h) > 0 ? 1 : 0;
    return live;
}

// The middle pixel of a result file.
uint32_t middleOf(const std::string& path)
{
    const int32_t h = path.ends_with("bmp") ? RixLoadBMP(path.c_str()) : RixLoadJPG(path.c_str());
    const test::ImagePixels image(h);
    const uint32_t pixel = image.valid() ? image.row(image.height() / 2)[image.width() / 2] : 0;
    (void)RixDestroy(h);
    return pixel;
}

bool near(uint32_t a, uint32_t b)
{
    const auto close = [](int x, int y) { return std::abs(x - y) <= 12; };
    return close(test::redOf(a), test::redOf(b)) && close(test::greenOf(a), test::greenOf(b))
        && close(test::blueOf(a), test::blueOf(b));
}

} // namespace

TEST_F(BatchRun, ConvertsGoodPhotosAndNamesUnreadableOnesWithoutTouchingTheOpenImage)
{
    photo("a.BMP");
    photo("b.jpg");
    text("broken.jpg", "not a jpeg at all");
    text("empty.bmp", "");
    photo("c.Jpg");
    // The open image of the window and its names, which a run must leave be.
    hSrc = 7001;
    hDst = 7002;
    SrcFile = "open.jpg";
    DstFile = "saved.jpg";
    SrcW = 11;
    SrcH = 12;
    const ProjectionRecord mainSource = SrcPrm = {1, 2, 3, 4, 5, 6, kStereographic};
    const int32_t firstHandle = test::probeHandle();

    std::vector<std::string> texts;
    const BatchOutcome outcome = runBatch(job({"a.BMP", "broken.jpg", "empty.bmp", "b.jpg", "c.Jpg"}), settings,
        {[&](const std::string& t) { texts.push_back(t); }, {}, nullptr});

    EXPECT_EQ(texts,
        (std::vector<std::string>{
            "a.BMP\r (1/5)", "broken.jpg\r (2/5)", "empty.bmp\r (3/5)", "b.jpg\r (4/5)", "c.Jpg\r (5/5)"}));
    EXPECT_EQ(outcome.converted, 3);
    ASSERT_EQ(outcome.unreadable.size(), 2u);
    EXPECT_EQ(outcome.unreadable[0].path, in("broken.jpg"));
    EXPECT_EQ(outcome.unreadable[0].reason, "the file is cut short or is not a JPEG picture");
    // The library's words, without its function's name.
    EXPECT_TRUE(outcome.unreadable[0].detail.ends_with("broken.jpg': not a JPEG file")) << outcome.unreadable[0].detail;
    EXPECT_EQ(outcome.unreadable[1].path, in("empty.bmp"));
    EXPECT_EQ(outcome.unreadable[1].reason, "the file is empty");
    EXPECT_TRUE(outcome.refused.empty() && outcome.failedSaves.empty() && outcome.black.empty());
    for (const char* name : {"a-kw.jpg", "b-kw.jpg", "c-kw.jpg"}) {
        const int32_t h = RixLoadJPG(out(name).c_str());
        EXPECT_EQ(RixWidth(h), 64) << name;
        EXPECT_EQ(RixHeight(h), 48) << name;
        (void)RixDestroy(h);
    }
    EXPECT_FALSE(fs::exists(root / "out" / "broken-kw.jpg"));

    EXPECT_EQ(liveImagesFrom(firstHandle), 0) << "the run keeps no image";
    EXPECT_EQ(std::tuple(hSrc, hDst, SrcFile, DstFile, SrcW, SrcH),
        std::tuple(7001, 7002, std::string("open.jpg"), std::string("saved.jpg"), 11, 12));
    EXPECT_EQ(std::memcmp(&SrcPrm, &mainSource, sizeof mainSource), 0);
    hSrc = hDst = 0;
}

TEST_F(BatchRun, NoPhotoOrEarlierResultIsReplaced)
{
    // Empty postfix into the source folder: a.bmp's result is named a.jpg.
    photo("a.bmp", kRed);
    photo("a.jpg", kGreen);
    const auto photoBytes = fs::file_size(root / "in" / "a.jpg");
    const auto photoTime = fs::last_write_time(root / "in" / "a.jpg");
    BatchJob inPlace = job({"a.bmp", "a.jpg"}, "");
    inPlace.destFolder = inPlace.sourceFolder;
    BatchOutcome outcome = runBatch(inPlace, settings, {});
    EXPECT_EQ(outcome.converted, 0);
    ASSERT_EQ(outcome.refused.size(), 2u);
    EXPECT_EQ(outcome.refused[0].path, in("a.jpg"));
    EXPECT_EQ(outcome.refused[0].reason, "the result of a.bmp would replace the photo a.jpg of this run");
    EXPECT_EQ(outcome.refused[1].reason, "the result of a.jpg would replace that photo itself");
    EXPECT_EQ(fs::file_size(root / "in" / "a.jpg"), photoBytes);
    EXPECT_EQ(fs::last_write_time(root / "in" / "a.jpg"), photoTime);

    // Two photos, one result name: the first photo's result stays.
    photo("x.BMP", kRed);
    photo("x.JPG", kGreen);
    outcome = runBatch(job({"x.BMP", "x.JPG"}), settings, {});
    EXPECT_EQ(outcome.converted, 1);
    ASSERT_EQ(outcome.refused.size(), 1u);
    EXPECT_EQ(outcome.refused[0].path, out("x-kw.jpg"));
    EXPECT_EQ(outcome.refused[0].reason, "the result of x.JPG would replace that of x.BMP");
    EXPECT_TRUE(near(middleOf(out("x-kw.jpg")), kRed));
}

TEST_F(BatchRun, WhatHoldsAResultsNameIsKeptReplacedOrLeftAlone)
{
    photo("a.bmp", kRed);
    const std::string picture = "BM an earlier result";
    struct Case {
        const char* what;
        std::string there; // the bytes under the result's name before the run
        bool beside;       // the results go into the photos' folder
        bool replace;
        bool written; // the run's result is there afterwards
        int kept;
        const char* failure; // "" when none
    };
    const Case cases[] = {
        {"nothing there", "", false, false, true, 0, ""},
        {"an earlier result is kept", picture, false, false, false, 1, ""},
        {"and replaced when asked", picture, false, true, true, 0, ""},
        {"a file that is no picture stays", "notes", false, true, false, 0,
            "a file of this name that is no BMP or JPEG picture is in the way; it is left alone"},
        {"a picture beside the photos may be one", picture, true, true, false, 0,
            "a picture of this name lies in a folder of this run's photos; it may be a photo, so it is left alone"},
    };
    for (const Case& c : cases) {
        BatchJob j = job({"a.bmp"}, "-kw", "bmp");
        if (c.beside)
            j.destFolder = j.sourceFolder;
        j.replaceResults = c.replace;
        const fs::path result = fs::path(j.destFolder) / "a-kw.bmp";
        fs::remove(result);
        if (!c.there.empty())
            test::writeBytes(result, c.there);
        const BatchOutcome outcome = runBatch(j, settings, {});
        EXPECT_EQ(outcome.kept, c.kept) << c.what;
        EXPECT_EQ(outcome.skipped(), c.kept) << c.what;
        EXPECT_EQ(outcome.converted, c.written ? 1 : 0) << c.what;
        ASSERT_EQ(outcome.failedSaves.size(), std::string(c.failure).empty() ? 0u : 1u) << c.what;
        if (!outcome.failedSaves.empty()) {
            EXPECT_EQ(outcome.failedSaves[0].reason, c.failure) << c.what;
        }
        if (c.written) {
            EXPECT_TRUE(near(middleOf(result.string()), kRed)) << c.what;
        } else {
            EXPECT_EQ(test::readBytes(result), c.there) << c.what;
        }
    }
}

TEST_F(BatchRun, PlanFindsTheSameFileUnderAnotherName)
{
    // Photos of one size, so that only the file system can tell them apart.
    for (const char* name : {"a.bmp", "a.jpg", "b.jpg"})
        text(name, std::string("photo ") + name);
    fs::create_directory_symlink(root / "in", root / "link");
    text("../out/b-kw.jpg", "a result of an earlier run");
    const std::string mine = " would replace that photo itself";
    const std::vector<std::string> inPlace{"the result of a.bmp would replace the photo a.jpg of this run",
        "the result of a.jpg" + mine, "the result of b.jpg" + mine};
    const std::vector<std::string> twice{"", "the result of a.jpg would replace that of a.bmp", ""};
    struct Case {
        const char* what;
        fs::path destFolder;
        std::string postfix;
        std::vector<std::string> refusals; // one per listed file, "" when written
    };
    const Case cases[] = {
        {"source folder spelled another way", root / "in" / ".", "", inPlace},
        {"through a link to the source folder", root / "link", "", inPlace},
        {"a postfix keeps the photos apart", root / "in", "-kw", twice},
        {"results of an earlier run are replaced", root / "out", "-kw", twice},
    };
    for (const Case& c : cases) {
        BatchJob j = job({"a.bmp", "a.jpg", "b.jpg"}, c.postfix);
        j.destFolder = c.destFolder.string();
        const std::vector<PlannedFile> plan = planBatch(j);
        ASSERT_EQ(plan.size(), 3u) << c.what;
        for (std::size_t i = 0; i < plan.size(); ++i) {
            EXPECT_EQ(plan[i].sourcePath, in(j.files[i])) << c.what;
            EXPECT_EQ(plan[i].outputPath, (c.destFolder / (j.files[i].substr(0, 1) + c.postfix + ".jpg")).string());
            EXPECT_EQ(plan[i].refusal, c.refusals[i]) << c.what << ", file " << i;
        }
    }
}

TEST_F(BatchRun, OutputNamesFollowPostfixAndFormat)
{
    EXPECT_EQ(batchOutputPath(job({}), "img01.JPG"), out("img01-kw.jpg"));
    EXPECT_EQ(batchOutputPath(job({}, "", "bmp"), "img01.JPG"), out("img01.bmp"));
    EXPECT_EQ(batchOutputPath(job({}), "x.jpeg"), out("x-kw.jpg"));
    EXPECT_EQ(batchOutputPath(job({}, "", "bmp"), "/photos/day 1/x.tar.JPE"), out("x.tar.bmp"));
    const std::string longName = "a_very_long_photograph_name_from_the_field.jpg";
    EXPECT_EQ(batchOutputPath(job({}), longName), out("a_very_long_photograph_name_from_the_field-kw.jpg"));
    EXPECT_EQ(batchProgressText(longName, 2, 3), longName.substr(0, 30) + "\r (2/3)");
    EXPECT_EQ(batchProgressText("Käfer_ÄÖÜ_äöü_ßßß_éèê_0123456789.jpg", 1, 1), "Käfer_ÄÖÜ_äöü_ßßß_éèê_01234567\r (1/1)")
        << "characters, not bytes";

    photo("a.JPG");
    fs::copy_file(root / "in" / "a.JPG", root / "in" / "b.jpeg");
    fs::copy_file(root / "in" / "a.JPG", root / "in" / "c.Jpe");
    EXPECT_EQ(runBatch(job({"a.JPG", "b.jpeg", "c.Jpe"}, "-kw", "bmp"), settings, {}).converted, 3);
    for (const char* name : {"a-kw.bmp", "b-kw.bmp", "c-kw.bmp"}) {
        const int32_t h = RixLoadBMP(out(name).c_str());
        EXPECT_GE(h, 1) << name << ": the bmp format writes a real BMP file";
        (void)RixDestroy(h);
    }
}

TEST_F(BatchRun, FailedSavesAreReported)
{
    photo("a.jpg");
    photo("b.jpg");
    fs::create_directory(root / "out" / "b-kw.jpg");
    BatchJob j = job({"a.jpg", "b.jpg"});
    BatchOutcome outcome = runBatch(j, settings, {});
    ASSERT_EQ(outcome.failedSaves.size(), 1u);
    EXPECT_EQ(outcome.failedSaves[0].path, out("b-kw.jpg"));
    EXPECT_EQ(outcome.failedSaves[0].reason, "a folder of this name is in the way");

    j.destFolder = (root / "missing").string();
    outcome = runBatch(j, settings, {});
    ASSERT_EQ(outcome.failedSaves.size(), 2u);
    // Looked at before the photo is read: the folder is not there.
    EXPECT_EQ(outcome.failedSaves[0].reason, "cannot reach the folder '" + j.destFolder + "': no such file or folder");
}

TEST_F(BatchRun, BlackResultsAreNamedAndTheCircleCanBeFoundInEachPhoto)
{
    // The start circle (256, 256, 256) lies in the black corner of this
    // photo; its own circle is a small disc in the middle.
    const Disc disc{600, 450, 120};
    ASSERT_TRUE(writePhoto(root / "in" / "p.bmp", 1200, 900, kSky, &disc));
    settings.srcPrm = {256, 256, 256, 0, 0, 0, kEquidistant};
    BatchOutcome outcome = runBatch(job({"p.bmp"}, "-kw", "bmp"), settings, {});
    EXPECT_EQ(outcome.converted, 0);
    ASSERT_EQ(outcome.black.size(), 1u);
    EXPECT_EQ(outcome.black[0].path, in("p.bmp"));
    EXPECT_EQ(outcome.black[0].reason, "the circle does not lie on this photo");
    EXPECT_FALSE(fs::exists(root / "out" / "p-kw.bmp")) << "a black result replaces nothing";

    // Found per photo: centre and radius from the photo, the rest as set.
    settings.findCircle = true;
    settings.srcPrm = {256, 256, 256, 20, -10, 30, kEquisolidangle};
    outcome = runBatch(job({"p.bmp"}, "-kw", "bmp"), settings, {});
    EXPECT_EQ(outcome.converted, 1);
    EXPECT_TRUE(outcome.allWell());

    const int32_t source = RixLoadBMP(in("p.bmp").c_str());
    const int32_t expected = RixCreate(settings.dstW, settings.dstH);
    RixRect box{};
    ASSERT_EQ(RixBound(source, &box), 1);
    ProjectionRecord found = settings.srcPrm;
    circleFromBound(box, found);
    ASSERT_EQ(RixSDeform(source, expected, &found, &settings.dstPrm, settings.interp), 1);
    const int32_t written = RixLoadBMP(out("p-kw.bmp").c_str());
    ASSERT_GE(written, 1);
    EXPECT_EQ(std::memcmp(test::ImagePixels(written).data(), test::ImagePixels(expected).data(),
                  std::size_t(settings.dstW) * std::size_t(settings.dstH) * 4),
        0);
    EXPECT_FALSE(isAllBlack(written));
    for (int32_t h : {source, expected, written})
        (void)RixDestroy(h);
}

TEST_F(BatchRun, APhotoWithoutACircleIsAListedFailure)
{
    // A frame of one colour has no image circle: no default circle stands in.
    const Disc disc{600, 450, 120};
    ASSERT_TRUE(writePhoto(root / "in" / "p.bmp", 1200, 900, kSky, &disc));
    ASSERT_TRUE(writePhoto(root / "in" / "q.bmp", 1200, 900, kSky));
    settings.findCircle = true;
    const BatchOutcome outcome = runBatch(job({"p.bmp", "q.bmp"}, "-kw", "bmp"), settings, {});
    EXPECT_EQ(outcome.converted, 1);
    ASSERT_EQ(outcome.noCircle.size(), 1u);
    EXPECT_EQ(outcome.noCircle[0].path, in("q.bmp"));
    EXPECT_EQ(outcome.noCircle[0].reason, "no image circle found");
    EXPECT_FALSE(outcome.allWell());
    EXPECT_FALSE(fs::exists(root / "out" / "q-kw.bmp"));
    EXPECT_EQ(batchReport(outcome),
        "These photos were not converted, for want of a circle on them:\n" + in("q.bmp") + ": no image circle found.");
}

TEST(BatchBlackCheck, EveryPixelCounts)
{
    // 70 rows: a full strip of the check and a short one.
    struct Case {
        const char* what;
        int x, y;
        uint32_t pixel;
        bool black;
    };
    const Case cases[] = {
        {"all black", 0, 0, test::packRgb(0, 0, 0), true},
        {"first pixel", 0, 0, test::packRgb(0, 0, 1), false},
        {"last pixel of the short strip", 32, 69, test::packRgb(1, 0, 0), false},
        {"first row of the short strip", 5, 64, test::packRgb(0, 1, 0), false},
    };
    for (const Case& c : cases) {
        const int32_t h = RixCreate(33, 70);
        const test::ImagePixels image(h);
        std::fill_n(image.data(), 33 * 70, test::packRgb(0, 0, 0));
        image.row(c.y)[c.x] = c.pixel;
        EXPECT_EQ(isAllBlack(h), c.black) << c.what;
        (void)RixDestroy(h);
    }
    EXPECT_FALSE(isAllBlack(0)) << "no image is not a black one";
}

TEST(BatchReport, GroupsEveryProblemWithPathAndReason)
{
    BatchOutcome outcome;
    EXPECT_EQ(batchReport(outcome), "");
    outcome.black.push_back({"/in/d.jpg", "the circle does not lie on this photo", ""});
    outcome.unreadable.push_back({"/in/c.jpg", "the file is empty", "RixLoadJPG: empty"});
    for (int i = 0; i < 14; ++i)
        outcome.refused.push_back(
            {"/out/r" + std::to_string(i) + ".jpg", "the result of x would replace that of y", ""});
    const std::string report = batchReport(outcome);
    EXPECT_TRUE(
        report.starts_with("These photos could not be read:\n/in/c.jpg: the file is empty.\n    RixLoadJPG: empty\n\n"
                           "These results were not written, to keep other files:\n"))
        << report;
    EXPECT_NE(
        report.find("/out/r11.jpg: the result of x would replace that of y.\n... and 2 more.\n\n"), std::string::npos)
        << report;
    EXPECT_TRUE(report.ends_with("These photos gave an entirely black result, which was not written:\n"
                                 "/in/d.jpg: the circle does not lie on this photo."))
        << report;
}

TEST_F(BatchRun, ListsImageFilesSortedByName)
{
    for (const char* name : {"p2.jpg", "p1.BMP", "p3.jpeg", "p4.JPE", "notes.txt", "xjpg", "p5.jpeg.txt", "p6.jpgx"})
        text(name, "x");
    fs::create_directories(root / "in" / "folder.jpg");
    std::vector<std::string> names;
    ASSERT_TRUE(listImageFiles((root / "in").string(), names));
    EXPECT_EQ(names, (std::vector<std::string>{"p1.BMP", "p2.jpg", "p3.jpeg", "p4.JPE"}));

    EXPECT_FALSE(listImageFiles((root / "nowhere").string(), names));
    EXPECT_TRUE(names.empty());
}

TEST(BatchLensSource, TheFoundRimIsWhereTheLensFieldEnds)
{
    // A 100-pixel disc seen through an equidistant lens of 100 degrees:
    // the 90-degree circle lies at 90 pixels. Without the lens the rim is it.
    const int32_t h = RixCreate(300, 300);
    const test::ImagePixels image(h);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 300; ++x)
            image.row(y)[x]
                = (x - 150) * (x - 150) + (y - 150) * (y - 150) <= 100 * 100 ? kSky : test::packRgb(0, 0, 0);
    ProjectionRecord prm{};
    prm.Proj = RixLensSource;
    const RixLens lens{{0.63661977236758134, 0, 0, 0, 0}, 100.0};
    const PhotoSource rim = photoSource(h, prm, true, FoundCircle::Rim);
    const PhotoSource through = photoSource(h, prm, true, FoundCircle::Rim, &lens);
    ASSERT_TRUE(rim.problem.empty() && through.problem.empty());
    EXPECT_NEAR(rim.prm.R, 100.0, 1.0);
    EXPECT_DOUBLE_EQ(through.prm.R, rim.prm.R * 0.9);
    EXPECT_DOUBLE_EQ(through.prm.Cx, rim.prm.Cx);
    (void)RixDestroy(h);
}

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
