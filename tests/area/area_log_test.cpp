#include "area_log.h"

#include "area_test_support.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <ctime>
#include <string>

using namespace karwen;
using karwen::test::AreaTest;
using karwen::test::readBytes;
using karwen::test::ScratchFolder;
using karwen::test::writeBytes;

namespace {

// Lines 2 to 19 of the entry for the counts used below: classes 2 to 13
// hold no dot.
const std::string kEntryBody = [] {
    std::string body = "(/photos/forest.jpg)\r\nEquidistant\r\n00  85.0%\r\n01  12.5%\r\n";
    for (const char* empty : {"02", "03", "04", "05", "06", "07", "08", "09", "10", "11", "12", "13"})
        body += std::string(empty) + "   0.0%\r\n";
    return body + "14   2.4%\r\n15   0.1%\r\n";
}();

std::size_t lineCount(const std::string& text)
{
    std::size_t lines = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2))
        ++lines;
    return lines;
}

// The text after the first line of each 19-line entry.
std::string withoutFirstLine(const std::string& entry) { return entry.substr(entry.find("\r\n") + 2); }

// "YYYY-MM-DD HH:MM:SS"
bool isDateTime(const std::string& text)
{
    const std::string shape = "dddd-dd-dd dd:dd:dd";
    if (text.size() != shape.size())
        return false;
    for (std::size_t i = 0; i < shape.size(); ++i)
        if (shape[i] == 'd' ? !std::isdigit(static_cast<unsigned char>(text[i])) : text[i] != shape[i])
            return false;
    return true;
}

} // namespace

class AreaLog : public AreaTest {
protected:
    void SetUp() override
    {
        AreaTest::SetUp();
        SrcFile = "/photos/forest.jpg";
        DstPrm.Proj = kEquidistant;
        ClassCount.fill(0);
        ClassCount[0] = 850;
        ClassCount[1] = 125;
        ClassCount[14] = 24;
        ClassCount[15] = 1;
    }
    ScratchFolder folder_;
};

// The entry's nineteen lines: the time, the destination's path where one
// was saved (else the source's), the projection's name (none for a code
// that names none) and every class's share.
TEST_F(AreaLog, EntryIsNineteenExactLines)
{
    AreaLogEntry entry = currentAreaLogEntry();
    entry.when = "2026-12-06 13:05:09";
    EXPECT_EQ(formatAreaLogEntry(entry), std::string("2026-12-06 13:05:09\r\n") + kEntryBody);

    DstFile = "/out/converted.bmp";
    DstPrm.Proj = kPerspective;
    resetAreaCounts();
    const std::string text = formatAreaLogEntry(currentAreaLogEntry());
    EXPECT_NE(text.find("\r\n/out/converted.bmp\r\nPerspective\r\n00 100.0%\r\n01   0.0%\r\n"), std::string::npos);
    DstPrm.Proj = 9;
    EXPECT_EQ(currentAreaLogEntry().projName, "");
}

TEST_F(AreaLog, DateAndTimeAreIsoLikeLocalTime)
{
    const char* oldTz = std::getenv("TZ");
    const std::string saved = oldTz ? oldTz : "";
    setenv("TZ", "UTC0", 1);
    tzset();
    // 2026-12-06 13:05:09 UTC.
    const auto when = std::chrono::system_clock::from_time_t(1796562309);
    const std::string text = logDateTimeText(when);
    if (oldTz)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
    EXPECT_EQ(text, "2026-12-06 13:05:09");
    EXPECT_TRUE(isDateTime(logDateTimeText(std::chrono::system_clock::now())));
}

TEST_F(AreaLog, TwoLogsDifferOnlyInTheirFirstLines)
{
    const auto log = areaLogPath(folder_.path());
    EXPECT_EQ(log.filename(), "KARWEN.LOG");
    ASSERT_TRUE(appendAreaLog(log, currentAreaLogEntry()));
    ASSERT_TRUE(appendAreaLog(log, currentAreaLogEntry()));
    const std::string text = readBytes(log);
    ASSERT_EQ(lineCount(text), 38u);
    const std::size_t half = text.size() / 2;
    EXPECT_EQ(withoutFirstLine(text.substr(0, half)), kEntryBody);
    EXPECT_EQ(withoutFirstLine(text.substr(half)), kEntryBody);
    EXPECT_TRUE(isDateTime(text.substr(0, text.find("\r\n"))));
}

// Clear makes a missing log, keeps the entries of a log that holds any in
// one backup beside it, replaced at each such Clear; clearing an empty log
// never empties the backup; the next entry is then the log's only one.
TEST_F(AreaLog, ClearKeepsTheEntriesInOneBackup)
{
    const auto log = areaLogPath(folder_.path());
    const auto backup = areaLogBackupPath(log);
    EXPECT_EQ(backup.filename(), "KARWEN.LOG~");
    ASSERT_EQ(clearAreaLog(log), LogClearing::NothingToKeep);
    EXPECT_TRUE(std::filesystem::exists(log));
    EXPECT_EQ(std::filesystem::file_size(log), 0u);
    EXPECT_FALSE(std::filesystem::exists(backup));
    writeBytes(log, "first\r\n");
    ASSERT_EQ(clearAreaLog(log), LogClearing::Kept);
    EXPECT_EQ(readBytes(backup), "first\r\n");
    writeBytes(log, "old entries\r\nmore\r\n");
    ASSERT_EQ(clearAreaLog(log), LogClearing::Kept);
    EXPECT_EQ(readBytes(backup), "old entries\r\nmore\r\n");
    EXPECT_EQ(readBytes(log), "");
    ASSERT_EQ(clearAreaLog(log), LogClearing::NothingToKeep);
    EXPECT_EQ(readBytes(backup), "old entries\r\nmore\r\n");
    ASSERT_TRUE(appendAreaLog(log, currentAreaLogEntry()));
    const std::string text = readBytes(log);
    EXPECT_EQ(lineCount(text), 19u);
    EXPECT_EQ(withoutFirstLine(text), kEntryBody);
}

TEST_F(AreaLog, UnwritableLogIsReported)
{
    const auto missingFolder = areaLogPath(folder_ / "missing");
    EXPECT_FALSE(appendAreaLog(missingFolder, currentAreaLogEntry()));
    EXPECT_EQ(clearAreaLog(missingFolder), LogClearing::Failed);
    // A folder where the log should be.
    std::filesystem::create_directory(folder_ / "KARWEN.LOG");
    EXPECT_FALSE(appendAreaLog(areaLogPath(folder_.path()), currentAreaLogEntry()));
    EXPECT_EQ(clearAreaLog(areaLogPath(folder_.path())), LogClearing::Failed);
}
