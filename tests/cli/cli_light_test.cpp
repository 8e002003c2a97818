// The light columns of karwen-cli measure: filled with plausible figures
// with --site and --period and empty without them, the columns before them
// unchanged; the same figures whatever the tilt of an axial view; the beam's
// figures empty in a polar night; a file written before the light columns
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

TEST_F(LightRun, ColumnsHoldPlausibleFiguresAndStayEmptyWithoutTheSite)
{
    ASSERT_TRUE(ended(runLit({in()}), 0));
    const std::string lit = readBytes(csv());
    const auto table = tableOf(lit);
    ASSERT_EQ(table.size(), 3u) << lit;
    EXPECT_EQ(linesOf(lit)[0], canopy::csvHeader(5));
    for (std::size_t row : {1u, 2u}) {
        SCOPED_TRACE(row);
        EXPECT_EQ(fieldOf(table, row, "top_azimuth"), "0.00");
        EXPECT_EQ(fieldOf(table, row, "latitude"), "45");
        EXPECT_EQ(fieldOf(table, row, "period"), "2021-06-01..2021-06-03");
        EXPECT_EQ(fieldOf(table, row, "sky_regions"), "18x72");
        EXPECT_EQ(fieldOf(table, row, "beam_fraction_model"), "fixed");
        // Early June at 45 degrees north: about 41.3 MJ/m2 above the
        // atmosphere and 15.2 hours of sun a day.
        const double h0 = numberOf(table, row, "h0");
        EXPECT_NEAR(h0, 41.3, 0.5);
        EXPECT_NEAR(numberOf(table, row, "sun_hours"), 15.2, 0.3);
        EXPECT_NEAR(numberOf(table, row, "above_total"), 0.5 * h0, 1e-5);
        EXPECT_NEAR(numberOf(table, row, "above_direct") + numberOf(table, row, "above_diffuse"), 0.5 * h0, 1e-5);
        for (const char* factor : {"dsf", "isf", "tsf"}) {
            EXPECT_GT(numberOf(table, row, factor), 0.05) << factor; // the photo holds sky
            EXPECT_LT(numberOf(table, row, factor), 0.95) << factor; // and leaves
        }
        EXPECT_NEAR(numberOf(table, row, "trans_total"), 100 * numberOf(table, row, "tsf"), 1e-4);
        EXPECT_LT(numberOf(table, row, "below_total"), numberOf(table, row, "above_total"));
        EXPECT_LT(numberOf(table, row, "direct_sun_hours"), numberOf(table, row, "sun_hours"));
        EXPECT_EQ(fieldOf(table, row, "diffuse_coverage"), "1.000000"); // the whole sky on the photo
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

TEST_F(LightRun, TheTiltOfAnAxialViewLeavesTheFiguresTheTopsAzimuthTurnsThem)
{
    const auto lightOf = [&](const std::vector<std::string>& options) {
        std::vector<std::string> args = options;
        args.push_back(in("a.bmp"));
        EXPECT_TRUE(ended(runLit(args), 0));
        const auto table = tableOf(readBytes(csv()));
        std::filesystem::remove(csv());
        return table.size() == 2 ? std::vector(table[1].end() - kMetadata - kLight, table[1].end() - kMetadata)
                                 : std::vector<std::string>{};
    };
    const std::vector<std::string> level = lightOf({"--tilt", "0"});
    ASSERT_EQ(level.size(), std::size_t(kLight));
    EXPECT_EQ(lightOf({"--tilt", "30"}), level);
    EXPECT_EQ(lightOf({"--tilt", "-90"}), level);
    // The check the tilt leaves alone is one the orientation moves.
    std::vector<std::string> turned = lightOf({"--top-azimuth", "90"});
    ASSERT_EQ(turned.size(), level.size());
    EXPECT_EQ(turned[0], "90.00");
    EXPECT_NE(std::vector(turned.begin() + 1, turned.end()), std::vector(level.begin() + 1, level.end()));
}

TEST_F(LightRun, APolarNightLeavesTheBeamsFiguresEmpty)
{
    ASSERT_TRUE(
        ended(run({"--site", "80,15", "--period", "2021-12-10..2021-12-11", "--light-daily", days(), in()}), 0));
    const auto table = tableOf(readBytes(csv()));
    ASSERT_EQ(table.size(), 3u);
    for (std::size_t row : {1u, 2u}) {
        for (const char* empty : {"dsf", "tsf", "trans_direct", "trans_total", "beam_coverage"})
            EXPECT_EQ(fieldOf(table, row, empty), "") << empty;
        const double isf = numberOf(table, row, "isf");
        EXPECT_TRUE(isf > 0.05 && isf < 0.95) << isf;
        EXPECT_NEAR(numberOf(table, row, "trans_diffuse"), 100 * isf, 1e-4);
        for (const char* zero : {"h0", "above_total", "below_total", "sun_hours", "direct_sun_hours"})
            EXPECT_EQ(fieldOf(table, row, zero), "0.000000") << zero;
    }
    const auto daily = tableOf(readBytes(days()));
    ASSERT_EQ(daily.size(), 5u);
    for (std::size_t row = 1; row < daily.size(); ++row) {
        EXPECT_EQ(fieldOf(daily, row, "dsf"), "");
        EXPECT_EQ(fieldOf(daily, row, "tsf"), "");
        EXPECT_EQ(fieldOf(daily, row, "h0"), "0.000000");
    }
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
        {{"--site", "45,10.5", "--period", "2021-06-01..2021-06-03"}, "longitude"},
        {{"--site", "45,10,300", "--period", "2021-06-01..2021-06-03"}, "elevation"},
        {{"--site", "45,10", "--period", "2021-06-01..2021-06-04"}, "period"},
        {{"--top-azimuth", "10"}, "top_azimuth"},
        {{"--top-azimuth", "355", "--magnetic-declination", "5"}, "magnetic_declination"}, // the same true top
        {{"--mirrored"}, "mirrored"},
        {{"--utc-offset", "1"}, "utc_offset"},
        {{"--time-step", "5"}, "time_step"},
        {{"--sky", "soc"}, "sky"},
        {{"--sky-regions", "9x36"}, "sky_regions"},
        {{"--kt", "0.6"}, "kt"},
        {{"--beam-fraction", "0.4"}, "beam_fraction"},
        {{"--beam-fraction", "erbs"}, "beam_fraction_model"},
        {{"--clear-sky-transmission", "0.7"}, "clear_sky_transmission"},
        {{"--solar-constant", "1361"}, "solar_constant"},
        {{"--par-fraction", "0.4"}, "par_fraction"},
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
