// What convert does with what already holds a result's name: an earlier
// result is skipped or, with --overwrite, replaced; a link, a folder, a FIFO,
// a document, a picture beside the run's photos are left as they were and
// fail that photo alone. And the names it cannot make, the photos -r leaves
// out, the names it prints.
#include "cli_fixture.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace karwen::test;

namespace {

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

// A link under a result's name is never written through nor replaced,
// whether it points to a document, to a photo no run names, or to nothing;
// nor is a link among the folders below the output folder.
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
    fs::create_symlink("../kept/photo.jpg", out("b-kw.jpg"));
    fs::create_symlink("../kept", out("deep"));

    for (const bool overwrite : {false, true}) {
        std::vector<std::string> args{"-r", in(), "-j", "1"};
        if (overwrite)
            args.emplace_back("--overwrite");
        const test_support::Outcome run = convert(args);
        EXPECT_TRUE(ended(run, 1,
            {"Cannot save \"" + out("a-kw.jpg") + "\": '" + out("a-kw.jpg")
                    + "' is a symbolic link; nothing is written through or over it.",
                "Cannot save \"" + out("b-kw.jpg") + "\": '" + out("b-kw.jpg") + "' is a symbolic link",
                "Cannot save \"" + out("deep/c-kw.jpg") + "\": '" + out("deep") + "' is a symbolic link",
                "0 converted, 0 skipped, 3 failed"}))
            << "--overwrite " << overwrite;
    }
    EXPECT_EQ(readBytes(dir / "thesis.txt"), "three years of work");
    EXPECT_EQ(readBytes(dir / "kept" / "photo.jpg"), keptPhoto);
    EXPECT_FALSE(fs::exists(dir / "kept" / "c-kw.jpg"));
    for (const char* name : {"a-kw.jpg", "b-kw.jpg", "deep"})
        EXPECT_TRUE(isLink(out(name))) << name;

    // The output folder itself may be a link the user gave.
    fs::create_directories(dir / "real");
    fs::create_symlink(dir / "real", dir / "linked");
    EXPECT_TRUE(ended(test_support::runProgram({KARWEN_CLI, "convert", "-o", (dir / "linked").string(), in("a.jpg")}),
        0, {"1 converted"}));
    EXPECT_TRUE(fs::is_regular_file(dir / "real" / "a-kw.jpg"));
}

// Only a picture is an earlier result; anything else under its name fails
// that photo, with or without --overwrite, and stays.
TEST_F(ResultPlaces, WhatIsNoPictureFailsItsPhotoAlone)
{
    for (const char* name : {"doc.jpg", "folder.jpg", "fifo.jpg", "old.jpg", "new.jpg"})
        photo(name);
    fs::create_directories(out("folder-kw.jpg"));
    writeBytes(out("doc-kw.jpg"), "notes, not a picture");
    ASSERT_EQ(::mkfifo(out("fifo-kw.jpg").c_str(), 0600), 0);
    picture("old-kw.jpg");
    fs::permissions(out("old-kw.jpg"), fs::perms(0640));
    const std::string old = readBytes(out("old-kw.jpg"));

    const std::initializer_list<std::string> failures{
        "Cannot save \"" + out("doc-kw.jpg") + "\": a file of this name that is no BMP or JPEG picture is in the way",
        "Cannot save \"" + out("folder-kw.jpg") + "\": a folder of this name is in the way.",
        "Cannot save \"" + out("fifo-kw.jpg") + "\": something that is not a regular file is in the way."};
    const test_support::Outcome kept = convert({in(), "-j", "1"});
    EXPECT_TRUE(ended(kept, 1, failures));
    EXPECT_TRUE(has(kept.output, "1 converted, 1 skipped, 3 failed"));
    EXPECT_EQ(readBytes(out("old-kw.jpg")), old);

    const test_support::Outcome replaced = convert({in(), "-j", "1", "--overwrite"});
    EXPECT_TRUE(ended(replaced, 1, failures));
    EXPECT_TRUE(has(replaced.output, "2 converted, 0 skipped, 3 failed"));
    EXPECT_NE(readBytes(out("old-kw.jpg")), old);
    EXPECT_EQ(readBytes(out("doc-kw.jpg")), "notes, not a picture");
    // A replaced result keeps its mode.
    EXPECT_EQ(fs::status(out("old-kw.jpg")).permissions() & fs::perms::all, fs::perms(0640));
    EXPECT_TRUE(fs::is_directory(out("folder-kw.jpg")));
    EXPECT_TRUE(fs::is_fifo(out("fifo-kw.jpg")));
}

// A read-only result is the user's to keep, for --overwrite too (and for
// root, whom permission bits do not otherwise stop).
TEST_F(ResultPlaces, OverwriteLeavesReadOnlyResultsAlone)
{
    photo("a.jpg");
    photo("b.jpg");
    picture("a-kw.jpg");
    picture("b-kw.jpg");
    fs::permissions(out("a-kw.jpg"), fs::perms(0444));
    const std::string kept = readBytes(out("a-kw.jpg"));
    EXPECT_TRUE(ended(convert({in(), "--overwrite", "-j", "1"}), 1,
        {"Cannot save \"" + out("a-kw.jpg") + "\": the picture of this name is read-only or not yours to change",
            "1 converted, 0 skipped, 1 failed"}));
    EXPECT_EQ(readBytes(out("a-kw.jpg")), kept);
    EXPECT_EQ(fs::status(out("a-kw.jpg")).permissions() & fs::perms::all, fs::perms(0444));
}

// A picture under a result's name in a folder of the run's photos may be a
// photo the user keeps there: --overwrite leaves it and fails that photo.
TEST_F(ResultPlaces, OverwriteLeavesPicturesBesideThePhotosAlone)
{
    photo("x.jpg");
    ASSERT_TRUE(writePhoto(dir / "in" / "x.bmp", 64, 64, packRgb(10, 200, 10)));
    const std::string unlisted = readBytes(dir / "in" / "x.bmp");
    const test_support::Outcome run = test_support::runProgram(
        {KARWEN_CLI, "convert", "--overwrite", "--postfix", "", "--format", "bmp", "-o", in(), in("x.jpg")});
    EXPECT_TRUE(ended(run, 1,
        {"Cannot save \"" + in("x.bmp")
            + "\": a picture of this name lies in a folder of this run's photos; it may be a photo, so it is left "
              "alone."}));
    EXPECT_EQ(readBytes(dir / "in" / "x.bmp"), unlisted);

    // Without --overwrite it is skipped as an earlier result, and stays too.
    EXPECT_TRUE(ended(
        test_support::runProgram({KARWEN_CLI, "convert", "--postfix", "", "--format", "bmp", "-o", in(), in("x.jpg")}),
        0, {"0 converted, 1 skipped"}));
    EXPECT_EQ(readBytes(dir / "in" / "x.bmp"), unlisted);
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

    const test_support::Outcome run = convert({in(), "-j", "1"});
    EXPECT_TRUE(ended(run, 1,
        {"Cannot save \"" + out(tooLong + "-kw.jpg") + "\": the result's name is too long: " + std::to_string(limit + 1)
                + " bytes, at most " + std::to_string(limit) + ".",
            "1 converted, 0 skipped, 1 failed"}));
    EXPECT_TRUE(fs::is_regular_file(out(longest + "-kw.jpg")));
    EXPECT_FALSE(has(run.output, "skipped " + out(tooLong)));

    // The run recorded its settings, so a run with others stops.
    EXPECT_TRUE(fs::exists(out(".karwen-convert")));
    EXPECT_TRUE(ended(convert({in(), "--size", "256x256"}), 2, {"were made with other settings"}));
}

// A folder of results from before settings were kept: a run that adds a
// result records its settings from then on.
TEST_F(ResultPlaces, ARunThatConvertsRecordsItsSettings)
{
    photo("a.jpg");
    picture("a-kw.jpg");
    EXPECT_TRUE(ended(convert({in()}), 0, {"0 converted, 1 skipped"}));
    EXPECT_FALSE(fs::exists(out(".karwen-convert")));
    photo("b.jpg");
    EXPECT_TRUE(ended(convert({in(), "--size", "64x64"}), 0, {"1 converted, 1 skipped"}));
    EXPECT_TRUE(has(readBytes(out(".karwen-convert")), "--size 64x64\n"));
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
    const std::vector<std::string> args{KARWEN_CLI, "convert", "-r", "-o", in("day2"), in(), "-j", "1"};
    const test_support::Outcome first = test_support::runProgram(args);
    EXPECT_TRUE(ended(first, 0, {"2 photos in " + in("day2") + " are left out: it is the output folder"}));
    EXPECT_TRUE(has(first.output, "2 converted"));
    // Its results are not counted again; the photos still are.
    EXPECT_TRUE(ended(test_support::runProgram(args), 0,
        {"2 photos in " + in("day2") + " are left out: it is the output folder", "0 converted, 2 skipped"}));

    fs::remove_all(dir / "in" / "day2" / "deep");
    EXPECT_TRUE(ended(test_support::runProgram(args), 0, {"1 photo in " + in("day2") + " is left out"}));
}

// A name on standard error reads as the CSV's file column holds it: a line
// break in it cannot split a line.
TEST_F(ResultPlaces, NamesOnStandardErrorAreEscaped)
{
    photo("new\nline.jpg");
    writeBytes(dir / "in" / "bro\tken.jpg", "not a photo");
    const test_support::Outcome run = convert({in(), "-j", "1"});
    EXPECT_TRUE(ended(run, 1,
        {"converted " + in("new\\x0Aline.jpg") + " -> " + out("new\\x0Aline-kw.jpg"),
            "Cannot open \"" + in("bro\\x09ken.jpg") + "\": "}));
    EXPECT_FALSE(has(run.output, "new\n"));
    EXPECT_FALSE(has(run.output, "bro\t"));
    for (const std::string& line : linesOf(run.output))
        EXPECT_TRUE(line.starts_with("[") || line.starts_with("1 converted")) << line;
}
