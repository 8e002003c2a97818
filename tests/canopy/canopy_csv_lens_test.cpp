// The CSV's lens: a photo read through a real lens reads "lens" in the
// projection column and names the lens, quoted when its name holds a
// comma, in the column before the light columns; an ideal projection leaves
// it empty; a header written before the lens column existed is still ours,
// without it and the light columns; no other header is.
#include "canopy_csv.h"
#include "canopy_csv_reading.h"
#include "csv_columns.h"

#include "projection_model.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

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

} // namespace
} // namespace karwen::canopy
