// The CSV's lens: a photo read through a real lens reads "lens" in the
// projection column and names the lens, quoted when its name holds a
// comma, in the last column; an ideal projection leaves it empty; a header
// written before the lens column existed is still ours, one column short.
#include "canopy_csv.h"
#include "canopy_csv_reading.h"

#include "projection_model.h"

#include <gtest/gtest.h>

#include <string>

namespace karwen::canopy {
namespace {

CanopyRow measuredRow(int32_t projection)
{
    CanopyRow row;
    row.file = "a.jpg";
    row.settings.rings = 4;
    row.source = {250, 250, 240, 0, 0, 0, projection};
    row.pixels.emplace();
    row.dstProjection = kEquisolidangle;
    return row;
}

TEST(CsvLens, TheLensColumnNamesTheLensLast)
{
    initProjectionNames();
    const std::string header = csvHeader(4);
    EXPECT_TRUE(header.ends_with(",circle,dots_outside,lens")) << header;
    EXPECT_TRUE(csvColumnNames().ends_with(", dots_outside, lens")) << csvColumnNames();

    CanopyRow throughLens = measuredRow(RixLensSource);
    throughLens.lensName = "poly:0.6,0.1";
    const std::string lensLine = csvRow(throughLens);
    EXPECT_TRUE(lensLine.starts_with("a.jpg,,lens,250.00,")) << lensLine;
    EXPECT_TRUE(lensLine.ends_with(",\"poly:0.6,0.1\"")) << lensLine;
    const auto names = csvFields(header).value();
    const auto fields = csvFields(lensLine).value();
    ASSERT_EQ(fields.size(), names.size());
    EXPECT_EQ(fields.back(), "poly:0.6,0.1");

    const std::string idealLine = csvRow(measuredRow(kEquidistant));
    EXPECT_TRUE(idealLine.starts_with("a.jpg,,Equidistant,")) << idealLine;
    EXPECT_TRUE(idealLine.ends_with(",given,,")) << idealLine; // no dots, no lens
    EXPECT_EQ(csvFields(idealLine)->size(), names.size());

    // A failed photo keeps its file and error alone, whatever the lens.
    CanopyRow failedThroughLens = failedRow("b.jpg", "unreadable", measuredRow(0).settings);
    failedThroughLens.lensName = "my-lens";
    const std::string failed = csvRow(failedThroughLens);
    EXPECT_EQ(failed, "b.jpg,unreadable" + std::string(names.size() - 2, ','));
}

TEST(CsvLens, AHeaderWithoutTheLensColumnIsAnEarlierForm)
{
    for (const int rings : {1, 5, kMaxRings}) {
        const std::string current = csvHeader(rings);
        const std::string earlier = current.substr(0, current.rfind(','));
        EXPECT_EQ(csvEarlierHeader(rings, 1), earlier);
        EXPECT_EQ(csvEarlierHeader(rings, 0), current);
        const auto form = csvHeaderForm("\xEF\xBB\xBF" + earlier + "\r");
        ASSERT_TRUE(form) << rings;
        EXPECT_EQ(form->rings, rings);
        EXPECT_EQ(form->missingColumns, 1);
        EXPECT_EQ(csvHeaderForm(current)->missingColumns, 0);
        EXPECT_EQ(csvHeaderRings(earlier), rings);
    }
    const std::string shorter = csvEarlierHeader(5, 1);
    EXPECT_FALSE(csvHeaderForm(shorter.substr(0, shorter.rfind(','))));
    EXPECT_FALSE(csvHeaderForm(shorter + ",notes"));
}

} // namespace
} // namespace karwen::canopy
