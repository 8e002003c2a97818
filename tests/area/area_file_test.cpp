// Area files: the round trip, the separators read, short and broken files
// refused without a change, failed saves leaving the old file; and the
// log of measured shares, its entries, backup and failures.
#include "area_file.h"
#include "area_log.h"
#include "area_test_support.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <ctime>
#include <random>
#include <sstream>
#include <string>

using namespace karwen;
using namespace karwen::test;

#ifdef __unix__
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

std::string freshFile(const std::string& firstLine = "0,1000")
{
    std::string text = firstLine + "\r\n";
    for (int n = 0; n < kDotCount; ++n)
        text += "0\r\n";
    return text;
}

// Some measurement worth keeping: random classes with matching counts.
void paintRandomly(unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> cls(0, 15);
    for (int n = 1; n <= kDotCount; ++n)
        DotClass[static_cast<std::size_t>(n)] = static_cast<int16_t>(cls(random));
    ClassCount = countsFromDots();
}

} // namespace

class AreaFile : public AreaTest {
protected:
    ScratchFolder folder_;
};

TEST_F(AreaFile, RoundTripKeepsClassesCountsTagAndBytes)
{
    const auto file = folder_ / "round.area";
    paintRandomly(7);
    AreaFileTag = -123;
    const MeasurementSnapshot saved;
    ASSERT_TRUE(SaveAreaData(file));
    const std::string bytes = readBytes(file);

    resetAreaCounts();
    AreaFileTag = 0;
    LastLbl = 4;
    ASSERT_TRUE(LoadAreaData(file));
    EXPECT_EQ(MeasurementSnapshot{}, saved); // LastLbl is -1 again as well
    for (int k = 0; k < kAreaClassCount; ++k)
        EXPECT_EQ(ClassPercentText(ClassCount[static_cast<std::size_t>(k)]),
            ClassPercentText(saved.classCount[static_cast<std::size_t>(k)]));

    const auto again = folder_ / "again.area";
    ASSERT_TRUE(SaveAreaData(again));
    EXPECT_EQ(readBytes(again), bytes);
}

// The save after start-up, over an older file: the fresh measurement, and
// no other file left beside it.
TEST_F(AreaFile, SaveReplacesAnOlderFile)
{
    const auto file = folder_ / "old.area";
    writeBytes(file, "something else entirely");
    ASSERT_TRUE(SaveAreaData(file));
    EXPECT_EQ(readBytes(file), freshFile());
    EXPECT_EQ(folder_.entries(), std::vector<std::string>{"old.area"});
}

// Separators the reader accepts besides the program's own layout.
TEST_F(AreaFile, ReaderAcceptsCommasLineEndsAndBlanks)
{
    std::string lines = "3\n1000\n";
    std::string commas = " 3 , 1000";
    std::string mixed = "+3,1000\r";
    for (int n = 1; n <= kDotCount; ++n) {
        const std::string c = std::to_string(n % 16);
        lines += c + "\n";
        commas += ", " + c + "\t";
        mixed += c + (n % 3 == 0 ? "," : n % 3 == 1 ? "\r" : "\r\n");
    }
    for (const std::string& text : {lines, commas, mixed, "\xEF\xBB\xBF" + lines}) {
        std::istringstream in(text);
        const auto data = parseAreaData(in);
        ASSERT_TRUE(data.has_value()) << text.substr(0, 20);
        EXPECT_EQ(data->tag, 3);
        EXPECT_EQ(data->count, 1000);
        EXPECT_EQ(data->dotClass[17], 1);
        EXPECT_EQ(data->dotClass[1000], 1000 % 16);
    }
}

TEST_F(AreaFile, ShortFileSetsOnlyItsDotsAndCountsThem)
{
    paintRandomly(11);
    const auto before = DotClass;
    const auto file = folder_ / "short.area";
    writeBytes(file, "0,3\r\n5\r\n0\r\n15\r\n");
    ASSERT_TRUE(LoadAreaData(file));
    EXPECT_EQ(DotClass[1], 5);
    EXPECT_EQ(DotClass[2], 0);
    EXPECT_EQ(DotClass[3], 15);
    for (std::size_t n = 4; n <= kDotCount; ++n)
        ASSERT_EQ(DotClass[n], before[n]) << n;
    EXPECT_EQ(ClassCount[0], 1);
    EXPECT_EQ(ClassCount[5], 1);
    EXPECT_EQ(ClassCount[15], 1);
    EXPECT_EQ(classCountSum(), 3);
}

// Every broken file is refused and leaves the measurement exactly as it was.
struct BrokenFile {
    const char* name;
    std::string bytes;
};

class AreaFileBroken : public AreaFile, public ::testing::WithParamInterface<BrokenFile> { };

TEST_P(AreaFileBroken, LoadFailsAndKeepsTheMeasurement)
{
    paintRandomly(3);
    AreaFileTag = 9;
    LastLbl = 2;
    const MeasurementSnapshot before;
    const auto file = folder_ / "broken.area";
    writeBytes(file, GetParam().bytes);
    EXPECT_FALSE(LoadAreaData(file));
    EXPECT_EQ(MeasurementSnapshot{}, before);
}

std::string withLine(int dot, const std::string& text)
{
    std::string bytes = "0,1000\r\n";
    for (int n = 1; n <= kDotCount; ++n)
        bytes += (n == dot ? text : "1") + "\r\n";
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(Malformed, AreaFileBroken,
    ::testing::Values(BrokenFile{"class16", withLine(500, "16")}, BrokenFile{"classMinus1", withLine(1, "-1")},
        BrokenFile{"text", withLine(1000, "abc")}, BrokenFile{"fraction", withLine(2, "1.5")},
        BrokenFile{"twoOnALine", withLine(3, "1 2")}, BrokenFile{"emptyLine", withLine(4, "")},
        BrokenFile{"hugeClass", withLine(5, "99999999999999999999")},
        BrokenFile{"short", freshFile().substr(0, 8 + 3 * 600)},
        BrokenFile{"countAbove1000", "0,1001\r\n" + freshFile().substr(8) + "0\r\n"},
        BrokenFile{"negativeCount", "0,-1\r\n"}, BrokenFile{"tagBeyond16Bits", freshFile("32768,1000")},
        BrokenFile{"noCount", "0\r\n"}, BrokenFile{"empty", ""}, BrokenFile{"textHeader", "area,1000\r\n"},
        BrokenFile{"binary", std::string("\0\1\2\3", 4)}),
    [](const auto& test) { return std::string(test.param.name); });

// Paths that name no file: a load keeps the measurement, a save leaves no
// file behind.
TEST_F(AreaFile, PathsWithoutAFileAreRefused)
{
    paintRandomly(5);
    const MeasurementSnapshot before;
    EXPECT_FALSE(LoadAreaData(folder_ / "missing.area"));
    EXPECT_FALSE(LoadAreaData(folder_.path()));
    EXPECT_FALSE(LoadAreaData(""));
    EXPECT_EQ(MeasurementSnapshot{}, before);

    EXPECT_FALSE(SaveAreaData(folder_ / "no" / "such" / "folder.area"));
    std::filesystem::create_directory(folder_ / "taken.area");
    EXPECT_FALSE(SaveAreaData(folder_ / "taken.area"));
    EXPECT_TRUE(std::filesystem::is_directory(folder_ / "taken.area"));
    EXPECT_FALSE(SaveAreaData(""));
    EXPECT_EQ(folder_.entries(), std::vector<std::string>{"taken.area"});
}

#ifdef __unix__
// A write that runs out of room half-way (here: a file size limit, which
// holds for every user) must leave the old file intact.
TEST_F(AreaFile, FailedWriteKeepsTheOldFile)
{
    const auto file = folder_ / "keep.area";
    writeBytes(file, freshFile("5,1000"));
    paintRandomly(13);

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 1024;
    auto* const oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool ok = SaveAreaData(file);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(ok);
    EXPECT_EQ(readBytes(file), freshFile("5,1000"));
    EXPECT_EQ(folder_.entries(), std::vector<std::string>{"keep.area"});
}
#endif

TEST(proposedAreaFileName, LastAreaFileThenDestinationThenSource)
{
    struct Case {
        std::string area, dst, src, proposal;
    };
    const Case cases[] = {
        {"/m/last.area", "/m/out.bmp", "/m/in.jpg", "/m/last.area"},
        {"", "/m/out.bmp", "/m/in.jpg", "/m/out.area"},
        {"", "", "/m/in.jpg", "/m/in.area"},
        {"", "", R"(C:\Bilder\wald ä.JPG)", R"(C:\Bilder\wald ä.area)"},
        {"", "", "/m/noext", "/m/noext.area"},
        {"", "", "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(proposedAreaFileName(c.area, c.dst, c.src), c.proposal) << c.src;
}

namespace {

// Lines 2 to 19 of the entry for the counts used below: classes 2 to 13
// hold no dot.
const std::string kEntryBody = [] {
    std::string body = "(/photos/forest.jpg)\r\nEquidistant\r\n00  85.0%\r\n01  12.5%\r\n";
    for (const char* empty : {"02", "03", "04", "05", "06", "07", "08", "09", "10", "11", "12", "13"})
        body += std::string(empty) + "   0.0%\r\n";
    return body + "14   2.4%\r\n15   0.1%\r\n";
}();

// The text after the first line of each 19-line entry.
std::string withoutFirstLine(const std::string& entry) { return entry.substr(entry.find("\r\n") + 2); }

// "YYYY-MM-DD HH:MM:SS". Matched by hand: GCC 12 warns inside <regex>
// under the sanitizers, and the warnings are errors.
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
    // Two first lines, each followed by the same 18.
    const std::string text = readBytes(log);
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
    EXPECT_EQ(withoutFirstLine(readBytes(log)), kEntryBody);
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
