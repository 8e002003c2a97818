// measure --save-classified: one PNG per measured photo, named and placed as
// convert's results are (-r mirrors the subfolders, a name two photos share
// is refused for the second, links below the folder are never followed or
// replaced), kept when one is there unless the run replaces or continues
// the CSV, and a folder that takes no file stops the run before any photo.
#include "canopy_csv.h"
#include "canopy_row.h"
#include "cli_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace karwen::test;

namespace {

const std::string kStale = std::string("\x89PNG\r\n\x1a\n", 8) + "an image of an earlier run";

class SkyImages : public CliRun {
protected:
    // karwen-cli measure --csv figures.csv --save-classified out <args>,
    // into the CSV there is (none for a new one).
    [[nodiscard]] test_support::Outcome measureImages(std::vector<std::string> args) const
    {
        args.insert(
            args.begin(), {KARWEN_CLI, "measure", "--csv", csv(), "--circle", "48,40,32", "--save-classified", out()});
        return test_support::runProgram(args);
    }

    // Whether out/<name> is a PNG of a photo's size (96 x 80).
    [[nodiscard]] ::testing::AssertionResult isImage(const std::string& name) const
    {
        const std::string bytes = readBytes(out(name));
        const std::string size("\0\0\0\x60\0\0\0\x50", 8); // in the header chunk, big-endian
        if (bytes.starts_with("\x89PNG\r\n\x1a\n") && bytes.size() > 24 && bytes.substr(16, 8) == size)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << name << " is no image of the photo's size";
    }

    void stale(const std::string& name) const
    {
        fs::create_directories(fs::path(out(name)).parent_path());
        writeBytes(out(name), kStale);
    }
};

} // namespace

TEST_F(SkyImages, AreNamedAsResultsAndMirrorTheSubfoldersUnderR)
{
    photo("a.jpg");
    photo("c.jpeg");
    fs::create_directories(in("day 1"));
    photo("day 1/a.jpg");
    photo("day 1/b.bmp");
    writeBytes(in("broken.jpg"), "no photo"); // an error row: no image
    const test_support::Outcome run
        = measure({"--circle", "48,40,32", "-j", "1", "--save-classified", out(), "-r", in()});
    EXPECT_TRUE(ended(run, 1,
        {"measured " + in("a.jpg") + " -> " + out("a-sky.png"),
            "measured " + in("day 1/b.bmp") + " -> " + out("day 1/b-sky.png"),
            "4 measured, 1 failed; images: 4 written, 0 kept, 0 failed"}));
    for (const char* name : {"a-sky.png", "c-sky.png", "day 1/a-sky.png", "day 1/b-sky.png"})
        EXPECT_TRUE(isImage(name));
    EXPECT_FALSE(fs::exists(out("broken-sky.png")));
    EXPECT_EQ(std::distance(fs::recursive_directory_iterator(out()), {}), 5); // four images and "day 1"
    EXPECT_TRUE(has(readBytes(csv()), in("broken.jpg") + ",the file is cut short or is not a JPEG picture"))
        << "the error row is still written";
}

TEST_F(SkyImages, ANameTwoPhotosShareIsRefusedForTheSecond)
{
    photo("x.bmp");
    photo("x.jpg");
    const test_support::Outcome run = measureImages({in()});
    EXPECT_TRUE(ended(run, 1,
        {"Cannot save \"" + out("x-sky.png") + "\": the result of " + in("x.jpg") + " would replace that of "
                + in("x.bmp") + ".",
            "2 measured, 0 failed; images: 1 written, 0 kept, 1 failed"}));
    EXPECT_TRUE(isImage("x-sky.png"));
    // Both rows hold figures.
    for (const char* name : {"x.bmp", "x.jpg"})
        EXPECT_TRUE(rowOf(readBytes(csv()), in(name)).starts_with(in(name) + ",,")) << name;
}

TEST_F(SkyImages, AnImageThereIsKeptUnlessTheCsvIsReplaced)
{
    photo("a.jpg");
    photo("b.jpg");
    stale("a-sky.png");
    EXPECT_TRUE(ended(measureImages({in(), "-j", "1"}), 0,
        {"measured " + in("a.jpg") + " (image kept: exists)", "2 measured, 0 failed; images: 1 written, 1 kept"}));
    EXPECT_EQ(readBytes(out("a-sky.png")), kStale);
    EXPECT_TRUE(isImage("b-sky.png"));

    // --overwrite replaces the CSV, and with it the images of its photos.
    EXPECT_TRUE(ended(measureImages({in(), "--overwrite"}), 0, {"images: 2 written, 0 kept, 0 failed"}));
    EXPECT_TRUE(isImage("a-sky.png"));

    // Only a PNG: anything else under an image's name stays, and fails.
    fs::remove(out("a-sky.png"));
    writeBytes(out("a-sky.png"), "notes kept under a strange name");
    fs::remove(out("b-sky.png"));
    fs::create_directories(out("b-sky.png"));
    for (const bool overwrite : {false, true}) {
        std::vector<std::string> args{in()};
        args.emplace_back(overwrite ? "--overwrite" : "--resume");
        if (!overwrite)
            fs::remove(csv()); // a new CSV, continued: both photos measured
        const test_support::Outcome run = measureImages(args);
        EXPECT_TRUE(ended(run, 1,
            {"Cannot save \"" + out("a-sky.png") + "\": a file of this name that is no PNG picture is in the way",
                "Cannot save \"" + out("b-sky.png") + "\": a folder of this name is in the way",
                "images: 0 written, 0 kept, 2 failed"}))
            << "--overwrite " << overwrite;
        EXPECT_EQ(readBytes(out("a-sky.png")), "notes kept under a strange name");
        EXPECT_TRUE(fs::is_directory(out("b-sky.png")));
        EXPECT_EQ(rowOf(readBytes(csv()), in("b.jpg")).substr(0, in("b.jpg").size() + 2), in("b.jpg") + ",,");
    }
}

// No photo is a PNG, so --overwrite replaces an image beside the photos,
// where it leaves a BMP or JPEG result alone.
TEST_F(SkyImages, BesideThePhotosTooAnImageIsReplaced)
{
    photo("a.jpg");
    writeBytes(in("a-sky.png"), kStale);
    const test_support::Outcome run = test_support::runProgram({KARWEN_CLI, "measure", "--csv", csv(), "--circle",
        "48,40,32", "--save-classified", in(), "--overwrite", in("a.jpg")});
    EXPECT_TRUE(ended(run, 0, {"images: 1 written, 0 kept, 0 failed"}));
    EXPECT_NE(readBytes(in("a-sky.png")), kStale);
    EXPECT_TRUE(readBytes(in("a-sky.png")).starts_with("\x89PNG"));
}

// --resume keeps the images of the photos whose rows it keeps, and
// replaces those of the photos it measures again: a row with an error, a
// photo whose run stopped before its row.
TEST_F(SkyImages, ResumeRemakesTheImagesOfThePhotosItMeasures)
{
    photo("a.jpg");
    photo("b.jpg");
    photo("c.jpg");
    ASSERT_TRUE(ended(measureImages({in()}), 0));
    const std::vector<std::string> lines = linesOf(readBytes(csv()));
    ASSERT_EQ(lines.size(), 4u);
    const std::string failed = karwen::canopy::csvRow(karwen::canopy::failedRow(in("b.jpg"), "planted failure", {}));
    writeBytes(csv(), lines[0] + "\r\n" + lines[1] + "\r\n" + failed + "\r\n");
    for (const char* name : {"a-sky.png", "b-sky.png", "c-sky.png"})
        stale(name);
    const test_support::Outcome run = measureImages({in(), "--resume"});
    EXPECT_TRUE(ended(run, 0,
        {"measured " + in("b.jpg") + " -> " + out("b-sky.png"), "measured " + in("c.jpg") + " -> " + out("c-sky.png"),
            "2 measured, 1 skipped, 0 failed; images: 2 written, 0 kept, 0 failed"}));
    EXPECT_EQ(readBytes(out("a-sky.png")), kStale);
    EXPECT_TRUE(isImage("b-sky.png"));
    EXPECT_TRUE(isImage("c-sky.png"));
}

TEST_F(SkyImages, LinksBelowTheFolderAreNeverWrittenThroughOrReplaced)
{
    photo("a.jpg");
    fs::create_directories(in("deep"));
    photo("deep/c.jpg");
    writeBytes(dir / "thesis.txt", "three years of work");
    fs::create_directories(dir / "kept");
    fs::create_directories(out());
    fs::create_symlink("../thesis.txt", out("a-sky.png"));
    fs::create_symlink("../kept", out("deep"));
    for (const bool overwrite : {false, true}) {
        std::vector<std::string> args{"-r", in()};
        if (overwrite)
            args.emplace_back("--overwrite");
        EXPECT_TRUE(ended(measureImages(args), 1,
            {"Cannot save \"" + out("a-sky.png") + "\": '" + out("a-sky.png")
                    + "' is a symbolic link; nothing is written through or over it.",
                "Cannot save \"" + out("deep/c-sky.png") + "\": '" + out("deep") + "' is a symbolic link",
                "images: 0 written, 0 kept, 2 failed"}))
            << "--overwrite " << overwrite;
    }
    EXPECT_EQ(readBytes(dir / "thesis.txt"), "three years of work");
    EXPECT_TRUE(fs::is_empty(dir / "kept"));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(out("a-sky.png"))));
}

TEST_F(SkyImages, AFolderThatTakesNoFileStopsTheRunBeforeAnyPhoto)
{
    photo("a.jpg");
    writeBytes(dir / "a file", "");
    const std::pair<std::string, std::string> folders[] = {
        {"/proc", "Cannot write into the folder of the sky images \"/proc\": "},
        {(dir / "a file" / "images").string(), "Cannot make the folder \"" + (dir / "a file" / "images").string()},
    };
    for (const auto& [folder, says] : folders) {
        const test_support::Outcome run = measure({"--circle", "48,40,32", "--save-classified", folder, in()});
        EXPECT_TRUE(ended(run, 1, {says, "othing was measured"})) << folder;
        EXPECT_FALSE(has(run.output, "measured " + in("a.jpg")));
        EXPECT_FALSE(fs::exists(csv())) << folder;
    }
}

TEST_F(SkyImages, HelpTellsOfThem)
{
    EXPECT_TRUE(ended(test_support::runProgram({KARWEN_CLI, "measure", "--help"}), 0,
        {"--save-classified DIR", "x-sky.png", "image kept: exists"}));
}
