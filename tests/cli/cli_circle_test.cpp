// The circle a photo is read through on the command line: measure reads a
// found circle to its rim, the 90-degree horizon; a photo whose circle is
// not found, or does not fit a given circle, is that photo's error in
// measure and a failure in convert, never figures from a made-up circle.
#include "cli_fixture.h"

#include "canopy_csv_reading.h"
#include "test_image.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <iomanip>
#include <numbers>
#include <sstream>

namespace fs = std::filesystem;
using namespace karwen;
using namespace karwen::test;

namespace {

// The fields of each line of the CSV.
std::vector<std::vector<std::string>> csvRows(const std::string& text)
{
    std::vector<std::vector<std::string>> rows;
    for (const std::string& line : linesOf(text))
        rows.push_back(canopy::csvFields(line).value_or(std::vector<std::string>{}));
    return rows;
}

// The field of row under the header's column name.
std::string field(const std::vector<std::vector<std::string>>& rows, std::size_t row, const std::string& name)
{
    const auto& header = rows.at(0);
    const auto column = std::size_t(std::find(header.begin(), header.end(), name) - header.begin());
    return column < rows.at(row).size() ? rows.at(row)[column] : "(no such column)";
}

void paint(const fs::path& path, int width, int height, const std::function<uint32_t(int, int)>& colour)
{
    ASSERT_TRUE(paintPhoto(path, width, height, colour)) << path;
}

// An equidistant fisheye of radius r centred on the photo, black around it:
// sky to skyZenithDeg from the zenith, canopy beyond, to the horizon.
void paintSkyDisc(const fs::path& path, int width, int height, double r, double skyZenithDeg)
{
    paint(path, width, height, [&](int x, int y) {
        const double rho = std::hypot(x + 0.5 - width / 2.0, y + 0.5 - height / 2.0);
        if (rho > r)
            return test::packRgb(0, 0, 0);
        return rho / r * 90.0 < skyZenithDeg ? test::packRgb(200, 225, 250) : test::packRgb(60, 90, 40);
    });
}

} // namespace

TEST_F(CliRun, MeasureReadsTheFoundCircleToItsRim)
{
    // Sky to 50 degrees of an equidistant fisheye of radius 420: openness
    // 1 - cos 50 degrees exactly through the true circle.
    const fs::path photo = dir / "in" / "sky50.bmp";
    paintSkyDisc(photo, 1200, 900, 420.0, 50.0);
    const auto opennessThrough = [&](const std::vector<std::string>& circleArgs) {
        std::vector<std::string> args = circleArgs;
        args.push_back(photo.string());
        EXPECT_TRUE(ended(measure(args), 0));
        return csvRows(readBytes(csv()));
    };
    const auto degrees = std::numbers::pi / 180.0;

    auto rows = opennessThrough({"--circle", "600,450,420"});
    EXPECT_NEAR(std::stod(field(rows, 1, "openness")), 1.0 - std::cos(50.0 * degrees), 0.002);
    EXPECT_EQ(field(rows, 1, "circle"), "given");

    // Through the found circle, whose rim is the horizon, the same figure
    // (the window's 0.47 rule, 6 % inside the rim, gives 0.398).
    const int32_t image = loadImageFile(photo.string());
    RixCircle found{};
    ASSERT_EQ(RixFindCircle(image, &found), 1);
    (void)RixDestroy(image);
    ASSERT_TRUE(found.Confident);
    ASSERT_NEAR(found.R, 420.0, 2.0);
    rows = opennessThrough({"--detect-circle"});
    EXPECT_EQ(field(rows, 1, "r"), (std::ostringstream() << std::fixed << std::setprecision(2) << found.R).str());
    EXPECT_NEAR(std::stod(field(rows, 1, "openness")), 1.0 - std::cos(50.0 * degrees), 0.002);
    EXPECT_EQ(field(rows, 1, "circle"), "detected");
    rows = opennessThrough({});
    EXPECT_EQ(field(rows, 1, "circle"), "detected") << "the default";
    EXPECT_EQ(rows.at(0).back(), "gps_altitude");
}

TEST_F(CliRun, PhotosWithoutACircleAreErrorsNotFigures)
{
    paintSkyDisc(dir / "in" / "a_good.bmp", 300, 240, 100.0, 40.0);
    const auto black = [](int, int) { return test::packRgb(0, 0, 0); };
    paint(dir / "in" / "b_lens_cap.bmp", 300, 240, black);
    paint(dir / "in" / "c_white.bmp", 300, 240, [](int, int) { return test::packRgb(255, 255, 255); });
    // A label printed with a gradient from dark to light.
    paint(dir / "in" / "d_label.bmp", 300, 240, [](int x, int) {
        const auto level = uint8_t(60 + x * 180 / 300);
        return test::packRgb(level, level, uint8_t(level / 2));
    });
    paint(dir / "in" / "e_one_pixel.bmp", 1, 1, [](int, int) { return test::packRgb(200, 225, 250); });
    paint(dir / "in" / "f_strip.bmp", 30000, 8,
        [](int x, int) { return x % 100 < 50 ? test::packRgb(200, 225, 250) : test::packRgb(0, 0, 0); });
    const std::vector<std::string> circleless
        = {"b_lens_cap.bmp", "c_white.bmp", "d_label.bmp", "e_one_pixel.bmp", "f_strip.bmp"};

    const test_support::Outcome run = measure({in()});
    EXPECT_TRUE(ended(run, 1, {"1 measured, 5 failed"}));
    const auto rows = csvRows(readBytes(csv()));
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(field(rows, 1, "error"), "");
    EXPECT_EQ(field(rows, 1, "circle"), "detected");
    for (std::size_t i = 0; i < circleless.size(); ++i) {
        const std::size_t row = i + 2;
        EXPECT_EQ(field(rows, row, "file"), in(circleless[i]));
        EXPECT_EQ(field(rows, row, "error"), "no image circle found; give --circle");
        EXPECT_EQ(field(rows, row, "openness"), "") << "no figures from a made-up circle";
        EXPECT_EQ(field(rows, row, "le"), "");
        EXPECT_TRUE(
            has(run.output, "Cannot measure \"" + in(circleless[i]) + "\": no image circle found; give --circle."));
    }

    EXPECT_TRUE(ended(convert({in(), "--size", "64x64"}), 1,
        {"1 converted, 0 skipped, 5 failed",
            "Cannot convert \"" + in("b_lens_cap.bmp") + "\": no image circle found; give --circle."}));
    EXPECT_TRUE(fs::exists(out("a_good-kw.jpg")));
    EXPECT_FALSE(fs::exists(out("b_lens_cap-kw.jpg")));
}

TEST_F(CliRun, AGivenCircleIsCheckedOnEachPhoto)
{
    paintSkyDisc(dir / "in" / "big.bmp", 400, 300, 140.0, 40.0);
    paintSkyDisc(dir / "in" / "small.bmp", 100, 80, 35.0, 40.0);
    EXPECT_TRUE(ended(measure({in(), "--circle", "200,150,140"}), 1, {"1 measured, 1 failed"}));
    auto rows = csvRows(readBytes(csv()));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(field(rows, 1, "file"), in("big.bmp"));
    EXPECT_EQ(field(rows, 1, "error"), "");
    EXPECT_EQ(field(rows, 1, "circle"), "given");
    EXPECT_EQ(field(rows, 2, "error"), "the circle's centre (200.00, 150.00) lies off this photo of 100 x 80 pixels");

    // The view point off the photo, its centre on it.
    EXPECT_TRUE(ended(measure({in(), "--circle", "95,40,35", "--view", "105,40"}), 1));
    rows = csvRows(readBytes(csv()));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(field(rows, 1, "error"), "");
    EXPECT_TRUE(field(rows, 2, "error").starts_with("the view point (105.00, 40.00) lies off this photo"))
        << field(rows, 2, "error");

    EXPECT_TRUE(ended(convert({in(), "--circle", "200,150,140", "--size", "64x64"}), 1,
        {"1 converted, 0 skipped, 1 failed", "Cannot convert \"" + in("small.bmp") + "\": the circle's centre"}));
}
