// karwen-cli run through a real lens: the lens reaches the conversion and
// the measurement (the lens functions themselves are the projection, imaging
// and canopy suites'), results through one lens are not taken for those of
// another; a measure CSV written before the lens column compares under its
// earlier columns.
#include "cli_fixture.h"

#include "canopy_csv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace karwen;
using namespace karwen::test;

namespace {

constexpr const char* kEquidistantPoly = "poly:0.6366197723675813";

TEST_F(CliRun, ALensReachesTheResultsAndTheirFolderRecordsIt)
{
    fs::copy_file(fs::path(KARWEN_SAMPLES_DIR) / "allsky_day.jpg", dir / "in" / "sky.jpg");
    const auto convertInto = [&](const std::string& folder, std::vector<std::string> source) {
        std::vector<std::string> args{"convert", "-q", "-o", (dir / folder).string(), "--format", "bmp", "--interp",
            "bilinear", "--dst-projection", "equisolid", "--size", "300x300"};
        args.insert(args.end(), source.begin(), source.end());
        args.push_back(in("sky.jpg"));
        return cli(args);
    };
    const auto result = [&](const std::string& folder) { return readBytes(dir / folder / "sky-kw.bmp"); };
    ASSERT_TRUE(ended(convertInto("ideal", {"--src-projection", "equidistant"}), 0));
    ASSERT_TRUE(ended(convertInto("other", {"--src-lens", "poly:0.7,-0.0425"}), 0));
    // A lens 0.5 % short of the equidistant at 90 degrees moves the picture.
    EXPECT_NE(result("ideal"), result("other"));

    // Results through one lens are never taken for another's, nor for the
    // projection's; the folder's record names the lens and its terms.
    EXPECT_TRUE(ended(convertInto("ideal", {"--src-lens", kEquidistantPoly}), 2,
        {"(--src-projection lens here, equidistant there; --src-lens poly:0.6366197723675813"}));
    EXPECT_TRUE(ended(convertInto("other", {"--src-lens", kEquidistantPoly}), 2,
        {"--src-lens poly:0.6366197723675813 (terms 0.6366197723675813 0 0 0 0, half field 90) here, "
         "poly:0.7,-0.0425 (terms 0.7 -0.0425 0 0 0, half field 90) there"}));
    EXPECT_TRUE(ended(convertInto("other", {"--src-lens", "poly:0.7,-0.0425"}), 0, {}));
    EXPECT_TRUE(has(readBytes(dir / "ideal" / ".karwen-convert"), "--src-projection equidistant\n--circle"));
}

TEST_F(CliRun, MeasuringThroughALensNamesItAndGivesItsFigures)
{
    fs::copy_file(fs::path(KARWEN_SAMPLES_DIR) / "allsky_day.jpg", dir / "in" / "sky.jpg");
    const auto rowThrough = [&](std::vector<std::string> args) {
        args.push_back(in("sky.jpg"));
        EXPECT_TRUE(ended(measure(args), 0));
        return tableOf(readBytes(csv()));
    };
    const auto ideal = rowThrough({"--src-projection", "equidistant"});
    const auto poly = rowThrough({"--src-lens", kEquidistantPoly});
    const auto other = rowThrough({"--src-lens", "poly:0.7,-0.0425"});
    EXPECT_EQ(fieldOf(ideal, 1, "projection"), "Equidistant");
    EXPECT_EQ(fieldOf(ideal, 1, "lens"), "");
    EXPECT_EQ(fieldOf(poly, 1, "projection"), "lens");
    EXPECT_EQ(fieldOf(poly, 1, "lens"), kEquidistantPoly);
    EXPECT_EQ(fieldOf(other, 1, "lens"), "poly:0.7,-0.0425");
    EXPECT_NE(fieldOf(other, 1, "openness"), fieldOf(ideal, 1, "openness")) << "another lens gives other figures";
}

// Its rows compare under the earlier columns: other settings refuse it.
TEST_F(CliRun, ACsvWrittenBeforeTheLensColumnComparesUnderItsColumns)
{
    photo("a.bmp");
    ASSERT_TRUE(ended(measureAt({in()}), 0));
    const std::vector<std::string> lines = linesOf(readBytes(csv()));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(has(lines[0], ",dots_outside,lens,top_azimuth,"));
    const auto earlier = [](std::string line) {
        for (int i = 0; i < canopy::kCsvAddedColumns; ++i)
            line.erase(line.rfind(','));
        return line + "\r\n";
    };
    writeBytes(csv(), earlier(lines[0]) + earlier(lines[1]));
    EXPECT_TRUE(ended(measureAt({"--resume", "--src-projection", "stereographic", in()}), 2,
        {"its column projection reads \"Equidistant\""}));
}

} // namespace
