// karwen-cli as a shell user meets it: exit codes, what a rerun does, the
// refusals that keep photos and other results, shards, odd names; and the
// window's batch results, byte for byte, from the same values.
#include "cli_fixture.h"

#include "batch_run.h"
#include "mdl_karwen.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace fs = std::filesystem;
using namespace karwen;
using namespace karwen::test;

namespace {

int widthOf(const std::string& jpeg)
{
    const int32_t h = RixLoadJPG(jpeg.c_str());
    const int32_t width = RixWidth(h);
    (void)RixDestroy(h);
    return width;
}

} // namespace

TEST_F(CliRun, ConvertsThenRerunSkipsThenOverwriteReplaces)
{
    photo("b.jpg");
    photo("a.BMP");
    photo("c.jpg");
    fs::rename(dir / "in" / "c.jpg", dir / "in" / "c.jpeg");
    writeBytes(dir / "in" / "notes.txt", "not a photo");
    // The folder and one of its files named again: each file counts once.
    // Sorted by full path, one line per file when stderr is no terminal;
    // one job reports in that order.
    EXPECT_TRUE(ended(convert({in(), in("b.jpg"), "--size", "64x48", "-j", "1"}), 0,
        {"3 converted, 0 skipped, 0 failed", "[1/3] converted " + in("a.BMP") + " -> " + out("a-kw.jpg"),
            "[3/3] converted " + in("c.jpeg") + " -> " + out("c-kw.jpg")}));
    for (const char* name : {"a-kw.jpg", "b-kw.jpg", "c-kw.jpg"})
        EXPECT_EQ(widthOf(out(name)), 64) << name;
    const long long written = modified(out("b-kw.jpg"));

    EXPECT_TRUE(ended(convert({in(), "--size", "64x48"}), 0, {"0 converted, 3 skipped, 0 failed"}));
    EXPECT_EQ(modified(out("b-kw.jpg")), written);

    const Outcome run = convert({in(), "--size", "32x32", "--overwrite", "--quiet"});
    EXPECT_TRUE(ended(run, 0));
    EXPECT_EQ(run.output, "") << "quiet when nothing fails";
    EXPECT_EQ(widthOf(out("b-kw.jpg")), 32);
}

TEST_F(CliRun, DamagedAndMissingInputsFailTheRunButNotTheOtherPhotos)
{
    photo("good.jpg");
    photo("whole.jpg");
    const std::string bytes = readBytes(dir / "in" / "whole.jpg");
    writeBytes(dir / "in" / "cut.jpg", bytes.substr(0, bytes.size() / 2));
    writeBytes(dir / "in" / "corrupt.jpg", "\xFF\xD8\xFF\xE0 not really a jpeg");
    fs::remove(dir / "in" / "whole.jpg");
    const std::string nowhere = (dir / "no such folder").string();

    const Outcome run = convert({in(), nowhere});
    EXPECT_TRUE(ended(run, 1, {"1 converted, 0 skipped, 3 failed"}));
    EXPECT_TRUE(fs::exists(out("good-kw.jpg")));
    EXPECT_FALSE(fs::exists(out("cut-kw.jpg")));
    // One line each: the file and what is wrong with it.
    const std::pair<std::string, std::string> failed[] = {
        {nowhere, "there is no file or folder of this name."},
        {in("cut.jpg"), "damaged JPEG data"},
        {in("corrupt.jpg"), "the file is cut short or is not a JPEG picture"},
    };
    for (const auto& [path, reason] : failed) {
        const std::vector<std::string> lines = linesWith(run.output, "Cannot open \"" + path + "\"");
        ASSERT_EQ(lines.size(), 1u) << run.output;
        EXPECT_TRUE(has(lines[0], reason));
    }
}

// Each refusal in its words: the option parsing suite; here the process's
// side of one: exit code 2, the reason on standard error, no folder made.
TEST_F(CliRun, UsageErrorsExitWithTwoAndWriteNothing)
{
    photo("a.jpg");
    const std::string errorOnly = "exec \"$0\" \"$@\" >/dev/null";
    EXPECT_TRUE(ended(throughShell(errorOnly, {"convert", "-o", out(), in(), "--circle", "100,100,10"}), 2,
        {"R \"10\" must be above 10 and at most 16384"}));
    EXPECT_FALSE(fs::exists(out())) << "a usage error makes no folder";

    EXPECT_TRUE(ended(cli({"convert", "--help"}), 0, {"y counted upward from the bottom row"}));
    // Shards merge back into the list's order line by line in turn, not one
    // after another; the sky images are named and kept as results are.
    EXPECT_TRUE(ended(cli({"measure", "--help"}), 0,
        {"merged line by line in turn", "--save-classified DIR", "x-sky.png", "image kept: exists"}));
    const Outcome version = cli({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.output.starts_with("karwen-cli ")) << version.output;
}

// Two photos with one result name are the shard test's q.BMP and q.jpg.
TEST_F(CliRun, NeverReplacesAPhotoWithAResult)
{
    photo("a.bmp", packRgb(220, 30, 30));
    photo("a.jpg", packRgb(30, 220, 30));
    const std::string photoBytes = readBytes(dir / "in" / "a.jpg");

    // Results into the photos' own folder without a postfix.
    EXPECT_TRUE(ended(cli({"convert", "-o", in(), "--postfix", "", in("a.bmp"), in("a.jpg"), "--overwrite"}), 1,
        {"Cannot save \"" + in("a.jpg") + "\": the result of " + in("a.bmp") + " would replace the photo " + in("a.jpg")
                + " of this run.",
            "the result of " + in("a.jpg") + " would replace that photo itself"}));
    EXPECT_EQ(readBytes(dir / "in" / "a.jpg"), photoBytes);
}

TEST_F(CliRun, ShardsPartitionTheSortedList)
{
    for (const char* name : {"p0.jpg", "p1.jpg", "p2.jpg", "p3.jpg", "p4.jpg", "p5.jpg", "p6.jpg", "q.BMP", "q.jpg"})
        photo(name);
    // Sorted: p0..p6, q.BMP, q.jpg; q.jpg's result is refused in favour of
    // q.BMP's although they fall into different shards.
    const std::vector<std::set<std::string>> expected{
        {"p0.jpg", "p3.jpg", "p6.jpg"}, {"p1.jpg", "p4.jpg", "q.BMP"}, {"p2.jpg", "p5.jpg"}};
    std::set<std::string> all;
    for (int k = 1; k <= 3; ++k) {
        const Outcome run = convert({in(), "--shard", std::to_string(k) + "/3", "-j", "2"});
        std::set<std::string> converted;
        for (const std::string& line : linesWith(run.output, "] converted ")) {
            const std::size_t from = line.find(" converted ") + 11;
            converted.insert(fs::path(line.substr(from, line.find(" -> ") - from)).filename().string());
        }
        EXPECT_EQ(converted, expected[std::size_t(k - 1)]) << run.output;
        EXPECT_TRUE(ended(run, k == 3 ? 1 : 0));
        all.insert(converted.begin(), converted.end());
    }
    EXPECT_EQ(all.size(), 8u);
    EXPECT_TRUE(ended(convert({in(), "--shard", "3/3"}), 1,
        {"0 converted, 2 skipped, 1 failed",
            "the result of " + in("q.jpg") + " would replace that of " + in("q.BMP")}));
    // An empty shard is no failure.
    EXPECT_TRUE(ended(convert({in("p0.jpg"), "--shard", "2/2"}), 0, {"0 converted, 0 skipped, 0 failed"}));
}

TEST_F(CliRun, NamesOutsideAsciiAndNewOutputFolders)
{
    photo("Käfer_ÄÖÜ_ßé.jpg");
    const std::string nested = (dir / "new" / "dir ünter").string();
    EXPECT_TRUE(ended(cli({"convert", "-o", nested, in(), "--format", "bmp", "--postfix", "_ö"}), 0));
    const int32_t h = RixLoadBMP((nested + "/Käfer_ÄÖÜ_ßé_ö.bmp").c_str());
    EXPECT_GE(h, 1);
    (void)RixDestroy(h);
}

// The batch core run with the settings the batch dialog makes from the same values.
TEST_F(CliRun, ResultsAreThoseOfTheWindowsBatch)
{
    // A fisheye disc off the middle, the shipped sample and a BMP.
    const Disc disc{130, 70, 60};
    ASSERT_TRUE(writePhoto(dir / "in" / "disc.jpg", 300, 200, packRgb(200, 120, 40), &disc));
    fs::copy_file(fs::path(KARWEN_SAMPLES_DIR) / "allsky_day.jpg", dir / "in" / "allsky.jpeg");
    const Disc small{80, 60, 50};
    ASSERT_TRUE(writePhoto(dir / "in" / "small.bmp", 160, 120, packRgb(10, 200, 90), &small));

    struct Case {
        const char* what;
        std::vector<std::string> args;
        // As the batch dialog holds them: the source circle, the reference
        // point (single precision), the destination side.
        ProjectionRecord src;
        float refX, refY;
        bool findCircle;
        ProjectionRecord dst;
        int32_t w, h, interp, quality;
        const char* ext;
    };
    const Case cases[] = {
        {"window's defaults: each photo's circle, looking up", {}, {0, 0, 0, 0, 0, 0, kEquidistant}, 0, 0, true,
            {256, 256, 256, 0, 0, 0, kOrthographic}, 512, 512, 0, kJpegQuality, "jpg"},
        {"circle, view point and tilt given, perspective, cubic, BMP",
            {"--circle", "130.5,70,75", "--view", "150,95.25", "--tilt", "-30", "--src-projection", "Stereographic",
                "--dst-projection", "PERSPECTIVE", "--size", "120x90", "--dst-circle", "60,45,40", "--interp", "cubic",
                "--format", "bmp"},
            {130.5, 70, 75, 0, 0, -30, kStereographic}, 150.0f, 95.25f, false, {60, 45, 40, 0, 0, 0, kPerspective}, 120,
            90, 2, kJpegQuality, "bmp"},
        {"found circle with a tilt, equisolid, bilinear",
            {"--detect-circle", "--tilt", "45", "--src-projection", "equisolid", "--dst-projection", "equidistant",
                "--size", "101x77", "--interp", "bilinear", "--quality", "93"},
            {0, 0, 0, 0, 0, 45, kEquisolidangle}, 0, 0, true, {50.5, 38.5, 38.5, 0, 0, 0, kEquidistant}, 101, 77, 1, 93,
            "jpg"},
    };
    initGlobals();
    for (const Case& c : cases) {
        fs::remove_all(dir / "out");
        fs::remove_all(dir / "window");
        std::vector<std::string> args = c.args;
        args.push_back(in());
        const Outcome run = convert(args);
        ASSERT_EQ(run.exitCode, 0) << c.what << "\n" << run.output;

        // The batch dialog's start: its globals into the batch settings.
        SrcPrm = c.src;
        if (!c.findCircle) {
            RefX = c.refX;
            RefY = c.refY;
            ref2angle();
        }
        const BatchSettings settings{SrcPrm, c.dst, c.w, c.h, c.interp, c.findCircle, c.quality};
        fs::create_directories(dir / "window");
        const BatchJob job{in(), (dir / "window").string(), "-kw", c.ext, {"allsky.jpeg", "disc.jpg", "small.bmp"}, {}};
        const BatchOutcome window = runBatch(job, settings, {});
        ASSERT_EQ(window.converted, 3) << c.what;

        for (const char* name : {"allsky-kw.", "disc-kw.", "small-kw."}) {
            const std::string file = name + std::string(c.ext);
            const std::string mine = readBytes(dir / "out" / file);
            EXPECT_FALSE(mine.empty()) << c.what << ": " << file;
            EXPECT_TRUE(mine == readBytes(dir / "window" / file)) << c.what << ": " << file;
        }
    }
}
