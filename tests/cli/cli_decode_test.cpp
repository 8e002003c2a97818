// convert --decode: refused values, the line it leaves in the folder's
// settings record, the folders it continues or refuses, and the full photo
// for a view that needs every pixel.
#include "cli_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace karwen::test;

namespace {

class Decode : public CliRun {
protected:
    // A 800 x 600 photo of fine stripes inside a disc of radius 240, read
    // through that circle: a small result leaves several of its pixels
    // under each of its own.
    void stripes()
    {
        ASSERT_TRUE(paintPhoto(dir / "in" / "s.jpg", 800, 600, [](int x, int y) {
            const int dx = x - 400, dy = y - 300;
            const uint8_t level = uint8_t(((x / 3 + y / 5) % 2) ? 220 : 40);
            return dx * dx + dy * dy <= 240 * 240 ? packRgb(level, level, level) : packRgb(0, 0, 0);
        }));
    }

    [[nodiscard]] test_support::Outcome run(const std::string& folder, std::vector<std::string> args) const
    {
        args.insert(args.begin(), {KARWEN_CLI, "convert", "-o", (dir / folder).string(), "--circle", "400,300,240"});
        args.push_back(in());
        return test_support::runProgram(args);
    }

    [[nodiscard]] std::string result(const std::string& folder) const { return readBytes(dir / folder / "s-kw.jpg"); }
    [[nodiscard]] std::string record(const std::string& folder) const
    {
        return readBytes(dir / folder / ".karwen-convert");
    }
};

} // namespace

TEST_F(Decode, RefusesValuesOtherThanAutoAndFull)
{
    stripes();
    for (const char* bad : {"half", "1/2", "ful"}) {
        const test_support::Outcome r = run("out", {"--decode", bad});
        EXPECT_TRUE(ended(r, 2, {"--decode: \"" + std::string(bad) + "\" is neither auto nor full"})) << bad;
    }
    EXPECT_TRUE(ended(run("out", {"--decode", ""}), 2, {"--decode: the value is empty"}));
    EXPECT_FALSE(fs::exists(out()));
    EXPECT_TRUE(ended(run("out", {"--decode", "FULL"}), 0));
}

TEST_F(Decode, RecordsAutoAndLeavesFullUnrecorded)
{
    stripes();
    ASSERT_TRUE(ended(run("auto", {"--size", "64x64"}), 0));
    ASSERT_TRUE(ended(run("full", {"--size", "64x64", "--decode", "full"}), 0));
    EXPECT_TRUE(has(record("auto"), "\n--quality 75\n--decode auto\n"));
    EXPECT_FALSE(has(record("full"), "--decode"));
    // 240 / 32 = 7.5 pixels a pixel: decoded at 1/4, the stripes come out
    // otherwise.
    EXPECT_NE(result("auto"), result("full"));

    // Each continues as it was made; another choice is refused.
    EXPECT_TRUE(ended(run("auto", {"--size", "64x64"}), 0, {"0 converted, 1 skipped"}));
    EXPECT_TRUE(ended(run("auto", {"--size", "64x64", "--decode", "full"}), 2,
        {"were made with other settings (--decode not given here, auto there)"}));
    EXPECT_TRUE(ended(run("full", {"--size", "64x64", "--decode", "auto"}), 2,
        {"were made with other settings (--decode auto here, not recorded there)"}));
    const test_support::Outcome resumed = run("full", {"--size", "64x64"});
    EXPECT_TRUE(ended(resumed, 0,
        {"were made from photos decoded in full, so this run decodes in full too (--decode full).",
            "0 converted, 1 skipped"}));
    EXPECT_EQ(linesWith(resumed.output, "decoded in full").size(), 1u);
    EXPECT_FALSE(has(record("full"), "--decode"));

    // Replacing them, the run's own choice holds and is recorded.
    EXPECT_TRUE(ended(run("full", {"--size", "64x64", "--decode", "auto", "--overwrite"}), 0));
    EXPECT_TRUE(has(record("full"), "--decode auto\n"));
    EXPECT_EQ(result("full"), result("auto"));
}

// Zoomed in on the centre, one result pixel is less than one of the photo's:
// the photo is decoded in full, and the result is that of --decode full.
TEST_F(Decode, PerspectiveViewThatNeedsEveryPixelGetsTheFullPhoto)
{
    stripes();
    const std::vector<std::string> zoomed{
        "--size", "64x64", "--dst-projection", "perspective", "--dst-circle", "32,32,200"};
    std::vector<std::string> full = zoomed;
    full.insert(full.end(), {"--decode", "full"});
    ASSERT_TRUE(ended(run("auto", zoomed), 0));
    ASSERT_TRUE(ended(run("full", full), 0));
    EXPECT_EQ(result("auto"), result("full"));
}

// A photo that cannot be read is told of in the same words either way.
TEST_F(Decode, UnreadablePhotosFailAlikeEitherWay)
{
    stripes();
    const std::string whole = readBytes(in("s.jpg"));
    writeBytes(in("s.jpg"), whole.substr(0, whole.size() / 2));
    writeBytes(in("t.jpg"), "not a JPEG at all");
    const test_support::Outcome scaled = run("auto", {"--size", "64x64", "-q", "-j", "1"});
    const test_support::Outcome full = run("full", {"--size", "64x64", "-q", "-j", "1", "--decode", "full"});
    EXPECT_TRUE(ended(scaled, 1, {"s.jpg\": damaged JPEG data.", "t.jpg\": the file is cut short or is not"}));
    EXPECT_EQ(scaled.output, full.output);
}
