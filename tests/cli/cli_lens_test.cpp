// karwen-cli run through a real lens: the equidistant lens written as a
// polynomial converts as the equidistant projection does, another lens
// converts otherwise and its results are not taken for those of another
// lens; a measure CSV written before the lens column existed is continued.
#include "cli_fixture.h"

#include "canopy_csv.h"
#include "canopy_csv_reading.h"
#include "image_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace karwen;
using namespace karwen::test;

namespace {

// The largest difference of a colour channel between two BMP results of one
// size; -1 when they cannot be read or differ in size.
int largestDifference(const std::string& a, const std::string& b)
{
    const int32_t ha = loadImageFile(a), hb = loadImageFile(b);
    const ImagePixels pa(ha), pb(hb);
    int worst = -1;
    if (pa.valid() && pb.valid() && RixWidth(ha) == RixWidth(hb) && RixHeight(ha) == RixHeight(hb)) {
        worst = 0;
        for (int y = 0; y < RixHeight(ha); ++y)
            for (int x = 0; x < RixWidth(ha); ++x)
                for (int shift : {0, 8, 16})
                    worst = std::max(
                        worst, std::abs(int((pa.row(y)[x] >> shift) & 255) - int((pb.row(y)[x] >> shift) & 255)));
    }
    (void)RixDestroy(ha);
    (void)RixDestroy(hb);
    return worst;
}

TEST_F(CliRun, TheEquidistantPolynomialConvertsAsTheEquidistantProjection)
{
    fs::copy_file(fs::path(KARWEN_SAMPLES_DIR) / "allsky_day.jpg", dir / "in" / "sky.jpg");
    const auto convertInto = [&](const std::string& folder, std::vector<std::string> source) {
        std::vector<std::string> args{"convert", "-q", "-o", (dir / folder).string(), "--format", "bmp", "--interp",
            "bilinear", "--dst-projection", "equisolid", "--size", "300x300"};
        args.insert(args.end(), source.begin(), source.end());
        args.push_back(in("sky.jpg"));
        return cli(args);
    };
    const auto result = [&](const std::string& folder) { return (dir / folder / "sky-kw.bmp").string(); };
    ASSERT_TRUE(ended(convertInto("ideal", {"--src-projection", "equidistant"}), 0));
    ASSERT_TRUE(ended(convertInto("poly", {"--src-lens", "poly:0.6366197723675813"}), 0));
    // Source positions agree within 0.01 pixel: bilinear values within a level.
    EXPECT_LE(largestDifference(result("ideal"), result("poly")), 1);
    EXPECT_GE(largestDifference(result("ideal"), result("poly")), 0);

    // A lens 0.5 % short of the equidistant at 90 degrees moves the picture.
    ASSERT_TRUE(ended(convertInto("other", {"--src-lens", "poly:0.7,-0.0425"}), 0));
    EXPECT_GT(largestDifference(result("ideal"), result("other")), 20);

    // Results through one lens are never taken for another's, nor for the
    // projection's; the folder's record names the lens and its terms.
    EXPECT_TRUE(ended(convertInto("ideal", {"--src-lens", "poly:0.6366197723675813"}), 2,
        {"(--src-projection lens here, equidistant there; --src-lens poly:0.6366197723675813"}));
    EXPECT_TRUE(ended(convertInto("other", {"--src-lens", "poly:0.6366197723675813"}), 2,
        {"--src-lens poly:0.6366197723675813 (terms 0.6366197723675813 0 0 0 0, half field 90) here, "
         "poly:0.7,-0.0425 (terms 0.7 -0.0425 0 0 0, half field 90) there"}));
    EXPECT_TRUE(ended(convertInto("poly", {"--src-lens", "poly:0.6366197723675813"}), 0));
    EXPECT_TRUE(has(readBytes(dir / "ideal" / ".karwen-convert"), "--src-projection equidistant\n--circle"));
}

TEST_F(CliRun, ACsvWrittenBeforeTheLensColumnIsContinued)
{
    for (const char* name : {"a.bmp", "b.bmp"})
        photo(name);
    ASSERT_TRUE(ended(measure({"--circle", "48,40,32", in()}), 0));
    const std::string full = readBytes(csv());
    const std::vector<std::string> lines = linesOf(full);
    ASSERT_EQ(lines.size(), 3u) << full;
    EXPECT_TRUE(has(lines[0], ",dots_outside,lens,top_azimuth,"));
    // Each row ends with an empty lens field and empty light fields; an
    // earlier file has neither.
    const std::string added(std::size_t(canopy::kCsvAddedColumns), ',');
    for (std::size_t i = 1; i < lines.size(); ++i)
        ASSERT_TRUE(lines[i].ends_with(added)) << lines[i];
    const auto earlier = [](std::string line) {
        for (int i = 0; i < canopy::kCsvAddedColumns; ++i)
            line.erase(line.rfind(','));
        return line + "\r\n";
    };
    writeBytes(csv(), earlier(canopy::csvHeader(5)) + earlier(lines[1]));
    ASSERT_EQ(canopy::csvHeaderForm(linesOf(readBytes(csv()))[0])->missingColumns, canopy::kCsvAddedColumns);

    std::vector<std::string> args{"--resume", in()};
    EXPECT_TRUE(ended(measureAt(args), 0, {"1 measured, 1 skipped, 0 failed"}));
    EXPECT_EQ(readBytes(csv()), full);

    // Its rows compare under the earlier columns: other settings refuse it.
    writeBytes(csv(), earlier(canopy::csvHeader(5)) + earlier(lines[1]));
    args.insert(args.end() - 1, {"--src-projection", "stereographic"});
    EXPECT_TRUE(ended(measureAt(args), 2, {"its column projection reads \"Equidistant\""}));
}

// A lens is its function: the equidistant lens written as a polynomial
// gives the equidistant figures, and through a given circle fc-e9 those of
// the polynomial it is made of (its wider field only ends past what is
// measured).
TEST_F(CliRun, MeasuringThroughALensGivesTheFiguresOfItsFunction)
{
    fs::copy_file(fs::path(KARWEN_SAMPLES_DIR) / "allsky_day.jpg", dir / "in" / "sky.jpg");
    const std::vector<std::string> names = *canopy::csvFields(canopy::csvHeader(5));
    const auto rowThrough = [&](std::vector<std::string> args) {
        args.push_back(in("sky.jpg"));
        EXPECT_TRUE(ended(measure(args), 0));
        const std::vector<std::string> lines = linesOf(readBytes(csv()));
        EXPECT_EQ(lines.size(), 2u);
        auto row = lines.size() == 2 ? *canopy::csvFields(lines[1]) : std::vector<std::string>{};
        EXPECT_EQ(row.size(), names.size());
        row.resize(names.size());
        return row;
    };
    const std::vector<std::string> ideal = rowThrough({"--src-projection", "equidistant"});
    const std::vector<std::string> poly = rowThrough({"--src-lens", "poly:0.6366197723675813"});
    const std::vector<std::string> other = rowThrough({"--src-lens", "poly:0.7,-0.0425"});
    const std::vector<std::string> builtIn = rowThrough({"--src-lens", "fc-e9", "--circle", "250,250,200"});
    const std::vector<std::string> itsPoly
        = rowThrough({"--src-lens", "poly:0.6427,0.0346,-0.024491", "--circle", "250,250,200"});
    int differing = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] != "lens") {
            EXPECT_EQ(builtIn[i], itsPoly[i]) << names[i];
        }
        if (names[i] == "projection") {
            EXPECT_EQ(ideal[i], "Equidistant");
            EXPECT_EQ(poly[i], "lens");
        } else if (names[i] == "lens") {
            EXPECT_EQ(ideal[i], "");
            EXPECT_EQ(poly[i], "poly:0.6366197723675813");
        } else if (char* end = nullptr; !ideal[i].empty() && (std::strtod(ideal[i].c_str(), &end), *end == 0)) {
            // Figures agree to 1e-6; the CSV's last digit may round apart.
            EXPECT_NEAR(std::strtod(poly[i].c_str(), nullptr), std::strtod(ideal[i].c_str(), nullptr),
                1e-6 + 1e-4 * std::fabs(std::strtod(ideal[i].c_str(), nullptr)))
                << names[i];
            differing += other[i] != ideal[i];
        } else {
            EXPECT_EQ(poly[i], ideal[i]) << names[i];
        }
    }
    EXPECT_GT(differing, 10) << "another lens gives other figures";
}

} // namespace
