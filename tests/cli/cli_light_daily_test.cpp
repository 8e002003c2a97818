// The file of each day's figures (--light-daily): one line per photo and
// day in list order, each day the figures of a one-day period, none for a
// photo with an error; kept from being replaced as the CSV is; continued
// with the days of the photos the CSV keeps, and refused when those lack a
// day.
#include "cli_light_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace karwen;
using namespace karwen::test;

namespace {

std::string crlf(const std::string& line) { return line + "\r\n"; }

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
