// karwen-cli measure: its CSV holds the canopy library's own figures, one
// line per photo in the list's order whatever the number of jobs, a failed
// photo's line says why; a command line or a CSV path that cannot work
// writes nothing. A found circle is read to its rim, the 90-degree horizon;
// a photo whose circle is not found, or does not fit a given circle, is
// that photo's error in measure and a failure in convert, never figures
// from a made-up circle.
#include "cli_fixture.h"

#include "canopy_csv.h"
#include "mdl_karwen.h"
#include "view_reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <iomanip>
#include <numbers>
#include <sstream>

namespace fs = std::filesystem;
using namespace karwen;
using namespace karwen::test;

namespace {

// A fisheye disc of radius r centred on the photo, black around it: bright
// sky and dark leaves in checks of azimuth and radius, so that every ring
// and sector has both.
void paintCanopy(const fs::path& path, int width, int height, int r)
{
    ASSERT_TRUE(test::paintPhoto(path, width, height, [&](int x, int y) {
        const double dx = x + 0.5 - width / 2.0, dy = y + 0.5 - height / 2.0;
        const double rho = std::hypot(dx, dy);
        const int check = int((std::atan2(dy, dx) + std::numbers::pi) * 5) + int(rho / 9);
        return rho > r       ? karwen::test::packRgb(0, 0, 0)
            : check % 3 == 0 ? karwen::test::packRgb(60, 90, 40)
                             : karwen::test::packRgb(200, 225, 250);
    })) << path;
}

class Measure : public CliRun {
protected:
    // The CSV of measure over one photo with these options.
    [[nodiscard]] std::vector<std::vector<std::string>> tableOfRun(
        std::vector<std::string> args, const std::string& photo)
    {
        args.push_back(photo);
        EXPECT_TRUE(ended(measure(args), 0)) << photo;
        return tableOf(readBytes(csv()));
    }
};

} // namespace

TEST_F(Measure, LinesFollowTheListWhateverTheJobs)
{
    // The big photo first: with two jobs the small one is done before it.
    paintCanopy(dir / "in" / "a.jpg", 900, 700, 330);
    paintCanopy(dir / "in" / "b.bmp", 160, 120, 55);
    writeBytes(dir / "in" / "c.jpg", "\xFF\xD8\xFF\xE0 not really a jpeg");

    std::string first;
    for (const char* jobs : {"1", "2"}) {
        EXPECT_TRUE(ended(measure({in(), "-j", jobs}), 1,
            {"2 measured, 1 failed", "Cannot open \"" + in("c.jpg") + "\": the file is cut short"}));
        const std::string bytes = readBytes(csv());
        if (first.empty())
            first = bytes;
        else
            EXPECT_TRUE(bytes == first) << "-j " << jobs << ":\n" << bytes << "\n-j 1:\n" << first;
    }

    const std::vector<std::string> lines = linesOf(first);
    ASSERT_EQ(lines.size(), 4u) << first;
    EXPECT_EQ(lines[0], canopy::csvHeader(5));
    EXPECT_TRUE(lines[1].starts_with(in("a.jpg") + ",,Equidistant,")) << lines[1];
    EXPECT_TRUE(lines[2].starts_with(in("b.bmp") + ",,Equidistant,")) << lines[2];
    const std::string failed = in("c.jpg") + ",the file is cut short or is not a JPEG picture";
    const auto commas = [](const std::string& line) { return std::count(line.begin(), line.end(), ','); };
    EXPECT_EQ(lines[3], failed + std::string(std::size_t(commas(lines[0]) - 1), ','));
}

// The figures are the canopy library's (its suite checks them); here each
// option reaches the settings the row was measured with.
TEST_F(Measure, EachOptionReachesItsColumn)
{
    paintCanopy(dir / "in" / "sky.jpg", 420, 320, 150);
    paintCanopy(dir / "in" / "sky.bmp", 301, 260, 128);
    initGlobals(); // the projections' tables
    ProjectionRecord viewed{150.5, 130, 128, 0, 0, 25, kEquisolidangle};
    ASSERT_TRUE(ref2angle(viewed, 170.0f, 120.5f));
    const auto fixed2
        = [](double v) { return (std::ostringstream() << std::fixed << std::setprecision(2) << v).str(); };
    const struct {
        std::string photo;
        std::vector<std::string> args;
        int rings;
        std::vector<std::pair<std::string, std::string>> cells;
    } cases[] = {
        {in("sky.jpg"), {}, 5,
            {{"projection", "Equidistant"}, {"channel", "blue"}, {"gamma", "2.2"}, {"method", "otsu"}, {"sectors", "8"},
                {"max_zenith", "75"}, {"circle", "detected"}, {"rot", "0.00"}}},
        {in("sky.bmp"),
            {"--circle", "150.5,130,128", "--view", "170,120.5", "--tilt", "25", "--src-projection", "Equisolid",
                "--channel", "LUMA", "--gamma", "1", "--threshold", "ridler", "--rings", "9", "--sectors", "12",
                "--max-zenith", "80"},
            9,
            {{"projection", "Equisolidangle"}, {"cx", "150.50"}, {"cy", "130.00"}, {"r", "128.00"},
                {"alpha", fixed2(viewed.Alpha)}, {"beta", fixed2(viewed.Beta)}, {"rot", "25.00"}, {"channel", "luma"},
                {"gamma", "1"}, {"method", "ridler"}, {"sectors", "12"}, {"max_zenith", "80"}, {"circle", "given"}}},
        {in("sky.jpg"),
            {"--detect-circle", "--src-projection", "stereographic", "--threshold", "90", "--rings", "18", "--sectors",
                "36", "--max-zenith", "90", "--gamma", "0.5"},
            18,
            {{"projection", "Stereographic"}, {"method", "fixed"}, {"threshold", "90"}, {"gamma", "0.5"},
                {"sectors", "36"}, {"max_zenith", "90"}, {"circle", "detected"}}},
        {in("sky.bmp"), {"--threshold", "Minimum"}, 5, {{"method", "minimum"}}},
        {in("sky.jpg"), {"--threshold", "edge"}, 5, {{"method", "edge"}}},
    };
    for (const auto& c : cases) {
        const auto table = tableOfRun(c.args, c.photo);
        ASSERT_EQ(table.size(), 2u) << c.photo;
        EXPECT_EQ(linesOf(readBytes(csv()))[0], canopy::csvHeader(c.rings));
        EXPECT_EQ(fieldOf(table, 1, "error"), "");
        for (const auto& [column, value] : c.cells)
            EXPECT_EQ(fieldOf(table, 1, column), value) << c.photo << " " << column;
    }
}

TEST_F(Measure, MinimumWithoutAValleyIsThePhotosError)
{
    // One colour inside the circle given: a histogram of one value.
    ASSERT_TRUE(writePhoto(dir / "in" / "sky.bmp", 120, 100, karwen::test::packRgb(200, 225, 250)));
    EXPECT_TRUE(ended(measure({in(), "--circle", "60,50,40", "--threshold", "minimum"}), 1));
    const std::vector<std::string> lines = linesOf(readBytes(csv()));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[1].starts_with(in("sky.bmp") + ",no threshold found; give a fixed threshold,")) << lines[1];
}

TEST_F(Measure, CommandLinesThatCannotWorkWriteNoCsv)
{
    paintCanopy(dir / "in" / "a.jpg", 120, 100, 45);
    const std::string photoBytes = readBytes(dir / "in" / "a.jpg");
    // Each refusal in its words: the option parsing suite.
    EXPECT_TRUE(ended(measure({in(), "--rings", "0"}), 2, {"--rings: \"0\" must be a whole number from 1 to 18"}));
    EXPECT_FALSE(fs::exists(csv()));

    const std::string nowhere = (dir / "no such folder" / "figures.csv").string();
    EXPECT_TRUE(ended(
        cli({"measure", "--csv", nowhere, in()}), 1, {"Cannot save \"" + nowhere + "\": the folder does not exist"}));
    EXPECT_FALSE(fs::exists(dir / "no such folder"));

    // The CSV named as a photo of the list: the photo stays as it was.
    EXPECT_TRUE(
        ended(cli({"measure", "--csv", in("a.jpg"), in()}), 2, {"is the photo " + in("a.jpg") + " of this run"}));
    EXPECT_EQ(readBytes(dir / "in" / "a.jpg"), photoBytes);
}

namespace {

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

// A found circle is read to its rim, the horizon (the window's 0.47 rule
// would read 6 % inside it); the same found circle stands in by default.
TEST_F(CliRun, MeasureReadsTheFoundCircleToItsRim)
{
    const fs::path photo = dir / "in" / "sky50.bmp";
    paintSkyDisc(photo, 1200, 900, 420.0, 50.0);
    const int32_t image = loadImageFile(photo.string());
    RixCircle found{};
    ASSERT_EQ(RixFindCircle(image, &found), 1);
    (void)RixDestroy(image);
    ASSERT_TRUE(found.Confident);
    const std::string r = (std::ostringstream() << std::fixed << std::setprecision(2) << found.R).str();
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--detect-circle"}, {}}) {
        std::vector<std::string> run = args;
        run.push_back(photo.string());
        EXPECT_TRUE(ended(measure(run), 0));
        const auto rows = tableOf(readBytes(csv()));
        EXPECT_EQ(fieldOf(rows, 1, "r"), r);
        EXPECT_EQ(fieldOf(rows, 1, "circle"), "detected");
    }
}

// Frames without a circle are the circle finder's suite; here a row and a
// line of their own, and convert's failure.
TEST_F(CliRun, PhotosWithoutACircleAreErrorsNotFigures)
{
    paintSkyDisc(dir / "in" / "a_good.bmp", 300, 240, 100.0, 40.0);
    paint(dir / "in" / "b_lens_cap.bmp", 300, 240, [](int, int) { return test::packRgb(0, 0, 0); });
    paint(dir / "in" / "c_one_pixel.bmp", 1, 1, [](int, int) { return test::packRgb(200, 225, 250); });
    const std::vector<std::string> circleless = {"b_lens_cap.bmp", "c_one_pixel.bmp"};

    const Outcome run = measure({in()});
    EXPECT_TRUE(ended(run, 1, {"1 measured, 2 failed"}));
    const auto rows = tableOf(readBytes(csv()));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(fieldOf(rows, 1, "error"), "");
    for (std::size_t i = 0; i < circleless.size(); ++i) {
        const std::size_t row = i + 2;
        EXPECT_EQ(fieldOf(rows, row, "file"), in(circleless[i]));
        EXPECT_EQ(fieldOf(rows, row, "error"), "no image circle found; give --circle");
        EXPECT_EQ(fieldOf(rows, row, "openness"), "") << "no figures from a made-up circle";
        EXPECT_TRUE(
            has(run.output, "Cannot measure \"" + in(circleless[i]) + "\": no image circle found; give --circle."));
    }

    EXPECT_TRUE(ended(convert({in(), "--size", "64x64"}), 1,
        {"1 converted, 0 skipped, 2 failed",
            "Cannot convert \"" + in("b_lens_cap.bmp") + "\": no image circle found; give --circle."}));
    EXPECT_TRUE(fs::exists(out("a_good-kw.jpg")));
    EXPECT_FALSE(fs::exists(out("b_lens_cap-kw.jpg")));
}

TEST_F(CliRun, AGivenCircleIsCheckedOnEachPhoto)
{
    paintSkyDisc(dir / "in" / "big.bmp", 400, 300, 140.0, 40.0);
    paintSkyDisc(dir / "in" / "small.bmp", 100, 80, 35.0, 40.0);
    EXPECT_TRUE(ended(measure({in(), "--circle", "200,150,140"}), 1, {"1 measured, 1 failed"}));
    auto rows = tableOf(readBytes(csv()));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(fieldOf(rows, 1, "file"), in("big.bmp"));
    EXPECT_EQ(fieldOf(rows, 1, "error"), "");
    EXPECT_EQ(fieldOf(rows, 1, "circle"), "given");
    EXPECT_EQ(fieldOf(rows, 2, "error"), "the circle's centre (200.00, 150.00) lies off this photo of 100 x 80 pixels");

    // The view point off the photo, its centre on it.
    EXPECT_TRUE(ended(measure({in(), "--circle", "95,40,35", "--view", "105,40"}), 1));
    rows = tableOf(readBytes(csv()));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(fieldOf(rows, 1, "error"), "");
    EXPECT_TRUE(fieldOf(rows, 2, "error").starts_with("the view point (105.00, 40.00) lies off this photo"))
        << fieldOf(rows, 2, "error");

    EXPECT_TRUE(ended(convert({in(), "--circle", "200,150,140", "--size", "64x64"}), 1,
        {"1 converted, 0 skipped, 1 failed", "Cannot convert \"" + in("small.bmp") + "\": the circle's centre"}));
}
