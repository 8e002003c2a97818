// RixLoadJPGScaled and RixJPGSize: the decoder's sizes for odd sides, the
// scaled image's place on the photo, a grey file staying grey, and the
// refusals of bad arguments, damaged files and photos over the pixel limit.
#include "codec_test_support.h"
#include "grey_photo.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using codec_test::OwnedImage;
using karwen::test::ScratchFolder;

namespace {

// 1203 x 901: a left half dark and a right half bright, and a bright top
// band of 96 rows; pixel rows counted from the bottom.
std::string savedPhoto(const ScratchFolder& folder)
{
    const std::string path = folder.file("odd.jpg");
    const OwnedImage image(1203, 901, [](int x, int y) {
        const uint8_t level = y >= 901 - 96 || x >= 600 ? 230 : 20;
        return rix::packRgb(level, level, level);
    });
    int32_t quality = 95;
    EXPECT_EQ(RixSaveJPG(image.id(), path.c_str(), &quality), 1) << RixLastError();
    return path;
}

int level(int32_t handle, int32_t x, int32_t y) { return int(codec_test::pixelAt(handle, x, y) & 0xffu); }

} // namespace

TEST(JpegScaled, SidesAreTheDecodersCeilingsAndTheImageIsPlacedFromTheTop)
{
    ScratchFolder folder;
    const std::string path = savedPhoto(folder);
    int32_t w = 0, h = 0;
    ASSERT_EQ(RixJPGSize(path.c_str(), &w, &h), 1) << RixLastError();
    EXPECT_EQ(w, 1203);
    EXPECT_EQ(h, 901);
    for (const int scale : {1, 2, 4, 8}) {
        const OwnedImage image(RixLoadJPGScaled(path.c_str(), scale));
        ASSERT_GE(image.id(), 1) << RixLastError();
        const int32_t sw = (1203 + scale - 1) / scale, sh = (901 + scale - 1) / scale;
        EXPECT_EQ(RixWidth(image.id()), sw) << scale;
        EXPECT_EQ(RixHeight(image.id()), sh) << scale;
        // The top band is 96 / scale rows below the top edge; the bottom row
        // (part-filled for odd heights) is dark on the left.
        const int band = 96 / scale;
        EXPECT_GT(level(image.id(), 10, sh - band + 1), 200) << scale;
        EXPECT_LT(level(image.id(), 10, sh - band - 2), 50) << scale;
        EXPECT_LT(level(image.id(), 10, 0), 50) << scale;
        // The edge at x = 600 lies at 600 / scale.
        EXPECT_LT(level(image.id(), 600 / scale - 2, 20), 50) << scale;
        EXPECT_GT(level(image.id(), 600 / scale + 1, 20), 200) << scale;
    }
}

// The size is read from the file's first 256 KiB where its header lies
// there, else from the whole file.
TEST(JpegScaled, SizeOfLongFilesAndOfLongHeaders)
{
    ScratchFolder folder;
    std::vector<uint8_t> bytes = codec_test::readBytes(savedPhoto(folder));
    // Five comments of 60000 bytes after the start marker: 300 kB of header.
    std::vector<uint8_t> comment{0xff, 0xfe, 60000 >> 8, 60000 & 0xff};
    comment.resize(60002, 'c');
    for (int i = 0; i < 5; ++i)
        bytes.insert(bytes.begin() + 2, comment.begin(), comment.end());
    const codec_test::ScratchFile longHeader("long_header.jpg", bytes);
    int32_t w = 0, h = 0;
    ASSERT_EQ(RixJPGSize(longHeader.path(), &w, &h), 1) << RixLastError();
    EXPECT_EQ(w, 1203);
    EXPECT_EQ(h, 901);
    const std::string real = codec_test::photoPath(KARWEN_REAL_DATA_DIR, "broadleaf_dusk_fce9.jpg");
    if (real.empty())
        GTEST_SKIP() << "the real photos are not here";
    ASSERT_EQ(RixJPGSize(real.c_str(), &w, &h), 1) << RixLastError();
    EXPECT_EQ(w, 2560);
    EXPECT_EQ(h, 1920);
}

TEST(JpegScaled, AGreyFileStaysGrey)
{
    const codec_test::ScratchFile grey(
        "grey.jpg", karwen::test::greyJpeg(40, 30, [](int x, int y) { return uint8_t(4 * x + y); }));
    const OwnedImage image(RixLoadJPGScaled(grey.path(), 4));
    ASSERT_GE(image.id(), 1) << RixLastError();
    EXPECT_EQ(RixIsGrey(image.id()), 1);
}

TEST(JpegScaled, RefusesBadArgumentsDamageAndPhotosOverTheLimit)
{
    ScratchFolder folder;
    const std::string path = savedPhoto(folder);
    for (const int scale : {0, 3, 16, -2}) {
        EXPECT_EQ(RixLoadJPGScaled(path.c_str(), scale), 0) << scale;
        EXPECT_NE(std::string(RixLastError()).find("no such decoding scale"), std::string::npos) << RixLastError();
    }
    int32_t w = 0, h = 0;
    EXPECT_EQ(RixJPGSize(path.c_str(), nullptr, &h), 0);
    EXPECT_EQ(RixJPGSize(nullptr, &w, &h), 0);
    EXPECT_EQ(RixLoadJPGScaled(nullptr, 2), 0);

    // Cut in half: damaged, as RixLoadJPG says.
    std::vector<uint8_t> bytes = codec_test::readBytes(path);
    bytes.resize(bytes.size() / 2);
    const codec_test::ScratchFile cut("cut.jpg", bytes);
    EXPECT_EQ(RixLoadJPGScaled(cut.path(), 8), 0);
    const std::string scaledError = RixLastError();
    EXPECT_EQ(RixLoadJPG(cut.path()), 0);
    EXPECT_EQ(scaledError.substr(scaledError.find(": ")), std::string(RixLastError()).substr(10)); // after "RixLoadJPG"
    EXPECT_NE(scaledError.find("damaged JPEG data"), std::string::npos) << scaledError;
    const codec_test::ScratchFile text("text.jpg", {'n', 'o'});
    EXPECT_EQ(RixJPGSize(text.path(), &w, &h), 0);

    // The limit is the file's pixels, not the scaled image's.
    ASSERT_EQ(RixSetMaxPixels(1203 * 901 - 1), 1);
    EXPECT_EQ(RixLoadJPGScaled(path.c_str(), 8), 0);
    EXPECT_NE(std::string(RixLastError()).find("too large: 1203 x 901 pixels"), std::string::npos) << RixLastError();
    ASSERT_EQ(RixSetMaxPixels(0), 1);
}
