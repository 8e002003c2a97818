// karwen-cli measure: its CSV holds the canopy library's own figures, one
// line per photo in the list's order whatever the number of jobs, a failed
// photo's line says why; a command line or a CSV path that cannot work
// writes nothing. A found circle is read to its rim, the 90-degree horizon;
// a photo whose circle is not found, or does not fit a given circle, is
// that photo's error in measure and a failure in convert, never figures
// from a made-up circle.
#include "cli_fixture.h"

#include "area_model.h"
#include "canopy_csv.h"
#include "dot_gaps.h"
#include "mdl_karwen.h"
#include "photo_metadata.h"
#include "pixel_view.h"
#include "view_reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <iomanip>
#include <numbers>
#include <optional>
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

// The photo's line computed through the libraries: the source record from
// the circle given (or the photo's own found circle), the pixel
// figures, and the dots of its nearest-pixel conversion into a 1000 x 1000
// equisolid view, read with the pixel threshold.
struct Measured {
    std::optional<ProjectionRecord> circle; // Cx, Cy, R given; the photo's own otherwise
    float refX = 0, refY = 0;               // with a circle given
    double tilt = 0;
    int32_t projection = kEquidistant;
    canopy::CanopySettings settings;
};

std::string libraryLine(const std::string& path, const Measured& m)
{
    const int32_t photo = loadImageFile(path);
    ProjectionRecord src{0, 0, 0, 0, 0, m.tilt, m.projection};
    if (m.circle) {
        src.Cx = m.circle->Cx;
        src.Cy = m.circle->Cy;
        src.R = m.circle->R;
        EXPECT_TRUE(ref2angle(src, m.refX, m.refY));
    } else {
        // The found circle itself: its rim is the horizon.
        RixCircle found{};
        EXPECT_EQ(RixFindCircle(photo, &found), 1);
        EXPECT_TRUE(found.Confident);
        src.Cx = found.Cx;
        src.Cy = found.Cy;
        src.R = found.R;
    }
    const canopy::PixelFigures pixels = canopy::measurePixels(*canopy::pixelViewOf(photo), src, nullptr, m.settings);
    const ProjectionRecord dst{500, 500, 500, 0, 0, 0, kEquisolidangle};
    const int32_t view = RixCreate(1000, 1000);
    EXPECT_EQ(RixSDeform(photo, view, &src, &dst, 0), 1);
    const auto reading = canopy::classifyDots(
        *canopy::pixelViewOf(view), dst, *canopy::photoSideOf(photo, src), m.settings, pixels.threshold);
    const canopy::DotFigures dots
        = canopy::measureDots(reading->gaps, kEquisolidangle, m.settings, reading->outsideDots);
    (void)RixDestroy(photo);
    (void)RixDestroy(view);
    canopy::CanopyRow row = canopy::canopyRow(path, m.settings, src, nullptr, pixels, kEquisolidangle, dots);
    row.circle = m.circle ? canopy::CircleOrigin::Given : canopy::CircleOrigin::Detected;
    row.metadata = files::readPhotoMetadata(path); // the real photos' EXIF
    return canopy::csvRow(row);
}

class Measure : public CliRun {
protected:
    static void SetUpTestSuite()
    {
        initGlobals();
        InitAreaTables();
    }

    struct Photo {
        std::string photo;
        std::vector<std::string> args;
        Measured expected;
    };

    // Each photo measured alone: its line is the library's.
    void expectLibraryLines(const std::vector<Photo>& cases)
    {
        for (const Photo& c : cases) {
            std::vector<std::string> args = c.args;
            args.push_back(c.photo);
            ASSERT_TRUE(ended(measure(args), 0)) << c.photo;
            const std::vector<std::string> lines = linesOf(readBytes(csv()));
            ASSERT_EQ(lines.size(), 2u) << c.photo;
            EXPECT_EQ(lines[0], canopy::csvHeader(c.expected.settings.rings));
            EXPECT_EQ(lines[1], libraryLine(c.photo, c.expected)) << c.photo;
        }
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

TEST_F(Measure, FiguresAreThoseOfTheLibrary)
{
    paintCanopy(dir / "in" / "sky.jpg", 420, 320, 150);
    paintCanopy(dir / "in" / "sky.bmp", 301, 260, 128);
    using canopy::Channel;
    using canopy::ThresholdMethod;
    // The first photo with every default, the others with every option.
    expectLibraryLines({
        {in("sky.jpg"), {}, {}},
        {in("sky.bmp"),
            {"--circle", "150.5,130,128", "--view", "170,120.5", "--tilt", "25", "--src-projection", "Equisolid",
                "--channel", "LUMA", "--gamma", "1", "--threshold", "ridler", "--rings", "9", "--sectors", "12",
                "--max-zenith", "80"},
            {ProjectionRecord{150.5, 130, 128, 0, 0, 0, 0}, 170.0f, 120.5f, 25, kEquisolidangle,
                {.channel = Channel::Luma,
                    .gamma = 1,
                    .method = ThresholdMethod::Ridler,
                    .rings = 9,
                    .maxZenithDeg = 80,
                    .sectors = 12}}},
        {in("sky.jpg"),
            {"--detect-circle", "--src-projection", "stereographic", "--threshold", "90", "--rings", "18", "--sectors",
                "36", "--max-zenith", "90", "--gamma", "0.5"},
            {std::nullopt, 0, 0, 0, kStereographic,
                {.gamma = 0.5,
                    .method = ThresholdMethod::Fixed,
                    .fixedThreshold = 90,
                    .rings = 18,
                    .maxZenithDeg = 90,
                    .sectors = 36}}},
        {in("sky.bmp"), {"--threshold", "Minimum"},
            {std::nullopt, 0, 0, 0, kEquidistant, {.method = ThresholdMethod::Minimum}}},
        {in("sky.jpg"), {"--threshold", "edge"},
            {std::nullopt, 0, 0, 0, kEquidistant, {.method = ThresholdMethod::Edge}}},
    });
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

TEST_F(Measure, RealPhotosGiveTheLibrarysFigures)
{
    const std::string real = fs::path(KARWEN_REAL_DATA_DIR).lexically_normal().string();
    if (!fs::exists(real + "/mixed_sunlit_fce9.jpg") || !fs::exists(real + "/chestnut_fce8.jpg"))
        GTEST_SKIP() << "no shared real photos in " << real;
    expectLibraryLines({
        {real + "/mixed_sunlit_fce9.jpg", {}, {}},
        {real + "/chestnut_fce8.jpg", {"--circle", "1136.5,851.5,754"},
            {ProjectionRecord{1136.5, 851.5, 754, 0, 0, 0, 0}, 1136.5f, 851.5f, 0, kEquidistant, {}}},
    });
    // The underexposed chestnut canopy hides its rim: no figures from a
    // guessed circle.
    EXPECT_TRUE(ended(measure({real + "/chestnut_fce8.jpg"}), 1));
    const std::vector<std::string> lines = linesOf(readBytes(csv()));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(has(lines[1], "no image circle found; give --circle"));
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
        return tableOf(readBytes(csv()));
    };
    const auto degrees = std::numbers::pi / 180.0;

    auto rows = opennessThrough({"--circle", "600,450,420"});
    EXPECT_NEAR(std::stod(fieldOf(rows, 1, "openness")), 1.0 - std::cos(50.0 * degrees), 0.002);
    EXPECT_EQ(fieldOf(rows, 1, "circle"), "given");

    // Through the found circle, whose rim is the horizon, the same figure
    // (the window's 0.47 rule, 6 % inside the rim, gives 0.398).
    const int32_t image = loadImageFile(photo.string());
    RixCircle found{};
    ASSERT_EQ(RixFindCircle(image, &found), 1);
    (void)RixDestroy(image);
    ASSERT_TRUE(found.Confident);
    ASSERT_NEAR(found.R, 420.0, 2.0);
    rows = opennessThrough({"--detect-circle"});
    EXPECT_EQ(fieldOf(rows, 1, "r"), (std::ostringstream() << std::fixed << std::setprecision(2) << found.R).str());
    EXPECT_NEAR(std::stod(fieldOf(rows, 1, "openness")), 1.0 - std::cos(50.0 * degrees), 0.002);
    EXPECT_EQ(fieldOf(rows, 1, "circle"), "detected");
    rows = opennessThrough({});
    EXPECT_EQ(fieldOf(rows, 1, "circle"), "detected") << "the default";
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

    const Outcome run = measure({in()});
    EXPECT_TRUE(ended(run, 1, {"1 measured, 5 failed"}));
    const auto rows = tableOf(readBytes(csv()));
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(fieldOf(rows, 1, "error"), "");
    EXPECT_EQ(fieldOf(rows, 1, "circle"), "detected");
    for (std::size_t i = 0; i < circleless.size(); ++i) {
        const std::size_t row = i + 2;
        EXPECT_EQ(fieldOf(rows, row, "file"), in(circleless[i]));
        EXPECT_EQ(fieldOf(rows, row, "error"), "no image circle found; give --circle");
        EXPECT_EQ(fieldOf(rows, row, "openness"), "") << "no figures from a made-up circle";
        EXPECT_EQ(fieldOf(rows, row, "le"), "");
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
