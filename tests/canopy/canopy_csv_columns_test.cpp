// The CSV's columns added after the figures. The lens: a photo read through
// a real lens reads "lens" in the projection column and names the lens,
// quoted when its name holds a comma, in the column before the light
// columns; an ideal projection leaves it empty. The light columns: in their
// order, the settings in their shortest text and the figures with six
// decimals, a figure that does not exist empty, all empty without light
// figures. A header written before some of them existed is still ours, no
// other header is; the window's export brings such a file up to the current
// header when its row has no light figures, and refuses it when it has.
#include "canopy_csv.h"
#include "canopy_csv_reading.h"
#include "csv_columns.h"

#include "../common/scratch_folder.h"
#include "projection_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace karwen::canopy {
namespace {

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
    EXPECT_NE(header.find(",circle,dots_outside,lens,top_azimuth,"), std::string::npos) << header;
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

TEST(CsvLight, TheExportBringsAnEarlierFileUpOnlyForARowWithoutLight)
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
        std::string before, row;
        std::optional<std::string> after; // nullopt: refused, the file unchanged
    } cases[] = {
        {"without the light columns", withoutLight + "\r\nold,1\r\nold,2\r\n", plain,
            header + "\r\nold,1" + light + "\r\nold,2" + light + "\r\n" + plain + "\r\n"},
        {"without lens and light, LF, a byte order mark, no last line end", bom + withoutLens + "\nold\n\nx,y", plain,
            bom + header + "\nold" + added + "\n\nx,y" + added + "\n" + plain + "\n"},
        {"header alone", withoutLens, plain, header + "\r\n" + plain + "\r\n"},
        {"a row with light figures", withoutLight + "\r\nold\r\n", lit, std::nullopt},
        {"without the metadata columns, a row with light figures", withoutMetadata + "\r\nold,1\r\n", lit,
            header + "\r\nold,1" + metadata + "\r\n" + lit + "\r\n"},
        {"an earlier form of other rings", csvEarlierHeader(4, kCsvLightColumns + kCsvMetadataColumns) + "\r\n", plain,
            std::nullopt},
        {"the current header", header + "\r\n", lit, header + "\r\n" + lit + "\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const test::ScratchFolder folder;
        const std::filesystem::path file = folder / "canopy.csv";
        test::writeBytes(file, c.before);
        const CsvAppend result = appendCsvRow(file.string(), header, c.row);
        EXPECT_EQ(result.written, c.after.has_value()) << result.reason;
        EXPECT_EQ(test::readBytes(file), c.after.value_or(c.before));
        if (c.row == lit && !c.after) {
            EXPECT_NE(result.reason.find("before the light columns existed"), std::string::npos) << result.reason;
        }
    }
}

} // namespace
} // namespace karwen::canopy
