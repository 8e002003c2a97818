// The CSV file of karwen-cli measure: an existing file is never replaced
// unasked, and only our own CSV is replaced (--overwrite) or continued
// (--resume); a continued file gets the rows it lacks, in list order; names
// that are not UTF-8 read back; --csv - writes to standard output. Grey
// photos are measured on their one channel, their rows saying so.
#include "cli_child.h"
#include "cli_fixture.h"
#include "grey_photo.h"

#include "canopy_csv.h"
#include "canopy_csv_reading.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace karwen;
using namespace karwen::test;

namespace {

// The CSV's rows: its lines after the header.
std::vector<std::string> rowsOf(const std::string& text)
{
    std::vector<std::string> rows = linesOf(text);
    rows.erase(rows.begin(), rows.begin() + std::min<std::ptrdiff_t>(1, std::ssize(rows)));
    return rows;
}

class CsvFile : public CliRun {
protected:
    void SetUp() override
    {
        CliRun::SetUp();
        for (const char* name : {"a.bmp", "b.bmp", "c.bmp"})
            photo(name);
    }
};

TEST_F(CsvFile, AnExistingFileIsNeverReplacedUnasked)
{
    ASSERT_TRUE(ended(measureAt({in()}), 0));
    const std::string ours = readBytes(csv());
    ASSERT_EQ(rowsOf(ours).size(), 3u) << ours;

    Outcome run = measureAt({in()});
    EXPECT_TRUE(ended(run, 2, {"exists; --overwrite replaces a CSV of karwen-cli measure"}));
    EXPECT_FALSE(has(run.output, "measured " + in("a.bmp")));
    EXPECT_EQ(readBytes(csv()), ours);

    // Ours: what measure wrote, an empty file, the window's export (a byte
    // order mark, LF line ends, other rings).
    for (const std::string& before : {ours, std::string(), "\xEF\xBB\xBF" + canopy::csvHeader(3) + "\nx.jpg,gone\n"}) {
        writeBytes(csv(), before);
        EXPECT_TRUE(ended(measureAt({in(), "--overwrite"}), 0));
        EXPECT_EQ(readBytes(csv()), ours);
    }

    // Not ours, whatever the options: a photo, another program's CSV, ours
    // with another column.
    const std::string photoBytes = readBytes(dir / "in" / "a.bmp");
    for (const std::string& before :
        {photoBytes, std::string("plot,lai,notes\r\n1,2.5,x\r\n"), crlf(canopy::csvHeader(5) + ",notes")}) {
        for (const char* option : {"--overwrite", "--resume"}) {
            writeBytes(csv(), before);
            EXPECT_TRUE(ended(measureAt({in("b.bmp"), option}), 2, {"is not a CSV of karwen-cli measure"}));
            EXPECT_EQ(readBytes(csv()), before) << option;
        }
    }

    // A symbolic link to a photo outside the list.
    fs::remove(csv());
    fs::create_symlink(dir / "in" / "a.bmp", csv());
    EXPECT_TRUE(ended(measureAt({in("b.bmp"), "--overwrite"}), 2));
    EXPECT_TRUE(fs::is_symlink(csv()));
    EXPECT_EQ(readBytes(dir / "in" / "a.bmp"), photoBytes);

    for (const std::vector<std::string>& args : {std::vector<std::string>{in(), "--overwrite", "--resume"},
             std::vector<std::string>{"--csv", "-", in(), "--resume"}})
        EXPECT_TRUE(ended(measureAt(args), 2));
}

TEST_F(CsvFile, ResumeMeasuresOnlyThePhotosWithoutARow)
{
    ASSERT_TRUE(ended(measureAt({in()}), 0));
    const std::string full = readBytes(csv());
    const std::vector<std::string> rows = rowsOf(full);
    ASSERT_EQ(rows.size(), 3u) << full;

    // a measured, b missing, c an error, a photo of another list, and the
    // half line a killed run leaves.
    const std::string header = canopy::csvHeader(5);
    const std::string failed = canopy::csvRow(canopy::failedRow(in("c.bmp"), "planted failure", {}));
    const std::string other = "/elsewhere/x.bmp" + rows[0].substr(rows[0].find(','));
    writeBytes(csv(), crlf(header) + crlf(rows[0]) + crlf(failed) + crlf(other) + rows[1].substr(0, 40));
    const Outcome run = measureAt({in(), "--resume"});
    EXPECT_TRUE(ended(
        run, 0, {"/2] measured " + in("b.bmp"), "/2] measured " + in("c.bmp"), "2 measured, 1 skipped, 0 failed"}));
    EXPECT_FALSE(has(run.output, in("a.bmp")));
    EXPECT_EQ(readBytes(csv()), full + crlf(other));

    // Other settings: refused, naming the setting, the file untouched.
    const std::string resumed = readBytes(csv());
    const std::vector<std::pair<std::vector<std::string>, std::string>> others{{{"--gamma", "1.5"}, "column gamma"},
        {{"--threshold", "100"}, "column method"}, {{"--channel", "luma"}, "column channel"},
        {{"--sectors", "4"}, "column sectors"}, {{"--max-zenith", "60"}, "column max_zenith"},
        {{"--rings", "3"}, "this run's for --rings 3"}, {{"--src-projection", "equisolid"}, "column projection"}};
    for (const auto& [options, name] : others) {
        std::vector<std::string> args{in(), "--resume"};
        args.insert(args.end(), options.begin(), options.end());
        EXPECT_TRUE(ended(measureAt(args), 2, {"was made with other settings: its column", name}));
        EXPECT_EQ(readBytes(csv()), resumed) << name;
    }
    EXPECT_TRUE(
        ended(cli({"measure", "--csv", csv(), "--circle", "47,40,32", "--resume", in()}), 2, {"its column cx reads"}));

    // A shard continued: its photos (a and c) alone, in list order.
    fs::remove(csv());
    ASSERT_EQ(measureAt({in(), "--shard", "1/2"}).exitCode, 0);
    const std::string shard = readBytes(csv());
    ASSERT_EQ(rowsOf(shard).size(), 2u);
    writeBytes(csv(), crlf(header) + crlf(rowsOf(shard)[1]));
    EXPECT_TRUE(ended(measureAt({in(), "--shard", "1/2", "--resume"}), 0, {"[1/1] measured " + in("a.bmp")}));
    EXPECT_EQ(readBytes(csv()), shard);
}

// A row written before saturated indices were written as their bounds
// (le at the floor's 12.696814) is kept as it stands.
TEST_F(CsvFile, ResumeKeepsRowsAsTheyWereWritten)
{
    ASSERT_TRUE(ended(measureAt({in()}), 0));
    std::vector<std::string> rows = rowsOf(readBytes(csv()));
    ASSERT_EQ(rows.size(), 3u);
    const std::vector<std::string> names = canopy::csvFields(canopy::csvHeader(5)).value();
    std::vector<std::string> fields = canopy::csvFields(rows[0]).value();
    const auto column = [&](const char* name) { return std::size_t(std::ranges::find(names, name) - names.begin()); };
    fields[column("le")] = "12.696814";
    fields[column("saturated")] = "1";
    std::string old;
    for (const std::string& f : fields)
        old += (old.empty() ? "" : ",") + f;
    const std::string before = crlf(canopy::csvHeader(5)) + crlf(old);
    writeBytes(csv(), before);
    ASSERT_TRUE(ended(measureAt({in(), "--resume"}), 0, {"2 measured, 1 skipped, 0 failed"}));
    EXPECT_EQ(readBytes(csv()), before + crlf(rows[1]) + crlf(rows[2]));
}

TEST_F(CsvFile, NamesThatAreNotUtf8ReadBack)
{
    const std::vector<std::string> names{"bad\xFF.bmp", "back\\slash.bmp", "line\nbreak.bmp"};
    for (const std::string& name : names)
        photo(name);
    ASSERT_TRUE(ended(measureAt({in()}), 0));
    // Written as the canopy library escapes them (its CsvReading suite).
    const std::string text = readBytes(csv());
    std::vector<std::string> files;
    for (const std::string& row : rowsOf(text))
        files.push_back(canopy::rawText(canopy::csvFields(row)->at(0)));
    EXPECT_EQ(files,
        (std::vector<std::string>{in("a.bmp"), in("b.bmp"), in(names[1]), in(names[0]), in("c.bmp"), in(names[2])}));

    EXPECT_TRUE(ended(measureAt({in(), "--resume"}), 0, {"0 measured, 6 skipped, 0 failed"}));
    EXPECT_EQ(readBytes(csv()), text);
}

TEST_F(CsvFile, StandardOutputTakesTheFiguresUntilItCloses)
{
    ASSERT_EQ(measureAt({in()}).exitCode, 0);
    const std::string figures = readBytes(csv());
    const std::string out = (dir / "out.txt").string(), err = (dir / "err.txt").string();
    const std::vector<std::string> args{KARWEN_CLI, "measure", "--csv", "-", "--circle", "48,40,32", "-j", "2", in()};
    {
        ChildRun child(args, ChildRun::Stream::File, out, ChildRun::Stream::File, err);
        EXPECT_EQ(child.exitCode(), 0) << readBytes(err);
        EXPECT_EQ(readBytes(out), figures);
    }
    for (const ChildRun::Stream closed : {ChildRun::Stream::ReaderGone, ChildRun::Stream::Closed}) {
        ChildRun child(args, closed, out, ChildRun::Stream::File, err);
        EXPECT_EQ(child.exitCode(), 1) << readBytes(err);
        EXPECT_TRUE(has(readBytes(err), "standard output"));
    }
}

class GreyPhotos : public CliRun {
protected:
    void SetUp() override
    {
        CliRun::SetUp();
        photo("colour.jpg");
        const auto disc
            = [](int x, int y) { return uint8_t((x - 48) * (x - 48) + (y - 40) * (y - 40) <= 32 * 32 ? 180 : 0); };
        const std::vector<uint8_t> jpeg = greyJpeg(96, 80, disc);
        ASSERT_FALSE(jpeg.empty());
        writeBytes(dir / "in" / "grey.jpg", std::string(jpeg.begin(), jpeg.end()));
        writeBytes(dir / "in" / "grey.bmp", greyBmp(96, 80, disc));
    }
};

// Whatever --channel says; grey is no choice of the user's.
TEST_F(GreyPhotos, AreMeasuredOnTheirOneChannelAndSaySo)
{
    for (const char* channel : {"blue", "luma"}) {
        fs::remove(csv());
        ASSERT_TRUE(ended(measureAt({"-j", "1", in(), "--channel", channel}), 0, {"3 measured"}));
        EXPECT_EQ(cell(in("colour.jpg"), "channel"), channel);
        EXPECT_EQ(cell(in("grey.jpg"), "channel"), "grey");
        EXPECT_EQ(cell(in("grey.bmp"), "channel"), "grey");
    }
    EXPECT_TRUE(ended(measureAt({in(), "--channel", "grey", "--overwrite"}), 2, {"is neither blue nor luma"}));
}

// A grey photo's row from before grey photos were told apart is measured again.
TEST_F(GreyPhotos, ARunOverGreyAndColourPhotosResumes)
{
    ASSERT_TRUE(ended(measureAt({"-j", "1", in()}), 0));
    const std::string full = readBytes(csv());
    EXPECT_TRUE(ended(measureAt({in(), "--resume"}), 0, {"0 measured, 3 skipped, 0 failed"}));
    EXPECT_EQ(readBytes(csv()), full);

    std::string older = full;
    const std::string row = rowOf(full, in("grey.jpg"));
    std::string blue = row;
    blue.replace(blue.find(",grey,"), 6, ",blue,");
    older.replace(older.find(row), row.size(), blue);
    writeBytes(csv(), older);
    EXPECT_TRUE(ended(measureAt({"-j", "1", in(), "--resume"}), 0,
        {"Measuring \"" + in("grey.jpg") + "\" again: its row reads channel blue, but the photo is grey.",
            "1 measured, 2 skipped, 0 failed"}));
    EXPECT_EQ(readBytes(csv()), full);
    // Other settings are still other settings, grey photo or not.
    EXPECT_TRUE(ended(measureAt({in(), "--resume", "--gamma", "1.5"}), 2, {"was made with other settings"}));
}

} // namespace
