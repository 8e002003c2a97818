// Grey photos among colour ones: measured on their one channel whatever
// --channel says, their rows saying grey; a run over both resumes, and a
// grey photo's row from before grey photos were told apart is measured again.
#include "cli_fixture.h"
#include "grey_photo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace karwen::test;

namespace {

class GreyPhotos : public CliRun {
protected:
    void SetUp() override
    {
        CliRun::SetUp();
        photo("colour.jpg");
        const auto disc
            = [](int x, int y) { return uint8_t((x - 48) * (x - 48) + (y - 40) * (y - 40) <= 32 * 32 ? 180 : 0); };
        const std::vector<uint8_t> jpeg = greyJpeg(96, 80, disc);
        ASSERT_FALSE(jpeg.empty());
        writeBytes(dir / "in" / "grey.jpg", std::string(jpeg.begin(), jpeg.end()));
        writeBytes(dir / "in" / "grey.bmp", greyBmp(96, 80, disc));
    }

    [[nodiscard]] test_support::Outcome measureInto(std::vector<std::string> args) const
    {
        args.insert(args.begin(), {KARWEN_CLI, "measure", "--csv", csv(), "--circle", "48,40,32", "-j", "1"});
        return test_support::runProgram(args);
    }

    // The channel column of the photo's row.
    [[nodiscard]] std::string channelOf(const std::string& photo) const
    {
        const std::string row = rowOf(readBytes(csv()), in(photo));
        for (const char* key : {",blue,", ",luma,", ",grey,"})
            if (has(row, key))
                return std::string(key).substr(1, 4);
        return "none in: " + row;
    }
};

} // namespace

TEST_F(GreyPhotos, AreMeasuredOnTheirOneChannelAndSaySo)
{
    for (const char* channel : {"blue", "luma"}) {
        std::filesystem::remove(csv());
        ASSERT_TRUE(ended(measureInto({in(), "--channel", channel}), 0, {"3 measured"}));
        EXPECT_EQ(channelOf("colour.jpg"), channel);
        EXPECT_EQ(channelOf("grey.jpg"), "grey");
        EXPECT_EQ(channelOf("grey.bmp"), "grey");
    }
    // Grey is no choice of the user's: it is what a grey photo takes.
    EXPECT_TRUE(ended(measureInto({in(), "--channel", "grey", "--overwrite"}), 2, {"is neither blue nor luma"}));
}

TEST_F(GreyPhotos, ARunOverGreyAndColourPhotosResumes)
{
    ASSERT_TRUE(ended(measureInto({in()}), 0));
    const std::string full = readBytes(csv());
    EXPECT_TRUE(ended(measureInto({in(), "--resume"}), 0, {"0 measured, 3 skipped, 0 failed"}));
    EXPECT_EQ(readBytes(csv()), full);

    // A grey photo's row that reads blue is of an older run: measured again.
    std::string older = full;
    const std::string row = rowOf(full, in("grey.jpg"));
    const std::size_t at = older.find(row);
    ASSERT_NE(at, std::string::npos);
    std::string blue = row;
    blue.replace(blue.find(",grey,"), 6, ",blue,");
    older.replace(at, row.size(), blue);
    writeBytes(csv(), older);
    const test_support::Outcome run = measureInto({in(), "--resume"});
    EXPECT_TRUE(ended(run, 0,
        {"Measuring \"" + in("grey.jpg") + "\" again: its row reads channel blue, but the photo is grey.",
            "1 measured, 2 skipped, 0 failed"}));
    EXPECT_EQ(channelOf("grey.jpg"), "grey");
    EXPECT_EQ(readBytes(csv()), full);

    // Other settings are still other settings, grey photo or not.
    EXPECT_TRUE(ended(measureInto({in(), "--resume", "--gamma", "1.5"}), 2, {"was made with other settings"}));
}
