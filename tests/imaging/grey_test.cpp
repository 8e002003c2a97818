// Grey photos told apart by their format, from the loaded image and from
// the file's headers alone: a JPEG of one component, a BMP of 8 bits or
// fewer whose palette holds only greys; colour files of grey pixels are not.
#include "bmp_bytes.h"
#include "codec_test_support.h"
#include "grey_photo.h"
#include "jpeg_test_support.h"
#include "rix.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

using codec_test::OwnedImage;
using codec_test::writeBytes;
using karwen::test::BmpLayout;
using karwen::test::ScratchFolder;

namespace {

uint8_t ramp(int x, int y) { return uint8_t((x * 7 + y * 3) & 0xff); }

std::vector<uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

// What the loaded image and the file's headers each say: 1 grey, 0 not,
// -1 when the headers could not be read.
struct Told {
    int loaded = -1;
    int file = -1;
};

Told greyness(const ScratchFolder& folder, const std::string& name, const std::vector<uint8_t>& bytes)
{
    const std::string path = folder.file(name);
    writeBytes(path, bytes);
    const bool bmp = name.ends_with(".bmp");
    const OwnedImage image(bmp ? RixLoadBMP(path.c_str()) : RixLoadJPG(path.c_str()));
    Told told;
    told.loaded = image.id() > 0 ? RixIsGrey(image.id()) : -1;
    int32_t grey = -1;
    told.file = RixFileIsGrey(path.c_str(), &grey) == 1 ? grey : -1;
    return told;
}

std::string bmpOfPalette(std::vector<uint32_t> palette, uint16_t bits)
{
    BmpLayout layout;
    layout.width = 8;
    layout.height = 2;
    layout.bitCount = bits;
    layout.palette = std::move(palette);
    return karwen::test::bmpBytes(layout, std::string(16, '\0')); // enough rows for 8 bits
}

} // namespace

TEST(GreyPhotos, AreToldApartByTheirFormat)
{
    ScratchFolder folder;
    const auto greyRgb = [](int x, int y) { return jpeg_test::Pixel{ramp(x, y), ramp(x, y), ramp(x, y), 255}; };
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        int grey;
    };
    const std::vector<Case> cases{
        {"one_component.jpg", karwen::test::greyJpeg(40, 30, ramp), 1},
        {"grey_pixels_in_colour.jpg", jpeg_test::tjEncode(40, 30, greyRgb, TJPF_BGRX, TJSAMP_444), 0},
        {"grey_palette.bmp", bytesOf(karwen::test::greyBmp(40, 30, ramp)), 1},
        {"black_and_white.bmp", bytesOf(bmpOfPalette({0x000000, 0xffffff}, 1)), 1},
        {"short_grey_palette.bmp", bytesOf(bmpOfPalette({0x101010, 0x808080, 0xf0f0f0}, 4)), 1},
        {"one_colour_entry.bmp", bytesOf(bmpOfPalette({0x000000, 0x808080, 0x80807f}, 8)), 0},
        {"grey_pixels_in_24_bits.bmp", bytesOf(karwen::test::bmpBytes(BmpLayout{}, std::string(5 * 40, '\x80'))), 0},
    };
    for (const Case& c : cases) {
        const Told told = greyness(folder, c.name, c.bytes);
        EXPECT_EQ(told.loaded, c.grey) << c.name;
        EXPECT_EQ(told.file, c.grey) << c.name;
    }
    // A made image is no grey photo.
    const OwnedImage made(8, 8);
    EXPECT_EQ(RixIsGrey(made.id()), 0);
}

// The headers may lie far into the file, behind metadata segments of up to
// 64 KiB each: the reading goes on until it finds them.
TEST(GreyPhotos, TheFileIsReadAsFarAsItsHeadersGo)
{
    ScratchFolder folder;
    std::vector<uint8_t> jpeg = karwen::test::greyJpeg(40, 30, ramp);
    std::vector<uint8_t> metadata;
    for (int i = 0; i < 3; ++i) {
        metadata.insert(metadata.end(), {0xff, 0xe1, 0xff, 0xff}); // APP1 of 65535 bytes
        metadata.resize(metadata.size() + 65533, uint8_t('m'));
    }
    jpeg.insert(jpeg.begin() + 2, metadata.begin(), metadata.end());
    EXPECT_EQ(greyness(folder, "metadata_first.jpg", jpeg).file, 1);

    // Headers cut short fail, naming the file; so does what is no file.
    const std::vector<uint8_t> whole = karwen::test::greyJpeg(40, 30, ramp);
    const std::string cut = folder.file("cut.jpg");
    writeBytes(cut, std::vector<uint8_t>(whole.begin(), whole.begin() + 20));
    int32_t grey = -1;
    EXPECT_EQ(RixFileIsGrey(cut.c_str(), &grey), 0);
    EXPECT_NE(std::string(RixLastError()).find(cut), std::string::npos) << RixLastError();
    const std::string fifo = folder.file("fifo.jpg");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(RixFileIsGrey(fifo.c_str(), &grey), 0); // at once, not waiting for a writer
    EXPECT_EQ(RixFileIsGrey(folder.file("absent.jpg").c_str(), &grey), 0);
    EXPECT_EQ(RixFileIsGrey(cut.c_str(), nullptr), 0);
}
