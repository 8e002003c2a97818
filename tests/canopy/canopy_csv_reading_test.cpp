// Reading back the CSV lines: names of any bytes survive csvText and
// rawText, quoted fields split where the writer put them, and only the
// figures' header for some number of rings counts as ours.
#include "canopy_csv.h"
#include "canopy_csv_reading.h"
#include "canopy_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace karwen::canopy {
namespace {

TEST(CsvReading, NamesOfAnyBytesReadBack)
{
    struct Case {
        std::string raw;
        std::string written;
    };
    const Case cases[] = {
        {"/photos/plot 1/a.jpg", "/photos/plot 1/a.jpg"},
        {"/f\xC3\xB6rst/\xE6\x9C\xA8.jpg", "/f\xC3\xB6rst/\xE6\x9C\xA8.jpg"}, // valid UTF-8 stays
        {"/bad\xFF.jpg", "/bad\\xFF.jpg"},
        {"/latin1-f\xF6rst.jpg", "/latin1-f\\xF6rst.jpg"},
        {"/cut\xE6\x9C.jpg", "/cut\\xE6\\x9C.jpg"},          // a sequence cut short
        {"/long\xC0\xAF.jpg", "/long\\xC0\\xAF.jpg"},        // an overlong form
        {"/sur\xED\xA0\x80.jpg", "/sur\\xED\\xA0\\x80.jpg"}, // a surrogate
        {"a\\xFF\\b", "a\\\\xFF\\\\b"},                      // real backslashes, doubled
        {"line\nbreak\r\x7F", "line\\x0Abreak\\x0D\\x7F"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(csvText(c.raw), c.written) << c.raw;
        EXPECT_EQ(rawText(csvText(c.raw)), c.raw) << c.raw;
    }
    std::string everyByte;
    for (int b = 0; b < 256; ++b)
        everyByte += char(b);
    everyByte += everyByte;
    EXPECT_EQ(rawText(csvText(everyByte)), everyByte);
    EXPECT_EQ(csvText(everyByte).find_first_of("\r\n"), std::string::npos);
}

TEST(CsvReading, FieldsSplitWhereTheWriterPutThem)
{
    const std::vector<std::string> fields{"/a, \"b\".jpg", "", "x\"y", "plain", ","};
    std::string line;
    for (const std::string& f : fields) {
        if (&f != &fields.front())
            line += ',';
        line += csvField(f);
    }
    EXPECT_EQ(csvFields(line), fields);
    EXPECT_EQ(csvFields(""), std::vector<std::string>{""});
    EXPECT_FALSE(csvFields("\"open,field"));
    EXPECT_FALSE(csvFields("\"closed\"tail,x"));
}

TEST(CsvReading, OnlyTheFiguresHeaderIsOurs)
{
    for (const int rings : {1, 5, kMaxRings}) {
        EXPECT_EQ(csvHeaderRings(csvHeader(rings)), rings);
        EXPECT_EQ(csvHeaderRings("\xEF\xBB\xBF" + csvHeader(rings) + "\r"), rings); // the window's export
    }
    EXPECT_FALSE(csvHeaderRings(csvHeader(kMaxRings + 1)));
    EXPECT_FALSE(csvHeaderRings(csvHeader(5) + ",notes"));
    EXPECT_FALSE(csvHeaderRings("plot,lai,notes"));
    EXPECT_FALSE(csvHeaderRings("\xFF\xD8\xFF\xE0"));
    EXPECT_FALSE(csvHeaderRings(""));
}

} // namespace
} // namespace karwen::canopy
