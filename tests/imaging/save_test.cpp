// Both savers hand the whole file to the files library's safe save, whose
// suite covers links, modes, owners, read-only files and other users: here
// each format goes through it, and a failure is named once, after the saver.
#include "codec_test_support.h"
#include "rix.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace fs = std::filesystem;
using codec_test::readBytes;
using codec_test::writeBytes;

namespace {

const std::vector<uint8_t> kOldBytes = {'o', 'l', 'd', ' ', 'p', 'i', 'c'};

class ImageSave : public ::testing::TestWithParam<std::string> {
protected:
    std::string name(const std::string& stem) const { return folder_.file(stem + "." + GetParam()); }
    // Saves a new 24 x 16 image, or the image behind handle, at path in the
    // format under test: "" when saved, else why not.
    std::string save(const std::string& path, int32_t handle = 0) const
    {
        const codec_test::OwnedImage image(24, 16);
        int32_t quality = 75;
        const int32_t h = handle ? handle : image.id();
        const int32_t ok = GetParam() == "jpg" ? RixSaveJPG(h, path.c_str(), &quality) : RixSaveBMP(h, path.c_str());
        return ok ? "" : RixLastError();
    }

    karwen::test::ScratchFolder folder_;
};

TEST_P(ImageSave, WritesTheFileALinkNamesAndRefusesReadOnlyFiles)
{
    const std::string photo = name("photo");
    writeBytes(photo, kOldBytes);
    fs::create_symlink(photo, name("link"));
    ASSERT_EQ(save(name("link")), "");
    EXPECT_TRUE(fs::is_symlink(name("link")));
    const codec_test::OwnedImage back(GetParam() == "jpg" ? RixLoadJPG(photo.c_str()) : RixLoadBMP(photo.c_str()));
    EXPECT_EQ(RixWidth(back.id()), 24);
    EXPECT_EQ(RixHeight(back.id()), 16);

    writeBytes(photo, kOldBytes);
    fs::permissions(photo, fs::perms(0444));
    EXPECT_NE(save(photo).find("is read-only"), std::string::npos);
    EXPECT_EQ(readBytes(photo), kOldBytes);
    EXPECT_EQ(folder_.entries().size(), 2u) << "no temporary file left";
}

TEST_P(ImageSave, FailuresAreNamedOnceAfterTheSaver)
{
    const std::string root = folder_.path().string();
    const std::pair<std::string, int32_t> cases[]
        = {{root + "/no/such/photo." + GetParam(), 0}, {root, 0}, {"", 0}, {name("photo"), 987654}};
    const std::string function = GetParam() == "jpg" ? "RixSaveJPG: " : "RixSaveBMP: ";
    for (const auto& [path, handle] : cases) {
        const std::string message = save(path, handle);
        EXPECT_EQ(message.rfind(function, 0), 0u) << message;
        EXPECT_EQ(message.find(function, 1), std::string::npos) << message;
    }
    EXPECT_NE(save("").find("no file name"), std::string::npos);
    EXPECT_NE(save(name("photo"), 987654).find("invalid handle 987654"), std::string::npos);
    EXPECT_EQ(folder_.entries().size(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ImageSave, ::testing::Values("bmp", "jpg"), [](const auto& test) { return test.param; });

} // namespace
