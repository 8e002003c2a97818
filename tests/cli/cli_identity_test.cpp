// karwen-cli gives the window's batch results, byte for byte: the batch
// core run with the settings the batch dialog makes from the same values.
#include "cli_fixture.h"

#include "batch_run.h"
#include "mdl_karwen.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace karwen;
using karwen::test::CliRun;
using karwen::test::Disc;
using karwen::test::readBytes;

TEST_F(CliRun, ResultsAreThoseOfTheWindowsBatch)
{
    // A fisheye disc off the middle, the shipped sample and a BMP.
    const Disc disc{130, 70, 60};
    ASSERT_TRUE(test::writePhoto(dir / "in" / "disc.jpg", 300, 200, test::packRgb(200, 120, 40), &disc));
    fs::copy_file(fs::path(KARWEN_SAMPLES_DIR) / "allsky_day.jpg", dir / "in" / "allsky.jpeg");
    const Disc small{80, 60, 50};
    ASSERT_TRUE(test::writePhoto(dir / "in" / "small.bmp", 160, 120, test::packRgb(10, 200, 90), &small));

    struct Case {
        const char* what;
        std::vector<std::string> args;
        // As the batch dialog holds them: the source circle, the reference
        // point (single precision), the destination side.
        ProjectionRecord src;
        float refX, refY;
        bool findCircle;
        ProjectionRecord dst;
        int32_t w, h, interp, quality;
        const char* ext;
    };
    const Case cases[] = {
        {"window's defaults: each photo's circle, looking up", {}, {0, 0, 0, 0, 0, 0, kEquidistant}, 0, 0, true,
            {256, 256, 256, 0, 0, 0, kOrthographic}, 512, 512, 0, kJpegQuality, "jpg"},
        {"circle, view point and tilt given, perspective, cubic, BMP",
            {"--circle", "130.5,70,75", "--view", "150,95.25", "--tilt", "-30", "--src-projection", "Stereographic",
                "--dst-projection", "PERSPECTIVE", "--size", "120x90", "--dst-circle", "60,45,40", "--interp", "cubic",
                "--format", "bmp"},
            {130.5, 70, 75, 0, 0, -30, kStereographic}, 150.0f, 95.25f, false, {60, 45, 40, 0, 0, 0, kPerspective}, 120,
            90, 2, kJpegQuality, "bmp"},
        {"found circle with a tilt, equisolid, bilinear",
            {"--detect-circle", "--tilt", "45", "--src-projection", "equisolid", "--dst-projection", "equidistant",
                "--size", "101x77", "--interp", "bilinear", "--quality", "93"},
            {0, 0, 0, 0, 0, 45, kEquisolidangle}, 0, 0, true, {50.5, 38.5, 38.5, 0, 0, 0, kEquidistant}, 101, 77, 1, 93,
            "jpg"},
    };
    initGlobals();
    for (const Case& c : cases) {
        fs::remove_all(dir / "out");
        fs::remove_all(dir / "window");
        std::vector<std::string> args = c.args;
        args.push_back(in());
        const test_support::Outcome run = convert(args);
        ASSERT_EQ(run.exitCode, 0) << c.what << "\n" << run.output;

        // The batch dialog's start: its globals into the batch settings.
        SrcPrm = c.src;
        if (!c.findCircle) {
            RefX = c.refX;
            RefY = c.refY;
            ref2angle();
        }
        const BatchSettings settings{SrcPrm, c.dst, c.w, c.h, c.interp, c.findCircle, c.quality};
        fs::create_directories(dir / "window");
        const BatchJob job{in(), (dir / "window").string(), "-kw", c.ext, {"allsky.jpeg", "disc.jpg", "small.bmp"}, {}};
        const BatchOutcome window = runBatch(job, settings, {});
        ASSERT_EQ(window.converted, 3) << c.what;

        for (const char* name : {"allsky-kw.", "disc-kw.", "small-kw."}) {
            const std::string file = name + std::string(c.ext);
            const std::string mine = readBytes(dir / "out" / file);
            EXPECT_FALSE(mine.empty()) << c.what << ": " << file;
            EXPECT_TRUE(mine == readBytes(dir / "window" / file)) << c.what << ": " << file;
        }
    }
}
