// convert's output folder: checked before the first photo is read, given
// up at the first save that finds no room, remembering the settings of its
// results (--decode among them), rid of a killed run's temporary files; the
// inputs of an archive: subfolders (-r) and lists of paths (--files-from).
#include "cli_fixture.h"
#include "left_temporaries.h"

#include "canopy_csv.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace karwen::test;

namespace {

// No process has this id: it is above the largest the kernel gives.
constexpr const char* kGonePid = "4194305";

class OutputFolder : public CliRun {
protected:
    void photos(int count)
    {
        for (int i = 0; i < count; ++i) {
            const std::string number = std::to_string(i); // GCC 12 warns of "p" + to_string(i)
            photo("p" + number + ".jpg");
        }
    }
};

} // namespace

TEST_F(OutputFolder, ReadOnlyFailsBeforeAnyPhoto)
{
    photos(3);
    fs::create_directory(out());
    Outcome run;
    if (::geteuid() == 0) {
        // A folder of root's (mode 0755) is read-only to nobody.
        if (const std::string why = test_support::nobodyUnavailable(); !why.empty())
            GTEST_SKIP() << why;
        // A copy nobody can reach: the build folder may lie in a closed one.
        const test_support::NobodyFolder bin(KARWEN_CLI);
        run = bin.runHelper({"convert", "-o", out(), in()});
    } else {
        fs::permissions(out(), fs::perms(0555));
        run = convert({in()});
        fs::permissions(out(), fs::perms(0755));
    }
    EXPECT_TRUE(ended(run, 1,
        {"Cannot write into the output folder \"" + (dir / "out").string()
            + "\": no permission to create files in the folder."}));
    EXPECT_FALSE(has(run.output, "Cannot save"));
    EXPECT_TRUE(fs::is_empty(out()));
}

// A file-size limit (ulimit -f, with its signal ignored as a shell script
// may) makes every save fail as a full disk does.
TEST_F(OutputFolder, NoRoomStopsAtTheFirstFailedSave)
{
    photos(12);
    const Outcome run
        = throughShell("trap '' XFSZ; ulimit -f 1 && exec \"$0\" \"$@\"", {"convert", "-o", out(), "-j", "1", in()});
    EXPECT_TRUE(ended(run, 1,
        {"Stopped at the first result that could not be saved for want of room", "Stopped early: 0 converted"}));
    const int failed = int(linesWith(run.output, "\": the file would be larger than this system allows.").size());
    // Saves run beside the next photos: the few already under way fail too.
    EXPECT_GE(failed, 1) << run.output;
    EXPECT_LE(failed, 3) << run.output;
}

TEST_F(OutputFolder, RemembersItsSettingsAndRefusesToSkipOtherResults)
{
    photos(2);
    ASSERT_TRUE(ended(convert({in()}), 0));
    EXPECT_TRUE(has(readBytes(out(".karwen-convert")), "--size 512x512\n"));
    const long long written = modified(out("p0-kw.jpg"));

    EXPECT_TRUE(ended(convert({in(), "--size", "256x256", "--dst-projection", "equisolid"}), 2,
        {"were made with other settings (--dst-projection equisolidangle here, orthographic there; --size 256x256 "
         "here, 512x512 there; --dst-circle 128,128,128 here, 256,256,256 there). Give --overwrite"}));
    EXPECT_EQ(modified(out("p0-kw.jpg")), written);

    // The same settings skip; other names are other results.
    EXPECT_TRUE(ended(convert({in()}), 0, {"0 converted, 2 skipped"}));
    EXPECT_TRUE(ended(convert({in(), "--size", "256x256", "--postfix", "-small"}), 0));
    EXPECT_TRUE(has(readBytes(out(".karwen-convert")), "--size 256x256\n"));

    EXPECT_TRUE(ended(convert({in(), "--size", "128x128", "--overwrite"}), 0, {"2 converted, 0 skipped"}));
    EXPECT_TRUE(has(readBytes(out(".karwen-convert")), "--size 128x128\n"));

    // A folder from before settings were kept: its results are skipped, as
    // they always were, and no settings are claimed for them until a run
    // adds a result.
    fs::remove(out(".karwen-convert"));
    EXPECT_TRUE(ended(convert({in(), "--size", "64x64"}), 0, {"0 converted, 2 skipped"}));
    EXPECT_FALSE(fs::exists(out(".karwen-convert")));
    photos(3);
    EXPECT_TRUE(ended(convert({in(), "--size", "64x64"}), 0, {"1 converted, 2 skipped"}));
    EXPECT_TRUE(has(readBytes(out(".karwen-convert")), "--size 64x64\n"));
}

TEST_F(OutputFolder, RemovesOnlyTheTemporariesOfEndedRuns)
{
    photos(1);
    fs::create_directory(out());
    // Named as a save of this test's process names them: that process runs.
    const std::string running = fs::path(karwen::files::temporaryFileName(out("p0-kw.jpg"), 0)).filename();
    const std::string ownPid = std::to_string(::getpid()), gonePid = kGonePid;
    const std::string pid = "." + ownPid + "-";
    std::string killed = running;
    killed.replace(killed.rfind(pid), pid.size(), "." + gonePid + "-");
    ASSERT_NE(killed, running);
    for (const std::string& name : {running, killed, std::string(".notes.tmp"), std::string("p1.jpg.4-0-a-0.tmp")})
        writeBytes(dir / "out" / name, "partial");

    EXPECT_TRUE(ended(convert({in()}), 0));
    EXPECT_FALSE(fs::exists(dir / "out" / killed));
    for (const std::string& name : {running, std::string(".notes.tmp"), std::string("p1.jpg.4-0-a-0.tmp")})
        EXPECT_TRUE(fs::exists(dir / "out" / name)) << name;
}

class ArchiveInputs : public CliRun {
protected:
    void SetUp() override
    {
        CliRun::SetUp();
        fs::create_directories(dir / "in" / "x" / "deep");
        fs::create_directories(dir / "in" / "y");
        photo("a.jpg");
        photo("x/b.jpg");
        photo("y/b.jpg", karwen::test::packRgb(200, 60, 60));
        photo("x/deep/c.bmp");
    }
};

// Results of photos of the same name in two subfolders are kept apart: the
// output folder mirrors the subfolders.
TEST_F(ArchiveInputs, RecursiveTakesSubfoldersAndMirrorsThem)
{
    EXPECT_TRUE(ended(convert({in()}), 0, {"1 converted"}));
    EXPECT_TRUE(ended(convert({"-r", in(), "-j", "1"}), 0, {"3 converted, 1 skipped, 0 failed"}));
    for (const char* result : {"x/b-kw.jpg", "y/b-kw.jpg", "x/deep/c-kw.jpg"})
        EXPECT_TRUE(fs::exists(out(result))) << result;
    EXPECT_NE(readBytes(out("x/b-kw.jpg")), readBytes(out("y/b-kw.jpg")));

    // measure: one sorted list, rows in its order.
    EXPECT_TRUE(ended(measure({"--recursive", in(), "-j", "2"}), 0));
    const std::string figures = readBytes(csv());
    std::size_t at = 0;
    for (const char* photo : {"a.jpg", "x/b.jpg", "x/deep/c.bmp", "y/b.jpg"}) {
        const std::size_t found = figures.find(in(photo) + ",");
        EXPECT_NE(found, std::string::npos) << photo << "\n" << figures;
        EXPECT_GE(found, at) << photo;
        at = found == std::string::npos ? at : found;
    }
}

TEST_F(ArchiveInputs, FilesFromAListOrStandardInput)
{
    writeBytes(dir / "list.txt", in("x/b.jpg") + "\n\n" + in("x/deep") + "\r\n");
    EXPECT_TRUE(ended(convert({"--files-from", (dir / "list.txt").string(), "-j", "1"}), 0,
        {"[1/2] converted " + in("x/b.jpg"), "[2/2] converted " + in("x/deep/c.bmp")}));

    EXPECT_TRUE(ended(
        throughShell("printf '%s\\n' \"$1\" | exec \"$0\" measure --csv \"$2\" --files-from -", {in("a.jpg"), csv()}),
        0));
    const std::string listed = in("a.jpg");
    EXPECT_TRUE(has(readBytes(csv()), "\n" + listed + ","));

    const std::string missing = (dir / "missing.txt").string();
    EXPECT_TRUE(ended(convert({"--files-from", missing}), 2,
        {"--files-from: cannot read the list '" + missing + "': no such file or folder"}));
}

// Names ended by NUL bytes may hold any other byte: a line break, a carriage
// return, bytes that are not UTF-8.
TEST_F(ArchiveInputs, FilesFromANulList)
{
    const std::vector<std::string> names{"line\nbreak.jpg", "bad\xFF name\r.jpg"};
    std::string list;
    for (const std::string& name : names) {
        fs::copy_file(in("a.jpg"), dir / "in" / name);
        list += in(name) + '\0';
    }
    list += '\0'; // an empty name is left out
    writeBytes(dir / "list0", list);
    EXPECT_TRUE(ended(measure({"--files-from0", (dir / "list0").string(), "-j", "1"}), 0, {"2 measured, 0 failed"}));
    const std::string figures = readBytes(csv());
    for (const std::string& name : names) {
        std::string row = karwen::canopy::csvText(in(name));
        row.insert(0, 1, '\n');
        EXPECT_TRUE(has(figures, row + ",")) << figures;
    }

    EXPECT_TRUE(ended(convert({"--files-from", "-", "--files-from0", "-"}), 2, {"standard input holds one list"}));
    const std::string missing = (dir / "missing0").string();
    EXPECT_TRUE(ended(convert({"--files-from0", missing}), 2, {"--files-from0: cannot read the list '" + missing}));
}

namespace {

class Decode : public CliRun {
protected:
    // A 800 x 600 photo of fine stripes inside a disc of radius 240, read
    // through that circle: a small result leaves several of its pixels
    // under each of its own.
    void SetUp() override
    {
        CliRun::SetUp();
        ASSERT_TRUE(paintPhoto(dir / "in" / "s.jpg", 800, 600, [](int x, int y) {
            const int dx = x - 400, dy = y - 300;
            const uint8_t level = uint8_t(((x / 3 + y / 5) % 2) ? 220 : 40);
            return dx * dx + dy * dy <= 240 * 240 ? packRgb(level, level, level) : packRgb(0, 0, 0);
        }));
    }

    [[nodiscard]] Outcome run(const std::string& folder, std::vector<std::string> args) const
    {
        args.insert(args.begin(), {"convert", "-o", (dir / folder).string(), "--circle", "400,300,240"});
        args.push_back(in());
        return cli(args);
    }

    [[nodiscard]] std::string result(const std::string& folder) const { return readBytes(dir / folder / "s-kw.jpg"); }
    [[nodiscard]] std::string record(const std::string& folder) const
    {
        return readBytes(dir / folder / ".karwen-convert");
    }
};

} // namespace

TEST_F(Decode, RecordsAutoAndLeavesFullUnrecorded)
{
    ASSERT_TRUE(ended(run("auto", {"--size", "64x64"}), 0));
    ASSERT_TRUE(ended(run("full", {"--size", "64x64", "--decode", "full"}), 0));
    EXPECT_TRUE(has(record("auto"), "\n--quality 75\n--decode auto\n"));
    EXPECT_FALSE(has(record("full"), "--decode"));
    // 240 / 32 = 7.5 pixels a pixel: decoded at 1/4, the stripes come out
    // otherwise.
    EXPECT_NE(result("auto"), result("full"));

    // Each continues as it was made; another choice is refused.
    EXPECT_TRUE(ended(run("auto", {"--size", "64x64"}), 0, {"0 converted, 1 skipped"}));
    EXPECT_TRUE(ended(run("auto", {"--size", "64x64", "--decode", "full"}), 2,
        {"were made with other settings (--decode not given here, auto there)"}));
    EXPECT_TRUE(ended(run("full", {"--size", "64x64", "--decode", "auto"}), 2,
        {"were made with other settings (--decode auto here, not recorded there)"}));
    const Outcome resumed = run("full", {"--size", "64x64"});
    EXPECT_TRUE(ended(resumed, 0,
        {"were made from photos decoded in full, so this run decodes in full too (--decode full).",
            "0 converted, 1 skipped"}));
    EXPECT_EQ(linesWith(resumed.output, "decoded in full").size(), 1u);
    EXPECT_FALSE(has(record("full"), "--decode"));

    // Replacing them, the run's own choice holds and is recorded.
    EXPECT_TRUE(ended(run("full", {"--size", "64x64", "--decode", "auto", "--overwrite"}), 0));
    EXPECT_TRUE(has(record("full"), "--decode auto\n"));
    EXPECT_EQ(result("full"), result("auto"));
}

// Zoomed in on the centre, one result pixel is less than one of the photo's:
// the photo is decoded in full, and the result is that of --decode full.
TEST_F(Decode, PerspectiveViewThatNeedsEveryPixelGetsTheFullPhoto)
{
    const std::vector<std::string> zoomed{
        "--size", "64x64", "--dst-projection", "perspective", "--dst-circle", "32,32,200"};
    std::vector<std::string> full = zoomed;
    full.insert(full.end(), {"--decode", "full"});
    ASSERT_TRUE(ended(run("auto", zoomed), 0));
    ASSERT_TRUE(ended(run("full", full), 0));
    EXPECT_EQ(result("auto"), result("full"));
}

// A photo that cannot be read is told of in the same words either way.
TEST_F(Decode, UnreadablePhotosFailAlikeEitherWay)
{
    const std::string whole = readBytes(in("s.jpg"));
    writeBytes(in("s.jpg"), whole.substr(0, whole.size() / 2));
    writeBytes(in("t.jpg"), "not a JPEG at all");
    const Outcome scaled = run("auto", {"--size", "64x64", "-q", "-j", "1"});
    EXPECT_TRUE(ended(scaled, 1, {"s.jpg\": damaged JPEG data.", "t.jpg\": the file is cut short or is not"}));
    EXPECT_EQ(scaled.output, run("full", {"--size", "64x64", "-q", "-j", "1", "--decode", "full"}).output);
}
