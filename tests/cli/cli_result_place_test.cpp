// What convert and measure's --save-classified do with what already holds a
// result's name: an earlier result is skipped or, with --overwrite,
// replaced; a link, a folder, a FIFO, a document, a picture beside the
// run's photos are left as they were and fail that photo alone. And the
// names convert cannot make, the photos -r leaves out, the names it prints,
// and --base, which keeps the results of same-named photos apart.
#include "canopy_csv.h"
#include "canopy_row.h"
#include "cli_fixture.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace karwen::test;

namespace {

const std::string kStale = std::string("\x89PNG\r\n\x1a\n", 8) + "an image of an earlier run";

class ResultPlaces : public CliRun {
protected:
    // A BMP or JPEG under out/<name>, painted as photo() paints one.
    void picture(const std::string& name, uint32_t colour = packRgb(200, 30, 30))
    {
        const Disc disc{48, 40, 32};
        fs::create_directories((dir / "out" / name).parent_path());
        ASSERT_TRUE(writePhoto(dir / "out" / name, 96, 80, colour, &disc)) << name;
    }

    [[nodiscard]] bool isLink(const std::string& path) const { return fs::is_symlink(fs::symlink_status(path)); }
};

} // namespace

// Neither a link under a result's name, whether it points to a document, to
// a photo no run names, or to nothing, nor a link among the folders below
// the output folder is written through or replaced.
TEST_F(ResultPlaces, LinksAreNeverWrittenThroughOrReplaced)
{
    photo("a.jpg");
    photo("b.jpg");
    fs::create_directories(in("deep"));
    photo("deep/c.jpg");
    writeBytes(dir / "thesis.txt", "three years of work");
    fs::create_directories(dir / "kept");
    ASSERT_TRUE(writePhoto(dir / "kept" / "photo.jpg", 64, 64, packRgb(10, 200, 10)));
    const std::string keptPhoto = readBytes(dir / "kept" / "photo.jpg");
    fs::create_directories(out());
    fs::create_symlink("../thesis.txt", out("a-kw.jpg"));
    fs::create_symlink("../thesis.txt", out("a-sky.png"));
    fs::create_symlink("../kept/photo.jpg", out("b-kw.jpg"));
    fs::create_symlink("../kept", out("deep"));
    const auto link = [&](const std::string& result, const std::string& linked) {
        return "Cannot save \"" + out(result) + "\": '" + out(linked) + "' is a symbolic link";
    };
    const std::string neither = "; nothing is written through or over it.";
    for (const bool overwrite : {false, true}) {
        SCOPED_TRACE(overwrite ? "--overwrite" : "");
        std::vector<std::string> args{"-r", in(), "-j", "1"};
        if (overwrite)
            args.emplace_back("--overwrite");
        EXPECT_TRUE(ended(convert(args), 1,
            {link("a-kw.jpg", "a-kw.jpg") + neither, link("b-kw.jpg", "b-kw.jpg"), link("deep/c-kw.jpg", "deep"),
                "0 converted, 0 skipped, 3 failed"}));
        args.insert(args.begin(), {"--circle", "48,40,32", "--save-classified", out()});
        EXPECT_TRUE(ended(measure(args), 1,
            {link("a-sky.png", "a-sky.png") + neither, link("deep/c-sky.png", "deep"),
                "images: 1 written, 0 kept, 2 failed"}));
    }
    EXPECT_EQ(readBytes(dir / "thesis.txt"), "three years of work");
    EXPECT_EQ(readBytes(dir / "kept" / "photo.jpg"), keptPhoto);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "kept"), {}), 1);
    for (const char* name : {"a-kw.jpg", "a-sky.png", "b-kw.jpg", "deep"})
        EXPECT_TRUE(isLink(out(name))) << name;

    // The output folder itself may be a link the user gave.
    fs::create_directories(dir / "real");
    fs::create_symlink(dir / "real", dir / "linked");
    EXPECT_TRUE(ended(cli({"convert", "-o", (dir / "linked").string(), in("a.jpg")}), 0, {"1 converted"}));
    EXPECT_TRUE(fs::is_regular_file(dir / "real" / "a-kw.jpg"));
}

// Only a picture is an earlier result; anything else under its name fails
// that photo, with or without --overwrite, and stays. A read-only result is
// the user's to keep, for --overwrite too (and for root, whom permission
// bits do not otherwise stop).
TEST_F(ResultPlaces, WhatIsNoPictureOrReadOnlyFailsItsPhotoAlone)
{
    for (const char* name : {"doc.jpg", "folder.jpg", "fifo.jpg", "old.jpg", "new.jpg", "ro.jpg"})
        photo(name);
    fs::create_directories(out("folder-kw.jpg"));
    writeBytes(out("doc-kw.jpg"), "notes, not a picture");
    ASSERT_EQ(::mkfifo(out("fifo-kw.jpg").c_str(), 0600), 0);
    picture("old-kw.jpg");
    fs::permissions(out("old-kw.jpg"), fs::perms(0640));
    const std::string old = readBytes(out("old-kw.jpg"));
    picture("ro-kw.jpg", packRgb(30, 30, 200));
    fs::permissions(out("ro-kw.jpg"), fs::perms(0444));
    const std::string kept = readBytes(out("ro-kw.jpg"));

    const std::string failures[] = {
        "Cannot save \"" + out("doc-kw.jpg") + "\": a file of this name that is no BMP or JPEG picture is in the way",
        "Cannot save \"" + out("folder-kw.jpg") + "\": a folder of this name is in the way.",
        "Cannot save \"" + out("fifo-kw.jpg") + "\": something that is not a regular file is in the way."};
    EXPECT_TRUE(ended(
        convert({in(), "-j", "1"}), 1, {failures[0], failures[1], failures[2], "1 converted, 2 skipped, 3 failed"}));
    EXPECT_EQ(readBytes(out("old-kw.jpg")), old);
    EXPECT_TRUE(ended(convert({in(), "-j", "1", "--overwrite"}), 1,
        {failures[0], failures[1], failures[2],
            "Cannot save \"" + out("ro-kw.jpg") + "\": the picture of this name is read-only or not yours to change",
            "2 converted, 0 skipped, 4 failed"}));
    EXPECT_NE(readBytes(out("old-kw.jpg")), old);
    EXPECT_EQ(readBytes(out("doc-kw.jpg")), "notes, not a picture");
    // A replaced result keeps its mode; a read-only one its bytes and mode.
    EXPECT_EQ(fs::status(out("old-kw.jpg")).permissions() & fs::perms::all, fs::perms(0640));
    EXPECT_EQ(readBytes(out("ro-kw.jpg")), kept);
    EXPECT_EQ(fs::status(out("ro-kw.jpg")).permissions() & fs::perms::all, fs::perms(0444));
    EXPECT_TRUE(fs::is_directory(out("folder-kw.jpg")));
    EXPECT_TRUE(fs::is_fifo(out("fifo-kw.jpg")));
}

// A picture under a result's name in a folder of the run's photos may be a
// photo the user keeps there: it is skipped as an earlier result, and
// --overwrite leaves it and fails that photo. No photo is a PNG, so a sky
// image there is replaced.
TEST_F(ResultPlaces, BesideThePhotosOnlySkyImagesAreReplaced)
{
    photo("x.jpg");
    ASSERT_TRUE(writePhoto(dir / "in" / "x.bmp", 64, 64, packRgb(10, 200, 10)));
    writeBytes(in("x-sky.png"), kStale);
    const std::string unlisted = readBytes(dir / "in" / "x.bmp");
    std::vector<std::string> args{"convert", "--postfix", "", "--format", "bmp", "-o", in(), in("x.jpg")};
    EXPECT_TRUE(ended(cli(args), 0, {"0 converted, 1 skipped"}));
    args.emplace_back("--overwrite");
    EXPECT_TRUE(ended(cli(args), 1,
        {"Cannot save \"" + in("x.bmp")
            + "\": a picture of this name lies in a folder of this run's photos; it may be a photo, so it is left "
              "alone."}));
    EXPECT_EQ(readBytes(dir / "in" / "x.bmp"), unlisted);

    EXPECT_TRUE(ended(measureAt({"--save-classified", in(), "--overwrite", in("x.jpg")}), 0,
        {"images: 1 written, 0 kept, 0 failed"}));
    EXPECT_TRUE(readBytes(in("x-sky.png")).starts_with("\x89PNG"));
    EXPECT_NE(readBytes(in("x-sky.png")), kStale);
}

// Every name the file system takes can be written (the temporary name
// beside it is short), and a longer one fails its photo with the limit: it
// is never "skipped" as if its result were there.
TEST_F(ResultPlaces, NamesUpToTheLimitAreWrittenLongerOnesFail)
{
    const std::size_t limit = std::size_t(::pathconf(dir.path().c_str(), _PC_NAME_MAX));
    ASSERT_GE(limit, 20u);
    const std::string longest(limit - 7, 'a'); // + "-kw.jpg"
    const std::string tooLong(limit - 6, 'b');
    photo(longest + ".jpg");
    photo(tooLong + ".jpg");

    const Outcome run = convert({in(), "-j", "1"});
    EXPECT_TRUE(ended(run, 1,
        {"Cannot save \"" + out(tooLong + "-kw.jpg") + "\": the result's name is too long: " + std::to_string(limit + 1)
                + " bytes, at most " + std::to_string(limit) + ".",
            "1 converted, 0 skipped, 1 failed"}));
    EXPECT_TRUE(fs::is_regular_file(out(longest + "-kw.jpg")));
    EXPECT_FALSE(has(run.output, "skipped " + out(tooLong)));
    // The run recorded its settings, so a run with others stops.
    EXPECT_TRUE(ended(convert({in(), "--size", "256x256"}), 2, {"were made with other settings"}));
}

// -r never enters the output folder below the photos, and says what it
// leaves out there, this run's own results apart.
TEST_F(ResultPlaces, PhotosLeftOutInTheOutputFolderAreCounted)
{
    photo("a.jpg");
    photo("b.jpg");
    fs::create_directories(in("day2/deep"));
    photo("day2/c.jpg");
    photo("day2/deep/d.bmp");
    const std::vector<std::string> args{"convert", "-r", "-o", in("day2"), in(), "-j", "1"};
    const std::string leftOut = "2 photos in " + in("day2") + " are left out: it is the output folder";
    EXPECT_TRUE(ended(cli(args), 0, {leftOut, "2 converted"}));
    // Its results are not counted again; the photos still are.
    EXPECT_TRUE(ended(cli(args), 0, {leftOut, "0 converted, 2 skipped"}));
    fs::remove_all(dir / "in" / "day2" / "deep");
    EXPECT_TRUE(ended(cli(args), 0, {"1 photo in " + in("day2") + " is left out"}));
}

// A name on standard error reads as the CSV's file column holds it: a line
// break in it cannot split a line.
TEST_F(ResultPlaces, NamesOnStandardErrorAreEscaped)
{
    photo("new\nline.jpg");
    writeBytes(dir / "in" / "bro\tken.jpg", "not a photo");
    const Outcome run = convert({in(), "-j", "1"});
    EXPECT_TRUE(ended(run, 1,
        {"converted " + in("new\\x0Aline.jpg") + " -> " + out("new\\x0Aline-kw.jpg"),
            "Cannot open \"" + in("bro\\x09ken.jpg") + "\": "}));
    for (const std::string& line : linesOf(run.output))
        EXPECT_TRUE(line.starts_with("[") || line.starts_with("1 converted")) << line;
}

namespace {

// measure --save-classified: one PNG per measured photo, named and placed
// as convert's results are, kept when one is there unless the run replaces
// or continues the CSV.
class SkyImages : public CliRun {
protected:
    [[nodiscard]] Outcome measureImages(std::vector<std::string> args) const
    {
        args.insert(args.begin(), {"--save-classified", out()});
        return measureAt(args);
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
    EXPECT_TRUE(ended(measure({"--circle", "48,40,32", "-j", "1", "--save-classified", out(), "-r", in()}), 1,
        {"measured " + in("a.jpg") + " -> " + out("a-sky.png"),
            "measured " + in("day 1/b.bmp") + " -> " + out("day 1/b-sky.png"),
            "4 measured, 1 failed; images: 4 written, 0 kept, 0 failed"}));
    for (const char* name : {"a-sky.png", "c-sky.png", "day 1/a-sky.png", "day 1/b-sky.png"})
        EXPECT_TRUE(isImage(name));
    EXPECT_EQ(std::distance(fs::recursive_directory_iterator(out()), {}), 5); // four images and "day 1"
    EXPECT_TRUE(has(readBytes(csv()), in("broken.jpg") + ",the file is cut short or is not a JPEG picture"))
        << "the error row is still written";
}

TEST_F(SkyImages, ANameTwoPhotosShareIsRefusedForTheSecond)
{
    photo("x.bmp");
    photo("x.jpg");
    EXPECT_TRUE(ended(measureImages({in()}), 1,
        {"Cannot save \"" + out("x-sky.png") + "\": the result of " + in("x.jpg") + " would replace that of "
                + in("x.bmp") + ".",
            "2 measured, 0 failed; images: 1 written, 0 kept, 1 failed"}));
    EXPECT_TRUE(isImage("x-sky.png"));
    // Both rows hold figures.
    for (const char* name : {"x.bmp", "x.jpg"})
        EXPECT_EQ(cell(in(name), "error"), "") << name;
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
    for (const char* option : {"--overwrite", "--resume"}) {
        if (option[2] == 'r')
            fs::remove(csv()); // a new CSV, continued: both photos measured
        EXPECT_TRUE(ended(measureImages({in(), option}), 1,
            {"Cannot save \"" + out("a-sky.png") + "\": a file of this name that is no PNG picture is in the way",
                "Cannot save \"" + out("b-sky.png") + "\": a folder of this name is in the way",
                "images: 0 written, 0 kept, 2 failed"}))
            << option;
        EXPECT_EQ(readBytes(out("a-sky.png")), "notes kept under a strange name");
        EXPECT_TRUE(fs::is_directory(out("b-sky.png")));
        EXPECT_EQ(cell(in("b.jpg"), "error"), "");
    }
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
    writeBytes(csv(), crlf(lines[0]) + crlf(lines[1]) + crlf(failed));
    for (const char* name : {"a-sky.png", "b-sky.png", "c-sky.png"})
        stale(name);
    EXPECT_TRUE(ended(measureImages({in(), "--resume"}), 0,
        {"measured " + in("b.jpg") + " -> " + out("b-sky.png"), "measured " + in("c.jpg") + " -> " + out("c-sky.png"),
            "2 measured, 1 skipped, 0 failed; images: 2 written, 0 kept, 0 failed"}));
    EXPECT_EQ(readBytes(out("a-sky.png")), kStale);
    EXPECT_TRUE(isImage("b-sky.png"));
    EXPECT_TRUE(isImage("c-sky.png"));
}

// A folder that takes no file stops the run before any photo, convert's
// output folder and the sky images' alike.
TEST_F(SkyImages, AFolderThatTakesNoFileStopsTheRunBeforeAnyPhoto)
{
    photo("a.jpg");
    writeBytes(dir / "a file", "");
    const std::pair<std::string, std::string> folders[] = {
        {"/proc", "Cannot write into the folder of the sky images \"/proc\": "},
        {(dir / "a file" / "images").string(), "Cannot make the folder \"" + (dir / "a file" / "images").string()},
    };
    for (const auto& [folder, says] : folders) {
        const Outcome run = measure({"--circle", "48,40,32", "--save-classified", folder, in()});
        EXPECT_TRUE(ended(run, 1, {says, "othing was measured"})) << folder;
        EXPECT_FALSE(has(run.output, "measured " + in("a.jpg")));
        EXPECT_FALSE(fs::exists(csv())) << folder;
        // /proc takes no file, whoever asks: root, whom permission bits do not stop, too.
        const Outcome converted = cli({"convert", "-o", folder, in()});
        EXPECT_TRUE(ended(converted, 1, {folder == "/proc" ? "Cannot write into the output folder \"/proc\": " : ""}));
        EXPECT_FALSE(has(converted.output, "Cannot save"));
        EXPECT_FALSE(has(converted.output, "converted"));
    }
}

namespace {

// Two named folders whose photos share names below them.
class BaseRun : public CliRun {
protected:
    void SetUp() override
    {
        CliRun::SetUp();
        for (const char* folder : {"north/day1", "south/day1"}) {
            fs::create_directories(dir / "in" / folder);
            photo(std::string(folder) + "/x.bmp");
        }
    }
};

} // namespace

TEST_F(BaseRun, TwoFoldersSameNamedPhotosKeepTheirResultsApart)
{
    const std::vector<std::string> base{"-q", "-r", "--base", in(), in("north"), in("south")};
    std::vector<std::string> args{"--save-classified", out()};
    args.insert(args.end(), base.begin(), base.end());
    ASSERT_TRUE(ended(measure(args), 0));
    ASSERT_TRUE(ended(convert(base), 0));
    for (const char* result : {"x-kw.jpg", "x-sky.png"})
        for (const char* folder : {"north/day1/", "south/day1/"})
            EXPECT_TRUE(fs::is_regular_file(out(folder + std::string(result)))) << folder << result;
}

TEST_F(BaseRun, WithoutTheBaseACollisionIsToldOnceNamingBothPhotos)
{
    const Outcome run = convert({"-r", in("north"), in("south")});
    ASSERT_TRUE(ended(run, 1));
    const auto told = linesWith(run.output, "would replace");
    ASSERT_EQ(told.size(), 1u) << run.output;
    EXPECT_TRUE(has(told[0], in("north/day1/x.bmp")));
    EXPECT_TRUE(has(told[0], in("south/day1/x.bmp")));
    EXPECT_TRUE(fs::is_regular_file(out("day1/x-kw.jpg")));
}

TEST_F(BaseRun, APhotoOutsideTheBaseIsAUsageErrorAndNothingIsWritten)
{
    EXPECT_TRUE(ended(convert({"-r", "--base", in("north"), in("north"), in("south")}), 2,
        {"--base: the photo \"" + in("south/day1/x.bmp") + "\" is not inside"}));
    EXPECT_FALSE(fs::exists(out())) << "not even the output folder is made";
    EXPECT_TRUE(ended(measure({"--save-classified", out(), "-r", "--base", in("south"), in("north"), in("south")}), 2,
        {"is not inside"}));
    EXPECT_FALSE(fs::exists(csv()));
    EXPECT_FALSE(fs::exists(out()));
    // And it takes -r, and measure's --save-classified.
    EXPECT_TRUE(ended(convert({"--base", in(), in("north")}), 2, {"--base: only with -r"}));
    EXPECT_TRUE(ended(measure({"-r", "--base", in(), in()}), 2, {"--base: only with --save-classified"}));
}
