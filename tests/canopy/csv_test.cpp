// The CSV lines of canopy figures read back column by column under their
// header, appended only below the same header and whole; names of any
// bytes; the lens and light columns, and the earlier headers still ours.
#include "../common/scratch_folder.h"
#include "canopy_csv.h"
#include "canopy_csv_reading.h"
#include "canopy_settings.h"
#include "projection_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace karwen::canopy {
namespace {

// A photo measured through the given source projection, its figures all zero.
CanopyRow measuredRow(int rings, int32_t projection)
{
    CanopyRow row;
    row.file = "a.jpg";
    row.settings.rings = rings;
    row.source = {250, 250, 240, 0, 0, 0, projection};
    row.pixels.emplace();
    row.dstProjection = kEquisolidangle;
    return row;
}

// A row's fields by the header's column names.
std::map<std::string, std::string> columnsOf(const CanopyRow& row)
{
    const auto names = csvFields(csvHeader(row.settings.rings)).value();
    const auto values = csvFields(csvRow(row)).value();
    EXPECT_EQ(values.size(), names.size());
    std::map<std::string, std::string> columns;
    for (std::size_t i = 0; i < names.size() && i < values.size(); ++i)
        columns[names[i]] = values[i];
    return columns;
}

using Columns = std::map<std::string, std::string>;

void expectColumns(const Columns& columns, std::initializer_list<std::pair<const char*, const char*>> expected)
{
    for (const auto& [name, value] : expected)
        EXPECT_EQ(columns.at(name), value) << name;
}

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
    expectColumns(columnsOf(canopyRow("a.jpg", settings, source, nullptr, pixels, kPerspective, noDots)),
        {{"openness", "0.412346"}, {"dots_projection", "Perspective"}, {"openness_dots", ""}, {"openness_dots_hi", ""},
            {"le_dots", ""}, {"dots_effective", ""}, {"dots_saturated", ""}, {"dots_outside", ""},
            {"circle", "given"}});
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
    expectColumns(columns,
        {{"cx", "0.00"}, {"beta", "0.00"}, {"gamma", "0"}, {"openness", "0.000000"}, {"gf_1", "0.000000"},
            {"openness_dots_lo", "0.000000"}, {"dots_effective", "0.0"}});
    for (const auto& [name, value] : columns)
        EXPECT_FALSE(value.starts_with("-0") && value.find_first_not_of("-0.") == std::string::npos)
            << name << " = " << value;
    // A value that does not round to zero keeps its sign.
    const ProjectionRecord tilted{250, 250, 240, -0.005001, -12.5, 0, kEquidistant};
    expectColumns(columnsOf(canopyRow("a.jpg", settings, tilted, nullptr, pixels, kEquisolidangle, dots)),
        {{"alpha", "-0.01"}, {"beta", "-12.50"}});
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
    // l: its sectors all saw sky, no bound.
    expectColumns(columnsOf(canopyRow("a.jpg", settings, source, nullptr, pixels, kEquisolidangle, dots)),
        {{"le", "6.400000"}, {"l", "13.100000"}, {"lx", ""}, {"saturated", "1"}, {"le_dots", "7.900000"},
            {"le_dots_lo", "7.500000"}, {"le_dots_hi", ""}, {"dots_saturated", "1"}});

    // A lower end above the bound comes down to it; unsaturated figures stand.
    dots.le->lo = 9.0;
    pixels.lBound = FloorBound{8.2, {{1, 0}}};
    expectColumns(columnsOf(canopyRow("a.jpg", settings, source, nullptr, pixels, kEquisolidangle, dots)),
        {{"le_dots_lo", "7.900000"}, {"l", "8.200000"}});
    dots = DotFigures();
    dots.le = Estimate{2.0, 1.5, 2.5};
    expectColumns(columnsOf(canopyRow("a.jpg", settings, source, nullptr, PixelFigures(), kEquisolidangle, dots)),
        {{"le_dots_hi", "2.500000"}});
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

// The header without its last `leftOut` columns.
std::string joinedPrefix(const std::string& header, int leftOut)
{
    std::string line = header;
    for (int i = 0; i < leftOut; ++i)
        line.erase(line.rfind(','));
    return line;
}

TEST(CsvLens, TheLensColumnNamesTheLensBeforeTheLightColumns)
{
    initProjectionNames();
    const std::string header = csvHeader(4);
    const std::string noLight(std::size_t(kCsvLightColumns + kCsvMetadataColumns), ',');
    EXPECT_NE(csvColumnNames().find(", dots_outside, lens, top_azimuth, "), std::string::npos) << csvColumnNames();

    CanopyRow throughLens = measuredRow(4, RixLensSource);
    throughLens.lensName = "poly:0.6,0.1";
    const std::string lensLine = csvRow(throughLens);
    EXPECT_TRUE(lensLine.starts_with("a.jpg,,lens,250.00,")) << lensLine;
    EXPECT_TRUE(lensLine.ends_with(",\"poly:0.6,0.1\"" + noLight)) << lensLine;
    const auto names = csvFields(header).value();
    const auto fields = csvFields(lensLine).value();
    ASSERT_EQ(fields.size(), names.size());
    EXPECT_EQ(fields[names.size() - std::size_t(kCsvAddedColumns)], "poly:0.6,0.1");

    const std::string idealLine = csvRow(measuredRow(4, kEquidistant));
    EXPECT_TRUE(idealLine.starts_with("a.jpg,,Equidistant,")) << idealLine;
    EXPECT_TRUE(idealLine.ends_with(",given,," + noLight)) << idealLine; // no dots, no lens, no light
    EXPECT_EQ(csvFields(idealLine)->size(), names.size());

    // A failed photo keeps its file and error alone, whatever the lens.
    CanopyRow failedThroughLens = failedRow("b.jpg", "unreadable", measuredRow(4, 0).settings);
    failedThroughLens.lensName = "my-lens";
    const std::string failed = csvRow(failedThroughLens);
    EXPECT_EQ(failed, "b.jpg,unreadable" + std::string(names.size() - 2, ','));
}

// Files were written without the metadata columns, before that without
// the light columns too, and before that without the lens column too; no
// other count of the columns added last was ever written.
TEST(CsvLens, OnlyTheHeadersOnceWrittenAreEarlierForms)
{
    for (const int rings : {1, 5, kMaxRings}) {
        const std::string current = csvHeader(rings);
        const int lightGone = kCsvMetadataColumns + kCsvLightColumns;
        const std::string withoutMetadata = current.substr(0, current.find(",datetime_original,"));
        const std::string withoutLight = current.substr(0, current.find(",top_azimuth,"));
        const std::string withoutLens = withoutLight.substr(0, withoutLight.rfind(','));
        ASSERT_TRUE(withoutLens.ends_with(",dots_outside")) << withoutLens;
        ASSERT_TRUE(withoutMetadata.ends_with(",diffuse_coverage")) << withoutMetadata;
        EXPECT_EQ(csvEarlierHeader(rings, kCsvMetadataColumns), withoutMetadata);
        EXPECT_EQ(csvEarlierHeader(rings, lightGone), withoutLight);
        EXPECT_EQ(csvEarlierHeader(rings, kCsvAddedColumns), withoutLens);
        EXPECT_EQ(csvEarlierHeader(rings, 0), current);
        for (const auto& [line, missing] : {std::pair{current, 0}, std::pair{withoutMetadata, kCsvMetadataColumns},
                 std::pair{withoutLight, lightGone}, std::pair{withoutLens, kCsvAddedColumns}}) {
            const auto form = csvHeaderForm("\xEF\xBB\xBF" + line + "\r");
            ASSERT_TRUE(form) << line;
            EXPECT_EQ(form->rings, rings);
            EXPECT_EQ(form->missingColumns, missing);
            EXPECT_EQ(csvHoldsLight(missing), missing <= kCsvMetadataColumns);
        }
        for (const int missing : {1, kCsvMetadataColumns + 1, lightGone - 1, lightGone + 2})
            EXPECT_FALSE(csvHeaderForm(joinedPrefix(current, missing))) << missing;
    }
    EXPECT_EQ(csvHeaderRings(csvHeader(7)), 7);
    for (const std::string& other :
        {csvEarlierHeader(5, kCsvMetadataColumns + kCsvLightColumns) + ",notes", csvHeader(kMaxRings + 1),
            csvHeader(5) + ",notes", std::string("plot,lai,notes"), std::string("\xFF\xD8\xFF\xE0"), std::string()})
        EXPECT_FALSE(csvHeaderRings(other)) << other;
}

LightRow lightRow()
{
    const light::LightSettings s{.site = {-33.9, 18.4, 20, 5.75},
        .period = {{2021, 6, 1}, {2021, 6, 30}},
        .timeStepMin = 5,
        .sky = light::SkyModel::Soc,
        .zenithRings = 9,
        .azimuthSectors = 36,
        .kt = 0.45,
        .beamModel = light::BeamFractionModel::Erbs,
        .clearSkyTransmission = 0.7,
        .solarConstant = 1361,
        .parFraction = 0.45,
        .parPhotons = 4.6};
    light::LightFigures f;
    f.h0 = 12.3456789;
    f.beamFraction = 0.3456789; // Erbs's
    f.aboveTotal = 5.5;
    f.dsf = NAN; // a period without sun
    f.isf = 0.25;
    f.belowPar = 1e-9;
    return {{s, {350, 15, true}, false}, f, {}};
}

const std::vector<std::string> kLightNames{"top_azimuth", "magnetic_declination", "mirrored", "latitude", "longitude",
    "elevation", "utc_offset", "period", "time_step", "sky", "sky_regions", "kt", "beam_fraction",
    "beam_fraction_model", "clear_sky_transmission", "solar_constant", "par_fraction", "par_photons", "h0",
    "above_direct", "above_diffuse", "above_total", "dsf", "isf", "tsf", "trans_direct", "trans_diffuse", "trans_total",
    "below_direct", "below_diffuse", "below_total", "below_par", "sun_hours", "direct_sun_hours", "beam_coverage",
    "diffuse_coverage"};

TEST(CsvLight, ColumnsFollowTheLensWithTheRunsSettingsAndFigures)
{
    initProjectionNames();
    const auto names = csvFields(csvHeader(3)).value();
    ASSERT_GT(names.size(), kLightNames.size());
    // The photo's metadata comes after them.
    const auto lightEnd = names.end() - kCsvMetadataColumns;
    EXPECT_EQ(std::vector(lightEnd - std::ssize(kLightNames), lightEnd), kLightNames);
    EXPECT_EQ(*(lightEnd - std::ssize(kLightNames) - 1), "lens");

    CanopyRow row = measuredRow(3, kEquidistant);
    row.light = lightRow();
    const std::map<std::string, std::string> expected{{"top_azimuth", "5.00"}, // 350 + 15, true north
        {"magnetic_declination", "15"}, {"mirrored", "true"}, {"latitude", "-33.9"}, {"longitude", "18.4"},
        {"elevation", "20"}, {"utc_offset", "5.75"}, {"period", "2021-06-01..2021-06-30"}, {"time_step", "5"},
        {"sky", "soc"}, {"sky_regions", "9x36"}, {"kt", "0.45"}, {"beam_fraction", "0.3456789"},
        {"beam_fraction_model", "erbs"}, {"clear_sky_transmission", "0.7"}, {"solar_constant", "1361"},
        {"par_fraction", "0.45"}, {"par_photons", "4.6"}, {"h0", "12.345679"}, {"above_total", "5.500000"}, {"dsf", ""},
        {"isf", "0.250000"}, {"below_par", "0.000000"}};
    const auto columns = columnsOf(row);
    for (const std::string& name : kLightNames) {
        const auto value = expected.find(name);
        EXPECT_EQ(columns.at(name), value == expected.end() ? "0.000000" : value->second) << name;
    }

    row.light->request.orientation.mirrored = false;
    EXPECT_EQ(columnsOf(row).at("mirrored"), "false");
    // Without light figures, and for a failed photo, every light column is empty.
    row.light.reset();
    const auto without = columnsOf(row);
    for (const std::string& name : kLightNames)
        EXPECT_EQ(without.at(name), "") << name;
    EXPECT_EQ(without.at("circle"), "given");
}

// A row goes only below the same header, whole; the window's export brings
// a file written before some of the columns existed up to the current
// header when its row has no light figures, and refuses it when it has.
TEST(CanopyCsv, AppendsOnlyBelowTheSameHeaderAndWhole)
{
    initProjectionNames();
    const std::string header = csvHeader(3);
    CanopyRow row = measuredRow(3, kEquidistant);
    const std::string plain = csvRow(row);
    row.light = lightRow();
    const std::string lit = csvRow(row);
    const std::string withoutMetadata = csvEarlierHeader(3, kCsvMetadataColumns);
    const std::string withoutLight = csvEarlierHeader(3, kCsvMetadataColumns + kCsvLightColumns);
    const std::string withoutLens = csvEarlierHeader(3, kCsvAddedColumns);
    const std::string metadata(std::size_t(kCsvMetadataColumns), ',');
    const std::string light(std::size_t(kCsvLightColumns + kCsvMetadataColumns), ',');
    const std::string added(std::size_t(kCsvAddedColumns), ',');
    const std::string bom = "\xEF\xBB\xBF";
    const struct {
        const char* name;
        std::optional<std::string> before; // nullopt: no file
        std::string row;
        std::optional<std::string> after; // nullopt: refused, the file unchanged
        bool readOnly = false;
    } cases[] = {
        {"new file", std::nullopt, plain, header + "\r\n" + plain + "\r\n"},
        {"empty file", "", plain, header + "\r\n" + plain + "\r\n"},
        {"same header", header + "\r\nold\r\n", lit, header + "\r\nold\r\n" + lit + "\r\n"},
        {"header alone", header, plain, header + "\r\n" + plain + "\r\n"},
        {"LF line ends, last one missing", header + "\nold", plain, header + "\nold\n" + plain + "\n"},
        {"byte order mark", bom + header + "\r\n", plain, bom + header + "\r\n" + plain + "\r\n"},
        {"other rings", csvHeader(6) + "\r\nold\r\n", plain, std::nullopt},
        {"another program's file", "a,b\r\n1,2\r\n", plain, std::nullopt},
        {"header further down", "\r\n" + header + "\r\n", plain, std::nullopt},
        {"read-only, for root too", header + "\r\n", plain, std::nullopt, true},
        {"without the light columns", withoutLight + "\r\nold,1\r\nold,2\r\n", plain,
            header + "\r\nold,1" + light + "\r\nold,2" + light + "\r\n" + plain + "\r\n"},
        {"without lens and light, LF, a byte order mark, no last line end", bom + withoutLens + "\nold\n\nx,y", plain,
            bom + header + "\nold" + added + "\n\nx,y" + added + "\n" + plain + "\n"},
        {"earlier header alone", withoutLens, plain, header + "\r\n" + plain + "\r\n"},
        {"a row with light figures", withoutLight + "\r\nold\r\n", lit, std::nullopt},
        {"without the metadata columns, a row with light figures", withoutMetadata + "\r\nold,1\r\n", lit,
            header + "\r\nold,1" + metadata + "\r\n" + lit + "\r\n"},
        {"an earlier form of other rings", csvEarlierHeader(4, kCsvLightColumns + kCsvMetadataColumns) + "\r\n", plain,
            std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const test::ScratchFolder folder;
        const std::filesystem::path file = folder / "canopy.csv";
        if (c.before)
            test::writeBytes(file, *c.before);
        if (c.readOnly)
            std::filesystem::permissions(file, std::filesystem::perms::owner_read);
        const CsvAppend result = appendCsvRow(file.string(), header, c.row);
        EXPECT_EQ(result.written, c.after.has_value());
        EXPECT_EQ(result.reason.empty(), c.after.has_value()) << result.reason;
        EXPECT_EQ(test::readBytes(file), c.after.value_or(c.before.value_or("")));
        EXPECT_EQ(folder.entries(), std::vector<std::string>{"canopy.csv"});
        if (c.row == lit && !c.after) {
            EXPECT_NE(result.reason.find("before the light columns existed"), std::string::npos) << result.reason;
        }
    }
    const test::ScratchFolder folder;
    EXPECT_FALSE(appendCsvRow(folder.path().string(), header, plain).reason.empty());
}

} // namespace
} // namespace karwen::canopy
