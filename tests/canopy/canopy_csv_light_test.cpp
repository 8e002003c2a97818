// The CSV's light columns: after the lens column, in their order, the
// settings in their shortest text and the figures with six decimals, a
// figure that does not exist empty, all empty without light figures; the
// window's export brings a file written before them up to the current
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
#include <vector>

namespace karwen::canopy {
namespace {

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
