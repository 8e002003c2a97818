// karwen-cli measure: its CSV holds the canopy library's own figures, one
// line per photo in the list's order whatever the number of jobs, a failed
// photo's line says why; a command line or a CSV path that cannot work
// writes nothing.
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
#include <numbers>
#include <optional>

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
    EXPECT_TRUE(ended(test_support::runProgram({KARWEN_CLI, "measure", "--csv", nowhere, in()}), 1,
        {"Cannot save \"" + nowhere + "\": the folder does not exist"}));
    EXPECT_FALSE(fs::exists(dir / "no such folder"));

    // The CSV named as a photo of the list: the photo stays as it was.
    EXPECT_TRUE(ended(test_support::runProgram({KARWEN_CLI, "measure", "--csv", in("a.jpg"), in()}), 2,
        {"is the photo " + in("a.jpg") + " of this run"}));
    EXPECT_EQ(readBytes(dir / "in" / "a.jpg"), photoBytes);
}
