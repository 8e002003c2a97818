// The light columns of karwen-cli measure: filled with --site and --period
// and empty without them, the columns before them unchanged; a file
// written before the light columns
// continued only without --site, and one made with other light settings
// refused, naming the column. The file of each day's figures
// (--light-daily): one line per photo and day in list order, each day the
// figures of a one-day period, none for a photo with an error; kept from
// being replaced as the CSV is; continued with the days of the photos the
// CSV keeps, and refused when those lack a day.
#include "cli_light_run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace karwen;
using namespace karwen::test;

namespace {

const int kLight = canopy::kCsvLightColumns;
// The photo's metadata follows the light columns; the painted photos have none.
const int kMetadata = canopy::kCsvMetadataColumns;

// The figures are the light model's and the canopy library's (their suites
// check them, a polar night's and an axial view's tilt among them); here the
// site and period reach each row, and without them the light columns stay
// empty and the columns before them unchanged.
TEST_F(LightRun, ColumnsHoldFiguresAndStayEmptyWithoutTheSite)
{
    ASSERT_TRUE(ended(runLit({in()}), 0));
    const std::string lit = readBytes(csv());
    const auto table = tableOf(lit);
    ASSERT_EQ(table.size(), 3u) << lit;
    EXPECT_EQ(linesOf(lit)[0], canopy::csvHeader(5));
    for (std::size_t row : {1u, 2u}) {
        SCOPED_TRACE(row);
        EXPECT_EQ(fieldOf(table, row, "latitude"), "45");
        EXPECT_EQ(fieldOf(table, row, "period"), "2021-06-01..2021-06-03");
        EXPECT_NEAR(numberOf(table, row, "h0"), 41.3, 0.5); // early June at 45 degrees north
        EXPECT_GT(numberOf(table, row, "dsf"), 0.05);
    }
    // The two photos' canopies differ, and so do their figures.
    EXPECT_NE(fieldOf(table, 1, "dsf"), fieldOf(table, 2, "dsf"));

    ASSERT_TRUE(ended(run({in()}), 2, {"exists"}));
    ASSERT_TRUE(ended(run({in(), "--overwrite"}), 0));
    const std::string plain = readBytes(csv());
    const std::vector<std::string> plainLines = linesOf(plain);
    ASSERT_EQ(plainLines.size(), 3u);
    for (std::size_t row : {1u, 2u})
        EXPECT_TRUE(plainLines[row].ends_with(std::string(std::size_t(kLight + kMetadata), ','))) << plainLines[row];
    EXPECT_EQ(withoutLast(plain, kLight + kMetadata), withoutLast(lit, kLight + kMetadata));
}

TEST_F(LightRun, AFileWrittenBeforeTheLightColumnsIsContinuedOnlyWithoutTheSite)
{
    ASSERT_TRUE(ended(run({in()}), 0));
    const std::string full = readBytes(csv());
    const std::vector<std::string> lines = linesOf(full);
    ASSERT_EQ(lines.size(), 3u);
    for (const int missing : {kMetadata + kLight, canopy::kCsvAddedColumns}) {
        SCOPED_TRACE(missing);
        const std::string earlier = withoutLast(lines[0] + "\r\n" + lines[1] + "\r\n", missing);
        writeBytes(csv(), earlier);
        EXPECT_TRUE(ended(runLit({in(), "--resume"}), 2, {"was written before the light columns existed"}));
        EXPECT_EQ(readBytes(csv()), earlier);
        EXPECT_TRUE(ended(run({in(), "--resume"}), 0, {"1 measured, 1 skipped, 0 failed"}));
        EXPECT_EQ(readBytes(csv()), full);
    }
    // Written with light figures before the metadata columns: continued
    // with or without the site, the rows kept with those columns empty.
    ASSERT_TRUE(ended(runLit({in(), "--overwrite"}), 0));
    const std::string lit = readBytes(csv());
    const std::vector<std::string> litLines = linesOf(lit);
    ASSERT_EQ(litLines.size(), 3u);
    writeBytes(csv(), withoutLast(litLines[0] + "\r\n" + litLines[1] + "\r\n", kMetadata));
    EXPECT_TRUE(ended(runLit({in(), "--resume"}), 0, {"1 measured, 1 skipped, 0 failed"}));
    EXPECT_EQ(readBytes(csv()), lit);
    // Only the forms once written: not a file a column short of today's.
    const std::string cut = withoutLast(lines[0] + "\r\n", 1);
    writeBytes(csv(), cut);
    EXPECT_TRUE(ended(run({in(), "--resume"}), 2, {"is not a CSV of karwen-cli measure"}));
    EXPECT_EQ(readBytes(csv()), cut);
}

TEST_F(LightRun, ResumeRefusesOtherLightSettingsNamingTheColumn)
{
    ASSERT_TRUE(ended(runLit({in()}), 0));
    const std::string full = readBytes(csv());
    const std::vector<std::string> lines = linesOf(full);
    ASSERT_EQ(lines.size(), 3u);
    const std::string half = lines[0] + "\r\n" + lines[1] + "\r\n";
    const std::vector<std::string> site{"--site", "45,10", "--period", "2021-06-01..2021-06-03"};
    const struct {
        std::vector<std::string> options;
        const char* column;
    } cases[] = {
        {{"--site", "45.5,10", "--period", "2021-06-01..2021-06-03"}, "latitude"},
        {{"--site", "45,10", "--period", "2021-06-01..2021-06-04"}, "period"},
        {{"--top-azimuth", "10"}, "top_azimuth"},
        {{"--top-azimuth", "355", "--magnetic-declination", "5"}, "magnetic_declination"}, // the same true top
        {{"--sky-regions", "9x36"}, "sky_regions"},
        {{"--beam-fraction", "0.4"}, "beam_fraction"},
        {{"--beam-fraction", "erbs"}, "beam_fraction_model"},
        {{"--par-photons", "4.6"}, "par_photons"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.options;
        if (args[0] != "--site")
            args.insert(args.begin(), site.begin(), site.end());
        args.insert(args.end(), {in(), "--resume"});
        writeBytes(csv(), half);
        EXPECT_TRUE(ended(run(args), 2, {"was made with other settings: its column " + std::string(c.column) + " "}));
        EXPECT_EQ(readBytes(csv()), half) << c.column;
    }
    // Without the site a row with light figures is another run's too.
    EXPECT_TRUE(
        ended(run({in(), "--resume"}), 2, {"its column top_azimuth reads \"0.00\" where this run writes \"\""}));
    EXPECT_TRUE(ended(runLit({in(), "--resume"}), 0, {"1 measured, 1 skipped, 0 failed"}));
    EXPECT_EQ(readBytes(csv()), full);
}

TEST_F(LightRun, DaysHaveALineEachInListOrder)
{
    fs::copy_file(dir / "in" / "a.bmp", dir / "in" / "d, north.bmp");
    writeBytes(dir / "in" / "c.bmp", "BM not really a bitmap");
    ASSERT_TRUE(ended(runLit({"--light-daily", days(), "-j", "2", in()}), 1, {"3 measured, 1 failed"}));
    const std::string text = readBytes(days());
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
        ASSERT_TRUE(at > 0 && text[at - 1] == '\r') << "CR LF line ends";
    const auto daily = tableOf(text);
    const auto rows = tableOf(readBytes(csv()));
    ASSERT_EQ(rows.size(), 5u);
    ASSERT_EQ(daily.size(), 1u + 3 * 3) << text;
    EXPECT_EQ(linesOf(text)[0], "file,date,h0,above_total,dsf,tsf,below_total,below_par,direct_sun_hours");
    // a, b, then the name with a comma, written as the CSV writes it; c has
    // an error and no days.
    for (const std::size_t photo : {0u, 1u, 2u}) {
        for (const std::size_t day : {0u, 1u, 2u}) {
            const std::size_t line = 1 + 3 * photo + day;
            EXPECT_EQ(daily[line][0], rows[photo < 2 ? photo + 1 : 4][0]);
            EXPECT_EQ(fieldOf(daily, line, "date"), "2021-06-0" + std::to_string(day + 1));
        }
    }
    EXPECT_TRUE(has(text, "\r\n\"" + in("d, north.bmp") + "\",2021-06-01,"));
    EXPECT_FALSE(has(text, in("c.bmp")));

    // The second day is the figures of that day as a period of its own.
    const auto oneDay = [&] {
        EXPECT_TRUE(ended(run({"--site", "45,10", "--period", "2021-06-02", "--overwrite", in("b.bmp")}), 0));
        return tableOf(readBytes(csv()));
    }();
    for (const char* name : {"h0", "above_total", "dsf", "tsf", "below_total", "below_par", "direct_sun_hours"})
        EXPECT_EQ(fieldOf(daily, 5, name), fieldOf(oneDay, 1, name)) << name;
}

TEST_F(LightRun, TheDaysFileIsKeptAsTheCsvIs)
{
    ASSERT_TRUE(ended(runLit({"--light-daily", days(), in()}), 0));
    const std::string ours = readBytes(days());
    fs::remove(csv());
    EXPECT_TRUE(ended(runLit({"--light-daily", days(), in()}), 2,
        {"--light-daily: \"" + days() + "\" exists; --overwrite replaces a file of days of karwen-cli measure"}));
    EXPECT_EQ(readBytes(days()), ours);
    EXPECT_FALSE(fs::exists(csv())) << "nothing is written";

    const std::string other = "plot,lai\r\n1,2.5\r\n";
    for (const char* option : {"--overwrite", "--resume"}) {
        writeBytes(days(), other);
        EXPECT_TRUE(ended(runLit({"--light-daily", days(), option, in()}), 2, {"is not a file of days"}));
        EXPECT_EQ(readBytes(days()), other) << option;
    }
    writeBytes(days(), crlf(linesOf(ours)[0]) + "stale,2020-01-01,,,,,,,\r\n");
    EXPECT_TRUE(ended(runLit({"--light-daily", days(), "--overwrite", in()}), 0));
    EXPECT_EQ(readBytes(days()), ours);

    EXPECT_TRUE(ended(runLit({"--light-daily", csv(), "--overwrite", in()}), 2, {"is the --csv file too"}));
    EXPECT_TRUE(ended(runLit({"--light-daily", in("a.bmp"), "--overwrite", in()}), 2, {"is the photo"}));
}

TEST_F(LightRun, ResumeKeepsTheDaysOfThePhotosTheCsvKeeps)
{
    ASSERT_TRUE(ended(runLit({"--light-daily", days(), in()}), 0));
    const std::string fullCsv = readBytes(csv()), fullDays = readBytes(days());
    const std::vector<std::string> rows = linesOf(fullCsv), lines = linesOf(fullDays);
    ASSERT_EQ(lines.size(), 7u);

    // A killed run: a's row and days, b's days begun without its row; the
    // row and days of a photo of another list, and days without a row.
    const auto elsewhere = [&](const std::string& line, const std::string& name) {
        return crlf("/elsewhere/" + name + line.substr(line.find(',')));
    };
    const std::string keptCsv = crlf(rows[0]) + crlf(rows[1]) + elsewhere(rows[1], "x.bmp");
    const std::string otherDays
        = elsewhere(lines[1], "x.bmp") + elsewhere(lines[2], "x.bmp") + elsewhere(lines[3], "x.bmp");
    writeBytes(csv(), keptCsv);
    writeBytes(days(),
        crlf(lines[0]) + crlf(lines[1]) + crlf(lines[2]) + crlf(lines[3]) + otherDays + crlf(lines[4]) + crlf(lines[5])
            + elsewhere(lines[1], "y.bmp"));
    EXPECT_TRUE(ended(runLit({"--light-daily", days(), "--resume", in()}), 0,
        {"[1/1] measured " + in("b.bmp"), "1 measured, 1 skipped, 0 failed"}));
    EXPECT_EQ(readBytes(csv()), fullCsv + elsewhere(rows[1], "x.bmp"));
    EXPECT_EQ(readBytes(days()), fullDays + otherDays);

    // The days of a photo the CSV keeps cannot be made again: a file
    // lacking them, or none, is refused.
    for (const bool file : {true, false}) {
        writeBytes(csv(), keptCsv);
        fs::remove(days());
        const std::string lacking = crlf(lines[0]) + crlf(lines[1]) + crlf(lines[2]);
        if (file)
            writeBytes(days(), lacking);
        EXPECT_TRUE(ended(runLit({"--light-daily", days(), "--resume", in()}), 2,
            {"holds " + std::string(file ? "2" : "0") + " days of " + in("a.bmp") + ", not the 3"}));
        EXPECT_EQ(readBytes(csv()), keptCsv);
        EXPECT_EQ(fs::exists(days()) ? readBytes(days()) : "", file ? lacking : "");
    }
}

} // namespace
