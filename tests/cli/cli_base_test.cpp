// --base: the results of two named folders whose photos share names below
// them kept apart, convert's and measure's sky images alike; a photo
// outside the base refused before anything is written, and a collision
// that remains told once, naming both photos.
#include "cli_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace karwen;
using namespace karwen::test;

namespace {

class BaseRun : public CliRun {
protected:
    void SetUp() override
    {
        CliRun::SetUp();
        for (const char* folder : {"north/day1", "south/day1"}) {
            std::filesystem::create_directories(dir / "in" / folder);
            photo(std::string(folder) + "/x.bmp");
        }
    }

    [[nodiscard]] std::string sky(const std::string& name = {}) const { return (dir / "sky" / name).string(); }
};

TEST_F(BaseRun, TwoFoldersSameNamedPhotosKeepTheirResultsApart)
{
    struct Case {
        std::string name;
        std::vector<std::string> args;
        std::vector<std::string> results; // below the output folder
    };
    const std::vector<Case> cases = {
        {"convert", {"convert", "-o", "OUT"}, {"north/day1/x-kw.jpg", "south/day1/x-kw.jpg"}},
        {"measure's sky images", {"measure", "--csv", "CSV", "--save-classified", "OUT"},
            {"north/day1/x-sky.png", "south/day1/x-sky.png"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(sky());
        std::vector<std::string> args{KARWEN_CLI};
        for (const std::string& a : c.args)
            args.push_back(a == "OUT" ? sky() : a == "CSV" ? csv() : a);
        args.insert(args.end(), {"-q", "-r", "--base", in(), in("north"), in("south")});
        ASSERT_TRUE(ended(test_support::runProgram(args), 0));
        for (const std::string& result : c.results)
            EXPECT_TRUE(std::filesystem::is_regular_file(sky(result))) << result;
        std::filesystem::remove(csv());
    }
}

TEST_F(BaseRun, WithoutTheBaseACollisionIsToldOnceNamingBothPhotos)
{
    const auto run = convert({"-r", in("north"), in("south")});
    ASSERT_TRUE(ended(run, 1));
    const auto told = linesWith(run.output, "would replace");
    ASSERT_EQ(told.size(), 1u) << run.output;
    EXPECT_TRUE(has(told[0], in("north/day1/x.bmp")));
    EXPECT_TRUE(has(told[0], in("south/day1/x.bmp")));
    EXPECT_TRUE(std::filesystem::is_regular_file(out("day1/x-kw.jpg")));
}

TEST_F(BaseRun, APhotoOutsideTheBaseIsAUsageErrorAndNothingIsWritten)
{
    const auto run = convert({"-r", "--base", in("north"), in("north"), in("south")});
    EXPECT_TRUE(ended(run, 2, {"--base: the photo \"" + in("south/day1/x.bmp") + "\" is not inside"}));
    EXPECT_FALSE(std::filesystem::exists(out())) << "not even the output folder is made";
    const auto sky = test_support::runProgram({KARWEN_CLI, "measure", "--csv", csv(), "--save-classified", out(), "-r",
        "--base", in("south"), in("north"), in("south")});
    EXPECT_TRUE(ended(sky, 2, {"is not inside"}));
    EXPECT_FALSE(std::filesystem::exists(csv()));
    EXPECT_FALSE(std::filesystem::exists(out()));
    // And it takes -r, and measure's --save-classified.
    EXPECT_TRUE(ended(convert({"--base", in(), in("north")}), 2, {"--base: only with -r"}));
    EXPECT_TRUE(ended(test_support::runProgram({KARWEN_CLI, "measure", "--csv", csv(), "-r", "--base", in(), in()}), 2,
        {"--base: only with --save-classified"}));
}

} // namespace
