// measure's --photo-settings: a value of the table replaces its option for
// its photo alone, a photo without a row takes the options, a refused cell
// is named by line and column before any photo is read, and measure's own
// CSV reads back as a table of circles.
#include "cli_fixture.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <map>

namespace fs = std::filesystem;
using namespace karwen;
using namespace karwen::test;

namespace {

class PhotoTable : public CliRun {
protected:
    void SetUp() override
    {
        CliRun::SetUp();
        photo("a.bmp");
        photo("b.bmp", test::packRgb(200, 220, 240));
    }

    [[nodiscard]] std::string table(const std::string& text, const std::string& name = "table.csv") const
    {
        writeBytes(dir / name, text);
        return (dir / name).string();
    }
};

} // namespace

TEST_F(PhotoTable, ARefusedCellIsNamedByLineAndColumnBeforeAnyPhotoIsRead)
{
    struct Case {
        std::string header, row, says;
    };
    const std::vector<Case> cases{
        {"file,circle", "\"1,2\"", "line 2, column circle: "},
        {"file,view", "\"1,1\"", "line 2, column view: "},
        {"file,circle,view", "\"48,40,32\",5", "line 2, column view: "},
        {"file,tilt", "400", "line 2, column tilt: "},
        {"file,lens", "no-such-lens", "line 2, column lens: "},
        {"file,projection", "cubic", "line 2, column projection: "},
        {"file,threshold", "sharp", "line 2, column threshold: "},
        {"file,top_azimuth", "-5", "line 2, column top_azimuth: "},
        {"file,magnetic_declination", "99", "line 2, column magnetic_declination: "},
        {"file,mirrored", "yes", "line 2, column mirrored: \"yes\" is neither true nor false"},
        {"file,site", "\"100,0\"", "line 2, column site: LAT \"100\""},
        {"file,period", "2023-02-29", "line 2, column period: "},
        {"file,utc_offset", "30", "line 2, column utc_offset: "},
        {"file,lens,projection", "fisheye-s,equisolid", "line 2, column projection: "},
        {"file,colour", "red", "line 1, column colour: no such column"},
        {"file,tilt,tilt", "1,2", "line 1, column tilt: the column is named twice"},
        {"file,tilt", "1,2", "line 2: 3 fields under a header of 2"},
    };
    for (const Case& c : cases) {
        const std::string path = table(c.header + "\n" + in("a.bmp") + "," + c.row + "\n");
        const auto run = measure({"--photo-settings", path, "--site", "50,10", "--period", "2024-06-01", in()});
        EXPECT_TRUE(ended(run, 2, {"--photo-settings: " + c.says})) << c.header << " / " << c.row;
        EXPECT_FALSE(fs::exists(csv())) << c.header;
    }
    // Tables that are no tables.
    for (const auto& [text, says] : std::vector<std::pair<std::string, std::string>>{{"", "the table is empty"},
             {"tilt\n1\n", "line 1: the header has no file column"},
             {"file,tilt\n\"a.bmp,1\n", "line 2: a quoted field is not closed"}}) {
        EXPECT_TRUE(ended(measure({"--photo-settings", table(text), in()}), 2, {says})) << says;
        EXPECT_FALSE(fs::exists(csv())) << says;
    }
    EXPECT_TRUE(ended(measure({"--photo-settings", (dir / "none.csv").string(), in()}), 2, {"--photo-settings: "}));
    // A second row of the same photo, by another name of it.
    const std::string twice = table("file,tilt\n" + in("a.bmp") + ",1\n" + in("../in/a.bmp") + ",2\n");
    EXPECT_TRUE(ended(measure({"--photo-settings", twice, in()}), 2, {"line 3: names the photo of line 2 again"}));
}

TEST_F(PhotoTable, AValueReplacesItsOptionForItsPhotoAlone)
{
    const std::string path = table("file,threshold,tilt\n" + in("a.bmp") + ",100,\n" + in("ghost.bmp") + ",,3\n");
    const auto run = measure({"--photo-settings", path, "--circle", "48,40,32", "--tilt", "7", in()});
    EXPECT_TRUE(ended(
        run, 0, {"--photo-settings: 1 row names no photo of the list, left unused: line 3 (" + in("ghost.bmp") + ")"}));
    EXPECT_EQ(cell(in("a.bmp"), "method"), "fixed");
    EXPECT_EQ(cell(in("a.bmp"), "threshold"), "100");
    EXPECT_EQ(cell(in("a.bmp"), "rot"), "7.00"); // the empty cell keeps --tilt
    EXPECT_EQ(cell(in("b.bmp"), "method"), "otsu");
    EXPECT_EQ(cell(in("b.bmp"), "circle"), "given");
}

TEST_F(PhotoTable, MeasuresCsvReadsBackAsATableOfCircles)
{
    const std::vector<std::string> columns{"cx", "cy", "r", "openness", "le", "difn"};
    const auto figures = [&](const std::string& photoPath) {
        std::vector<std::string> values;
        for (const std::string& column : columns)
            values.push_back(cell(photoPath, column));
        return values;
    };
    ASSERT_TRUE(ended(measure({"--circle", "47,41,30", in()}), 0));
    const std::vector<std::vector<std::string>> first{figures(in("a.bmp")), figures(in("b.bmp"))};
    const std::string circles = table(readBytes(csv()), "circles.csv");
    // Without --circle each photo would be read through its found circle.
    ASSERT_TRUE(ended(measure({"--photo-settings", circles, in()}), 0));
    EXPECT_EQ(figures(in("a.bmp")), first[0]);
    EXPECT_EQ(figures(in("b.bmp")), first[1]);
    EXPECT_EQ(cell(in("a.bmp"), "circle"), "table");
}

TEST_F(PhotoTable, TheTableIsReadFromStandardInputAlone)
{
    const std::string path = table("file,threshold\n" + in("a.bmp") + ",90\n");
    const auto run = throughShell("exec \"$0\" \"$@\" < '" + path + "'",
        {"measure", "--csv", csv(), "--photo-settings", "-", "--circle", "48,40,32", in("a.bmp")});
    ASSERT_TRUE(ended(run, 0));
    EXPECT_EQ(cell(in("a.bmp"), "threshold"), "90");
    EXPECT_TRUE(
        ended(measure({"--photo-settings", "-", "--files-from", "-"}), 2, {"standard input holds one of them"}));
}

TEST_F(PhotoTable, ANameIsTakenAsGivenOrBesideTheTableButNeverBoth)
{
    fs::create_directories(dir / "tables" / "in");
    photo("c.bmp");
    fs::copy_file(dir / "in" / "c.bmp", dir / "tables" / "in" / "c.bmp");
    const std::string path = table("file,threshold\nin/a.bmp,80\nin/c.bmp,90\n", "tables/t.csv");
    fs::remove(dir / "tables" / "in" / "c.bmp");
    // Run from dir: in/a.bmp is there as given; beside the table it is not.
    const std::string cd = "cd '" + dir.path().string() + "' && exec \"$0\" \"$@\"";
    ASSERT_TRUE(ended(throughShell(cd, {"measure", "--csv", csv(), "--photo-settings", path, "in/a.bmp"}), 0));
    EXPECT_EQ(cell(in("a.bmp"), "threshold"), "80"); // the list holds full paths
    fs::copy_file(dir / "in" / "c.bmp", dir / "tables" / "in" / "c.bmp");
    fs::remove(csv());
    EXPECT_TRUE(ended(throughShell(cd, {"measure", "--csv", csv(), "--photo-settings", path, "in/a.bmp"}), 2,
        {"line 3: \"in/c.bmp\" names two photos"}));
}

TEST_F(PhotoTable, ResumeComparesEachRowWithItsPhotosOwnSettings)
{
    const std::string path = table("file,threshold\n" + in("a.bmp") + ",100\n");
    ASSERT_TRUE(ended(measure({"--photo-settings", path, "--circle", "48,40,32", in()}), 0));
    const std::vector<std::string> resume{"--resume", "--photo-settings", path, in()};
    EXPECT_TRUE(ended(measureAt(resume), 0, {"2 skipped"}));
    (void)table("file,threshold\n" + in("a.bmp") + ",120\n");
    const std::string before = readBytes(csv());
    EXPECT_TRUE(ended(measureAt(resume), 2, {"other settings", "\"120\""}));
    EXPECT_EQ(readBytes(csv()), before);
}

TEST_F(PhotoTable, ARowsSiteServesThePeriodOfTheOptions)
{
    const std::string one = table("file,site\n" + in("a.bmp") + ",\"50,10\"\n");
    EXPECT_TRUE(ended(measure({"--photo-settings", one, "--period", "2024-06-01", in()}), 2,
        {"\"" + in("b.bmp") + "\" has no row in --photo-settings, and --period: needs --site"}));
    const std::string both = table("file,site\n" + in("a.bmp") + ",\"50,10\"\n" + in("b.bmp") + ",\"-40,10\"\n");
    // The file of days needs the options' own site.
    EXPECT_TRUE(ended(measure({"--photo-settings", both, "--period", "2024-06-01", "--light-daily",
                          (dir / "days.csv").string(), in()}),
        2, {"--period: needs --site"}));
    ASSERT_TRUE(ended(measure({"--photo-settings", both, "--period", "2024-06-01", "--circle", "48,40,32", in()}), 0));
    EXPECT_EQ(cell(in("a.bmp"), "latitude"), "50");
    EXPECT_EQ(cell(in("b.bmp"), "latitude"), "-40");
    EXPECT_NE(cell(in("a.bmp"), "h0"), cell(in("b.bmp"), "h0"));
}

TEST_F(PhotoTable, ConvertRecordsEachRowAndRefusesAFolderMadeWithAnotherRow)
{
    const std::string path = table("file,circle,tilt\n" + in("a.bmp") + ",\"48,40,20\",10\n");
    ASSERT_TRUE(ended(convert({"--photo-settings", path, "--circle", "48,40,32", in()}), 0, {"2 converted"}));
    // Only a's result is made through the table's circle.
    ASSERT_TRUE(ended(convert({"--circle", "48,40,32", "--overwrite", in()}), 0));
    const std::string b = readBytes(out("b-kw.jpg")), aByOptions = readBytes(out("a-kw.jpg"));
    fs::remove_all(out());
    ASSERT_TRUE(ended(convert({"--photo-settings", path, "--circle", "48,40,32", in()}), 0));
    EXPECT_EQ(readBytes(out("b-kw.jpg")), b);
    EXPECT_NE(readBytes(out("a-kw.jpg")), aByOptions);
    EXPECT_TRUE(has(readBytes(out(".karwen-convert")), "--circle 48,40,20; --tilt 10"));

    EXPECT_TRUE(ended(convert({"--photo-settings", path, "--circle", "48,40,32", in()}), 0, {"2 skipped"}));
    (void)table("file,circle,tilt\n" + in("a.bmp") + ",\"48,40,22\",10\n");
    EXPECT_TRUE(ended(convert({"--photo-settings", path, "--circle", "48,40,32", in()}), 2,
        {"other settings", "--photo-settings:" + in("a.bmp")}));
    EXPECT_TRUE(ended(convert({"--circle", "48,40,32", in()}), 2, {in("a.bmp") + " not given here"}));
    const std::string measuresOwn = table("file,threshold\n" + in("a.bmp") + ",5\n");
    EXPECT_TRUE(
        ended(convert({"--photo-settings", measuresOwn, in()}), 2, {"line 2, column threshold: measure's alone"}));
}

namespace {

// Every entry below the folder by name, with the bytes of each file, to
// see that nothing was written.
std::map<std::string, std::string> listing(const fs::path& folder)
{
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        entries[entry.path().string()] = entry.is_regular_file() ? readBytes(entry.path()) : "(not a file)";
    return entries;
}

} // namespace

TEST_F(PhotoTable, ADryRunListsWhatConvertWouldDoAndWritesNothing)
{
    photo("c.bmp");
    ASSERT_TRUE(ended(convert({in("c.bmp")}), 0));
    ASSERT_EQ(::mkfifo(in("d.bmp").c_str(), 0600), 0); // no photo, and never opened
    const std::string path = table("file,tilt\n" + in("a.bmp") + ",10\n");
    const auto before = listing(dir.path());
    const auto run = convert(
        {"--dry-run", "--photo-settings", path, in("a.bmp"), in("b.bmp"), in("c.bmp"), in("d.bmp"), in("e.bmp")});
    EXPECT_TRUE(listing(dir.path()) == before);
    ASSERT_TRUE(ended(run, 0,
        {in("a.bmp") + ": " + out("a-kw.jpg") + " (tilt=10)\n", in("b.bmp") + ": " + out("b-kw.jpg") + "\n",
            in("c.bmp") + ": skipped: exists\n", in("d.bmp") + ": fails: not a regular file\n",
            in("e.bmp") + ": fails: ", "dry run: 2 would be converted, 1 skipped, 2 would fail"}));

    // A result that would take a photo's place.
    EXPECT_TRUE(ended(cli({"convert", "--dry-run", "-o", in(), "--postfix", "", "--format", "bmp", in("a.bmp")}), 0,
        {in("a.bmp") + ": refused: ", "would replace that photo itself",
            "0 would be converted, 0 skipped, 1 would fail"}));
    // Into a folder that cannot be made, nor made with other settings.
    writeBytes(dir / "plain", "x");
    EXPECT_TRUE(ended(cli({"convert", "--dry-run", "-o", (dir / "plain" / "out").string(), in("a.bmp")}), 2,
        {"is in the way and is no folder"}));
    EXPECT_TRUE(ended(convert({"--dry-run", "--tilt", "5", in("c.bmp")}), 2, {"other settings"}));
    auto withPlain = before;
    withPlain[(dir / "plain").string()] = "x";
    EXPECT_TRUE(listing(dir.path()) == withPlain);
}

TEST_F(PhotoTable, ADryRunListsWhatMeasureWouldDoAndWritesNothing)
{
    ASSERT_TRUE(ended(measure({"--circle", "48,40,32", in("a.bmp")}), 0));
    const std::string path = table("file,threshold\n" + in("b.bmp") + ",90\n");
    const auto before = listing(dir.path());
    ASSERT_TRUE(ended(measureAt({"--dry-run", "--resume", "--photo-settings", path, "--save-classified",
                          (dir / "sky").string(), in()}),
        0,
        {in("a.bmp") + ": skipped: exists\n", in("b.bmp") + ": row (threshold=90)\n",
            "dry run: 1 would be measured, 1 skipped, 0 would fail"}));
    EXPECT_TRUE(listing(dir.path()) == before);
    // The CSV there is refused without --resume, as the run refuses it.
    EXPECT_TRUE(ended(cli({"measure", "--dry-run", "--csv", csv(), in()}), 2, {"exists"}));
    writeBytes(dir / "plain", "x");
    EXPECT_TRUE(ended(cli({"measure", "--dry-run", "--csv", (dir / "plain" / "f.csv").string(), in()}), 2));
}
