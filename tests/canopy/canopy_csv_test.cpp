// The CSV lines of canopy figures: quoting, a measured and a failed photo's
// row read back column by column under their header, the circle's origin
// and the dots off the photo at the end, no "-0.00", and appending only
// below the same header without ever leaving half a line. Reading them
// back: names of any bytes survive csvText and rawText, quoted fields split
// where the writer put them.
#include "canopy_csv.h"
#include "canopy_csv_reading.h"
#include "canopy_settings.h"
#include "csv_columns.h"

#include "../common/scratch_folder.h"
#include "projection_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace karwen::canopy {
namespace {

TEST(CanopyCsv, FieldsAreQuotedOnlyWhenTheyMustBe)
{
    const struct {
        std::string text, field;
    } cases[] = {
        {"plain.jpg", "plain.jpg"},
        {"", ""},
        {" blanks kept ", " blanks kept "},
        {"plot 3, north.jpg", "\"plot 3, north.jpg\""},
        {"say \"sky\"", "\"say \"\"sky\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"carriage\rreturn", "\"carriage\rreturn\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(csvField(c.text), c.field) << c.text;
}

TEST(CanopyCsv, RowsReadBackUnderTheirHeader)
{
    initProjectionNames();
    const CanopySettings settings{.channel = Channel::Luma, .method = ThresholdMethod::Ridler, .rings = 3};
    PixelFigures pixels;
    pixels.threshold = 131;
    pixels.openness = 0.41234567;
    pixels.difn = 0.25;
    pixels.le = 1.5;
    pixels.l = 2.0;
    pixels.lx = 0.75;
    pixels.ringGap = {0.9, NAN, 1e-7};
    pixels.coveredShare = 0.95;
    pixels.partial = true;
    DotFigures dots;
    dots.openness = {0.4, 0.37, 0.43};
    dots.effectiveDots = 812.34;
    const ProjectionRecord source{249.4, 250.555, 240.8, 10, -5, 0, kEquisolidangle};
    PixelFigures badCircle;
    badCircle.status = PixelStatus::BadRecord;
    DotFigures noDots;
    noDots.status = DotStatus::Unavailable;

    const struct {
        const char* name;
        CanopyRow row;
        std::map<std::string, std::string> expected; // every other column empty
    } cases[] = {
        {"measured, no le from the dots",
            canopyRow("/plots/plot 3, north.jpg", settings, source, nullptr, pixels, kOrthographic, dots),
            {{"file", "/plots/plot 3, north.jpg"}, {"projection", "Equisolidangle"}, {"cx", "249.40"}, {"cy", "250.56"},
                {"r", "240.80"}, {"alpha", "10.00"}, {"beta", "-5.00"}, {"rot", "0.00"}, {"channel", "luma"},
                {"gamma", "2.2"}, {"method", "ridler"}, {"threshold", "131"}, {"rings", "3"}, {"sectors", "8"},
                {"max_zenith", "75"}, {"openness", "0.412346"}, {"difn", "0.250000"}, {"le", "1.500000"},
                {"l", "2.000000"}, {"lx", "0.750000"}, {"saturated", "0"}, {"partial", "1"}, {"covered", "0.950000"},
                {"gf_1", "0.900000"}, {"gf_3", "0.000000"}, {"dots_projection", "Orthographic"},
                {"openness_dots", "0.400000"}, {"openness_dots_lo", "0.370000"}, {"openness_dots_hi", "0.430000"},
                {"dots_effective", "812.3"}, {"circle", "given"}, {"dots_outside", "0"}}},
        {"unreadable photo", failedRow("b.jpg", "cannot read \"b.jpg\", a folder", settings),
            {{"file", "b.jpg"}, {"error", "cannot read \"b.jpg\", a folder"}}},
        {"unusable circle", canopyRow("c.jpg", settings, source, nullptr, badCircle, kOrthographic, dots),
            {{"file", "c.jpg"}, {"error", describe(PixelStatus::BadRecord)}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& [name, value] : columnsOf(c.row)) {
            const auto expected = c.expected.find(name);
            EXPECT_EQ(value, expected == c.expected.end() ? "" : expected->second) << name;
        }
    }

    // A perspective destination keeps the pixel figures and names its
    // projection; the dot columns stay empty.
    const auto perspective = columnsOf(canopyRow("a.jpg", settings, source, nullptr, pixels, kPerspective, noDots));
    EXPECT_EQ(perspective.at("openness"), "0.412346");
    EXPECT_EQ(perspective.at("dots_projection"), "Perspective");
    for (const char* name :
        {"openness_dots", "openness_dots_hi", "le_dots", "dots_effective", "dots_saturated", "dots_outside"})
        EXPECT_EQ(perspective.at(name), "") << name;
    EXPECT_EQ(perspective.at("circle"), "given");
}

TEST(CanopyCsv, NewColumnsCloseTheHeaderAndCarryTheirValues)
{
    const std::string header = csvHeader(5);
    EXPECT_TRUE(header.starts_with("file,error,projection,cx,cy,r,alpha,beta,rot,")) << header;
    EXPECT_NE(header.find(",gf_5,dots_projection,openness_dots,openness_dots_lo,openness_dots_hi,le_dots,le_dots_lo,"
                          "le_dots_hi,dots_effective,dots_saturated,circle,dots_outside,lens,top_azimuth,"),
        std::string::npos)
        << header;

    DotFigures dots;
    dots.outside = 17;
    CanopyRow row = canopyRow(
        "a.jpg", {}, ProjectionRecord{250, 250, 240, 0, 0, 0, kEquidistant}, nullptr, {}, kEquisolidangle, dots);
    for (const auto& [origin, name] :
        {std::pair{CircleOrigin::Given, "given"}, std::pair{CircleOrigin::Detected, "detected"},
            std::pair{CircleOrigin::Window, "window"}, std::pair{CircleOrigin::Table, "table"}}) {
        row.circle = origin;
        const auto columns = columnsOf(row);
        EXPECT_EQ(columns.at("circle"), name);
        EXPECT_EQ(columns.at("dots_outside"), "17");
    }
    for (const auto& [method, name] : {std::pair{ThresholdMethod::Otsu, "otsu"}, {ThresholdMethod::Ridler, "ridler"},
             {ThresholdMethod::Minimum, "minimum"}, {ThresholdMethod::Edge, "edge"},
             {ThresholdMethod::Fixed, "fixed"}}) {
        row.settings.method = method;
        EXPECT_EQ(columnsOf(row).at("method"), name);
    }
    // A photo whose histogram has no valley for the Minimum method.
    PixelFigures noValley;
    noValley.status = PixelStatus::NoThreshold;
    EXPECT_EQ(canopyRow("b.jpg", {}, {}, nullptr, noValley, kEquisolidangle, dots).error,
        "no threshold found; give a fixed threshold");
}

TEST(CanopyCsv, NoFieldIsMinusZero)
{
    initProjectionNames();
    PixelFigures pixels;
    pixels.openness = -1e-9; // six decimals
    pixels.le = -0.0;
    pixels.ringGap = {-4e-7, -0.0, 0.5};
    DotFigures dots;
    dots.openness = {-1e-8, -0.0000004, 0.001};
    dots.effectiveDots = -0.04; // one decimal
    // Angles of -0.004 and -0.0049, a centre of -0.001: two decimals.
    const ProjectionRecord source{-0.001, 250, 240, -0.004, -0.0049, -0.0, kEquidistant};
    const CanopySettings settings{.gamma = -0.0, .rings = 3}; // gamma in its shortest form
    const auto columns = columnsOf(canopyRow("a.jpg", settings, source, nullptr, pixels, kEquisolidangle, dots));
    for (const auto& [name, value] :
        {std::pair{"cx", "0.00"}, {"beta", "0.00"}, {"gamma", "0"}, {"openness", "0.000000"}, {"gf_1", "0.000000"},
            {"openness_dots_lo", "0.000000"}, {"dots_effective", "0.0"}})
        EXPECT_EQ(columns.at(name), value) << name;
    for (const auto& [name, value] : columns)
        EXPECT_FALSE(value.starts_with("-0") && value.find_first_not_of("-0.") == std::string::npos)
            << name << " = " << value;
    // A value that does not round to zero keeps its sign.
    const ProjectionRecord tilted{250, 250, 240, -0.005001, -12.5, 0, kEquidistant};
    const auto signedColumns = columnsOf(canopyRow("a.jpg", settings, tilted, nullptr, pixels, kEquisolidangle, dots));
    EXPECT_EQ(signedColumns.at("alpha"), "-0.01");
    EXPECT_EQ(signedColumns.at("beta"), "-12.50");
}

// A ring without sky: the row carries the bound, as the window's table
// shows it, not the floor's value; no clumping index, no upper end of the
// dots' interval.
TEST(CanopyCsv, ASaturatedIndexIsWrittenAsItsBound)
{
    initProjectionNames();
    PixelFigures pixels;
    pixels.le = 12.696814;
    pixels.l = 13.1;
    pixels.lx = 0.97;
    pixels.saturated = true;
    pixels.leBound = FloorBound{6.4, {{1, -1}}};
    pixels.ringGap = {0.5, 0.0, 0.5};
    DotFigures dots;
    dots.le = Estimate{12.0, 7.5, 12.7};
    dots.saturated = true;
    dots.leBound = FloorBound{7.9, {{1, -1}}};
    const CanopySettings settings{.rings = 3};
    const ProjectionRecord source{250, 250, 240, 0, 0, 0, kEquidistant};
    auto columns = columnsOf(canopyRow("a.jpg", settings, source, nullptr, pixels, kEquisolidangle, dots));
    EXPECT_EQ(columns.at("le"), "6.400000");
    EXPECT_EQ(columns.at("l"), "13.100000"); // its sectors all saw sky: no bound
    EXPECT_EQ(columns.at("lx"), "");
    EXPECT_EQ(columns.at("saturated"), "1");
    EXPECT_EQ(columns.at("le_dots"), "7.900000");
    EXPECT_EQ(columns.at("le_dots_lo"), "7.500000");
    EXPECT_EQ(columns.at("le_dots_hi"), "");
    EXPECT_EQ(columns.at("dots_saturated"), "1");

    // A lower end above the bound comes down to it; unsaturated figures stand.
    dots.le->lo = 9.0;
    pixels.lBound = FloorBound{8.2, {{1, 0}}};
    columns = columnsOf(canopyRow("a.jpg", settings, source, nullptr, pixels, kEquisolidangle, dots));
    EXPECT_EQ(columns.at("le_dots_lo"), "7.900000");
    EXPECT_EQ(columns.at("l"), "8.200000");
    pixels = PixelFigures();
    pixels.le = 2.5;
    pixels.l = 3.0;
    pixels.lx = 0.8333;
    pixels.ringGap = {0.5, 0.2, 0.5};
    dots = DotFigures();
    dots.le = Estimate{2.0, 1.5, 2.5};
    columns = columnsOf(canopyRow("a.jpg", settings, source, nullptr, pixels, kEquisolidangle, dots));
    EXPECT_EQ(columns.at("le"), "2.500000");
    EXPECT_EQ(columns.at("lx"), "0.833300");
    EXPECT_EQ(columns.at("le_dots_hi"), "2.500000");
    EXPECT_EQ(columns.at("saturated"), "0");
}

TEST(CanopyCsv, AppendsOnlyBelowTheSameHeaderAndWhole)
{
    const std::string header = csvHeader(5);
    const std::string row = "new,row";
    const std::string bom = "\xEF\xBB\xBF";
    const struct {
        const char* name;
        std::optional<std::string> before; // nullopt: no file
        std::optional<std::string> after;  // nullopt: not written, file unchanged
        bool readOnly = false;
    } cases[] = {
        {"new file", std::nullopt, header + "\r\nnew,row\r\n"},
        {"empty file", "", header + "\r\nnew,row\r\n"},
        {"same header", header + "\r\nold\r\n", header + "\r\nold\r\nnew,row\r\n"},
        {"header alone", header, header + "\r\nnew,row\r\n"},
        {"LF line ends, last one missing", header + "\nold", header + "\nold\nnew,row\n"},
        {"byte order mark", bom + header + "\r\n", bom + header + "\r\nnew,row\r\n"},
        {"six rings", csvHeader(6) + "\r\nold\r\n", std::nullopt},
        {"another program's file", "a,b\r\n1,2\r\n", std::nullopt},
        {"header further down", "\r\n" + header + "\r\n", std::nullopt},
        {"read-only, for root too", header + "\r\n", std::nullopt, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const test::ScratchFolder folder;
        const std::filesystem::path file = folder / "canopy.csv";
        if (c.before)
            test::writeBytes(file, *c.before);
        if (c.readOnly)
            std::filesystem::permissions(file, std::filesystem::perms::owner_read);
        const CsvAppend result = appendCsvRow(file.string(), header, row);
        EXPECT_EQ(result.written, c.after.has_value());
        EXPECT_EQ(result.reason.empty(), c.after.has_value()) << result.reason;
        EXPECT_EQ(test::readBytes(file), c.after.value_or(c.before.value_or("")));
        EXPECT_EQ(folder.entries(), std::vector<std::string>{"canopy.csv"});
    }
    const test::ScratchFolder folder;
    EXPECT_FALSE(appendCsvRow(folder.path().string(), header, row).reason.empty());
}

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

} // namespace
} // namespace karwen::canopy
