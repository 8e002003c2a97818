// Images by handle, made and destroyed, from C too; BMP files built byte by
// byte here, loaded and compared pixel by pixel (row 0 is the bottom row);
// grey photos told apart by their format, from the loaded image and from
// the headers alone; both savers through the files library's safe save.
#include "bmp_bytes.h"
#include "codec_test_support.h"
#include "grey_photo.h"
#include "image_store.h"
#include "jpeg_test_support.h"
#include "rix.h"
#include "test_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

using namespace codec_test;
using karwen::test::BmpLayout;
using karwen::test::ScratchFolder;
using enum karwen::test::BmpCompression;

extern "C" {
int32_t rixFromCRecordSize(void);
int32_t rixFromCProjOffset(void);
int32_t rixFromCRoundTrip(int32_t width, int32_t height);
}

TEST(Handles, CreateDestroyAndRefuseUnknownHandlesAndImpossibleSizes)
{
    const int32_t h = RixCreate(64, 48);
    ASSERT_GE(h, 1);
    EXPECT_EQ(RixWidth(h), 64);
    EXPECT_EQ(RixHeight(h), 48);
    EXPECT_EQ(RixDestroy(h), 1);
    EXPECT_EQ(RixWidth(h), 0) << "a destroyed handle names no image";
    EXPECT_EQ(RixDestroy(h), 0);
    EXPECT_EQ(RixDestroy(0), 1);
    EXPECT_EQ(RixDestroy(-1), 1);
    EXPECT_EQ(RixDestroy(12345), 0);
    EXPECT_STRNE(RixLastError(), "");
    EXPECT_EQ(RixCreate(0, 10), 0);
    EXPECT_EQ(RixCreate(10, -1), 0);
    EXPECT_EQ(RixCreate(32768, 1), 0);
    EXPECT_EQ(rixFromCRecordSize(), 52);
    EXPECT_EQ(rixFromCProjOffset(), 48);
    EXPECT_EQ(rixFromCRoundTrip(7, 5), 7005);
}

// Freed pixel memory is handed out again (large buffers through the library's
// own cache, small ones through the heap); a new image must not show any of
// what the old one held. Black is 0xff000000 in the library's layout.
TEST(Handles, NewImagesAreBlackWhateverMemoryTheyReuse)
{
    struct Size {
        int32_t w, h;
    };
    for (const Size s : {Size{3, 2}, Size{300, 200}, Size{1500, 1000}}) {
        const std::size_t count = std::size_t(s.w) * std::size_t(s.h);
        for (int round = 0; round < 3; ++round) {
            const int32_t h = RixCreate(s.w, s.h);
            ASSERT_GE(h, 1) << RixLastError();
            const uint32_t* pixels = rix::findImage(h)->data();
            const auto stray = std::find_if(pixels, pixels + count, [](uint32_t p) { return p != 0xff000000u; });
            EXPECT_EQ(stray, pixels + count) << s.w << " x " << s.h << " round " << round << ": pixel "
                                             << (stray - pixels) << " holds " << std::hex << *stray;
            std::fill_n(rix::findImage(h)->data(), count, 0xff123456u);
            RixDestroy(h);
        }
    }
}

namespace {

std::vector<uint8_t> makeBmp(const BmpLayout& s, const std::vector<uint8_t>& pixels)
{
    const std::string file = karwen::test::bmpBytes(s, std::string(pixels.begin(), pixels.end()));
    return {file.begin(), file.end()};
}

// The raw value stored for picture pixel (x, y from the bottom): a palette
// index or a packed pixel, different enough between neighbours to catch
// swapped rows, columns and bit orders.
uint32_t rawValue(int x, int y, int bits)
{
    const uint32_t h = uint32_t(x) * 2654435761u ^ uint32_t(y) * 40503u ^ uint32_t(x * y) * 97u;
    const uint32_t mixed = h ^ (h >> 13) ^ (h >> 7);
    return bits >= 32 ? mixed : mixed & ((1u << bits) - 1);
}

uint32_t opaque(uint32_t rgb) { return 0xff000000u | rgb; }

uint32_t scaled(uint32_t value, uint32_t mask)
{
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const double max = double(mask >> shift);
    return uint32_t(std::lround(double((value & mask) >> shift) * 255.0 / max));
}

uint32_t fromMasks(uint32_t v, const std::array<uint32_t, 4>& m)
{
    return opaque(scaled(v, m[0]) << 16 | scaled(v, m[1]) << 8 | scaled(v, m[2]));
}

std::vector<uint32_t> testPalette(int count)
{
    std::vector<uint32_t> p;
    for (int i = 0; i < count; ++i)
        p.push_back(uint32_t(i * 37 % 256) << 16 | uint32_t(i * 91 % 256) << 8 | uint32_t((i * 53) ^ 0x5a) % 256);
    return p;
}

// Stores raw values row after row in file order, each row padded to 4 bytes.
std::vector<uint8_t> packRows(const BmpLayout& s)
{
    const int h = std::abs(s.height);
    std::vector<uint8_t> out;
    for (int r = 0; r < h; ++r) {
        const int y = s.height < 0 ? h - 1 - r : r;
        std::vector<uint8_t> row;
        uint32_t bitBuffer = 0;
        int bitsHeld = 0;
        for (int x = 0; x < s.width; ++x) {
            const uint32_t v = rawValue(x, y, s.bitCount);
            if (s.bitCount < 8) {
                bitBuffer = bitBuffer << s.bitCount | v;
                bitsHeld += s.bitCount;
                if (bitsHeld == 8) {
                    row.push_back(uint8_t(bitBuffer));
                    bitBuffer = 0;
                    bitsHeld = 0;
                }
            } else {
                for (int byte = 0; byte < s.bitCount / 8; ++byte)
                    row.push_back(uint8_t(v >> (8 * byte)));
            }
        }
        if (bitsHeld > 0)
            row.push_back(uint8_t(bitBuffer << (8 - bitsHeld)));
        while (row.size() % 4)
            row.push_back(0);
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

uint32_t expectedPixel(const BmpLayout& s, uint32_t raw)
{
    if (s.bitCount <= 8)
        return raw < s.palette.size() ? opaque(s.palette[raw]) : 0xff000000u;
    if (s.bitCount == 24)
        return opaque(raw & 0xffffff);
    std::array<uint32_t, 4> masks = s.masks;
    if (s.compression == kRgb)
        masks = s.bitCount == 16 ? std::array<uint32_t, 4>{0x7c00, 0x03e0, 0x001f, 0}
                                 : std::array<uint32_t, 4>{0xff0000, 0xff00, 0xff, 0};
    return fromMasks(raw, masks);
}

void expectPicture(int32_t handle, const BmpLayout& s)
{
    ASSERT_GE(handle, 1) << RixLastError();
    ASSERT_EQ(RixWidth(handle), s.width);
    ASSERT_EQ(RixHeight(handle), std::abs(s.height));
    for (int y = 0; y < std::abs(s.height); ++y)
        for (int x = 0; x < s.width; ++x)
            ASSERT_EQ(pixelAt(handle, x, y), expectedPixel(s, rawValue(x, y, s.bitCount)))
                << "pixel " << x << ", " << y << " (from the bottom)";
}

struct FormatCase {
    const char* name;
    BmpLayout layout;
};

BmpLayout layout(uint32_t header, int bits, uint32_t compression = kRgb, int height = 5, int palette = -1)
{
    BmpLayout s;
    s.headerSize = header;
    s.bitCount = uint16_t(bits);
    s.compression = compression;
    s.height = height;
    if (bits <= 8)
        s.palette = testPalette(palette < 0 ? 1 << bits : palette);
    if (palette >= 0 && header != 12)
        s.colorsUsed = uint32_t(palette);
    return s;
}

BmpLayout withMasks(BmpLayout s, uint32_t r, uint32_t g, uint32_t b)
{
    s.masks = {r, g, b, 0};
    return s;
}

BmpLayout wide(BmpLayout s, int width)
{
    s.width = width;
    return s;
}

const FormatCase kFormats[] = {
    {"Info1", layout(40, 1)},
    {"Info1TopDownWide", wide(layout(40, 1, kRgb, -4), 35)},
    {"Info4", layout(40, 4)},
    {"Info4TopDown", layout(40, 4, kRgb, -6)},
    {"Info8", layout(40, 8)},
    {"Info8ShortPalette", layout(40, 8, kRgb, 5, 200)},
    {"Info4PaletteOfThree", layout(40, 4, kRgb, 5, 3)},
    {"Core1", layout(12, 1)},
    {"Core4", layout(12, 4)},
    {"Core8", layout(12, 8)},
    {"Core24", layout(12, 24)},
    {"Info16Default555", layout(40, 16)},
    {"Info16BitFields565", withMasks(layout(40, 16, kBitFields), 0xf800, 0x07e0, 0x001f)},
    {"Info24", layout(40, 24)},
    {"Info24TopDown", layout(40, 24, kRgb, -5)},
    {"Info32", layout(40, 32)},
    {"Info32BitFields101010", withMasks(layout(40, 32, kBitFields), 0x3ff00000, 0x000ffc00, 0x000003ff)},
    {"Info32AlphaBitFields", withMasks(layout(40, 32, kAlphaBitFields), 0x00ff0000, 0x0000ff00, 0x000000ff)},
    {"V3Info16BitFields444", withMasks(layout(56, 16, kBitFields), 0x0f00, 0x00f0, 0x000f)},
    {"V4BitFields565", withMasks(layout(108, 16, kBitFields), 0xf800, 0x07e0, 0x001f)},
    {"V4Rgb32TopDown", withMasks(layout(108, 32, kRgb, -3), 0x1f, 0x3e0, 0x7c00)},
    {"V5BitFieldsByteSwapped", withMasks(layout(124, 32, kBitFields), 0x0000ff00, 0x00ff0000, 0xff000000)},
    {"V5Rgb24TopDown", layout(124, 24, kRgb, -7)},
    {"V5Palette8", layout(124, 8, kRgb, 4, 256)},
};

class BmpFormats : public ::testing::TestWithParam<FormatCase> { };

TEST_P(BmpFormats, LoadsEveryPixelInPlace)
{
    const BmpLayout& s = GetParam().layout;
    const ScratchFile file(std::string(GetParam().name) + ".bmp", makeBmp(s, packRows(s)));
    expectPicture(OwnedImage(RixLoadBMP(file.path())).id(), s);
}

// Pixel data that stops inside the third stored row: the strict load names
// the damage, the salvaging one keeps the two whole rows and blackens the rest.
TEST_P(BmpFormats, PixelDataCutShortIsDamaged)
{
    const BmpLayout& s = GetParam().layout;
    std::vector<uint8_t> pixels = packRows(s);
    pixels.resize(2 * pixels.size() / std::size_t(std::abs(s.height)) + 1);
    const ScratchFile file(std::string(GetParam().name) + ".bmp", makeBmp(s, pixels));
    const std::string path = file.path();
    EXPECT_EQ(RixLoadBMP(file.path()), 0);
    EXPECT_NE(std::string(RixLastError()).find("damaged BMP data: the pixel data is cut short"), std::string::npos)
        << RixLastError();
    int32_t damaged = -1;
    const OwnedImage image(RixSalvageBMP(file.path(), &damaged));
    ASSERT_GE(image.id(), 1) << RixLastError();
    EXPECT_EQ(damaged, 1);
    EXPECT_NE(std::string(RixLastError()).find("RixSalvageBMP: '" + path + "': damaged BMP data"), std::string::npos)
        << RixLastError();
    const int height = std::abs(s.height);
    for (int stored = 0; stored < height; ++stored) {
        const int y = s.height < 0 ? height - 1 - stored : stored;
        for (int x = 0; x < s.width; ++x)
            ASSERT_EQ(image.at(x, y), stored < 2 ? expectedPixel(s, rawValue(x, y, s.bitCount)) : 0xff000000u)
                << "pixel " << x << ", " << y;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Bmp, BmpFormats, ::testing::ValuesIn(kFormats), [](const auto& test) { return std::string(test.param.name); });

// --- RLE ------------------------------------------------------------------

struct RleCase {
    const char* name;
    bool fourBit;
    int width, height;
    std::vector<uint8_t> data;
    std::vector<std::vector<int>> rows; // palette index per pixel from the bottom row, -1 black
};

const uint32_t kBlack = 0xff000000u;

class BmpRle : public ::testing::TestWithParam<RleCase> { };

// Encoded and absolute runs land in place; pixels no run wrote are black.
TEST_P(BmpRle, RunsLandInPlaceAndUnwrittenPixelsAreBlack)
{
    const RleCase& c = GetParam();
    const BmpLayout s = wide(layout(40, c.fourBit ? 4 : 8, c.fourBit ? kRle4 : kRle8, c.height), c.width);
    const ScratchFile file(std::string(c.name) + ".bmp", makeBmp(s, c.data));
    const OwnedImage image(RixLoadBMP(file.path()));
    ASSERT_GE(image.id(), 1) << RixLastError();
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            const int index = c.rows[y][x];
            EXPECT_EQ(image.at(x, y), index < 0 ? kBlack : opaque(s.palette[index])) << x << ", " << y;
        }
}

const RleCase kRleFiles[] = {
    {"DeltaEndOfLineEndOfBitmap", false, 4, 3, {2, 1, 0, 2, 1, 1, 1, 2, 0, 0, 0, 1},
        {{1, 1, -1, -1}, {-1, -1, -1, 2}, {-1, -1, -1, -1}}},
    // Absolute runs of an odd length are padded to a whole 16-bit word.
    {"Rle8AbsoluteRunsOddAndEven", false, 7, 2, {0, 3, 4, 5, 6, 0, 2, 7, 0, 0, 0, 4, 9, 8, 7, 6, 3, 1, 0, 1},
        {{4, 5, 6, 7, 7, -1, -1}, {9, 8, 7, 6, 1, 1, 1}}},
    {"Rle4AlternatingNibblesAndAbsoluteRuns", true, 6, 3,
        {5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 0, 0, 0, 5, 0x12, 0x34, 0x50, 0, 0, 1},
        {{1, 2, 1, 2, 1, -1}, {3, 4, 5, -1, -1, -1}, {1, 2, 3, 4, 5, -1}}},
    {"RunPastRightEdgeIsClipped", false, 3, 2, {5, 7, 0, 0, 1, 8, 0, 1}, {{7, 7, 7}, {8, -1, -1}}},
    {"MissingEndOfBitmapAfterLastRow", false, 2, 1, {2, 4, 0, 0}, {{4, 4}}},
};

INSTANTIATE_TEST_SUITE_P(
    Bmp, BmpRle, ::testing::ValuesIn(kRleFiles), [](const auto& test) { return std::string(test.param.name); });

// --- Bad files --------------------------------------------------------------

std::vector<uint8_t> good24() { return makeBmp(layout(40, 24), packRows(layout(40, 24))); }

std::vector<uint8_t> patched(std::vector<uint8_t> b, std::size_t at, uint32_t v, int size = 4)
{
    for (int i = 0; i < size; ++i)
        b[at + i] = uint8_t(v >> (8 * i));
    return b;
}

std::vector<uint8_t> withSize(int32_t width, int32_t height, int bits = 24, uint32_t compression = kRgb)
{
    return makeBmp(wide(layout(40, bits, compression, height), width), std::vector<uint8_t>(64, 0));
}

std::vector<uint8_t> packedWithMasks(uint32_t r, uint32_t g, uint32_t b)
{
    const BmpLayout s = withMasks(layout(40, 16, kBitFields), r, g, b);
    return makeBmp(s, packRows(s));
}

// RLE data for an image of width x height pixels.
std::vector<uint8_t> rle(int bits, int width, int height, const std::vector<uint8_t>& data)
{
    return makeBmp(wide(layout(40, bits, bits == 4 ? kRle4 : kRle8, height), width), data);
}

struct BadCase {
    const char* name;
    std::vector<uint8_t> bytes;
};

const BadCase kBadFiles[] = {
    {"Empty", {}},
    {"SignatureOnly", {'B', 'M'}},
    {"WrongMagic", patched(good24(), 0, 'M' | 'B' << 8, 2)},
    {"JpegBytes", {0xff, 0xd8, 0xff, 0xe0, 0, 16, 'J', 'F', 'I', 'F'}},
    {"HeaderSize64", patched(good24(), 14, 64)},
    {"HeaderSizeHuge", patched(good24(), 14, 0xfffffff0u)},
    {"WidthZero", withSize(0, 5)},
    {"WidthNegative", withSize(-13, 5)},
    {"HeightZero", withSize(13, 0)},
    {"Width32768", withSize(32768, 1)},
    {"Height32768TopDown", withSize(1, -32768)},
    {"HeightMinInt", withSize(1, INT32_MIN)},
    {"MaximalSizeTinyFile", withSize(32767, 32767, 32)},
    {"BitCount7", patched(good24(), 28, 7, 2)},
    {"BitCount0", patched(good24(), 28, 0, 2)},
    {"Rle8With24Bits", patched(good24(), 30, kRle8)},
    {"EmbeddedJpeg", patched(good24(), 30, 4)},
    {"UnknownCompression", patched(good24(), 30, 99)},
    {"BitFieldsOn24Bits", patched(good24(), 30, kBitFields)},
    {"NonContiguousMask", packedWithMasks(0xf00f, 0x00f0, 0x0f00)},
    {"Mask16TooWide", packedWithMasks(0xff0000, 0xff00, 0xff)},
    {"OffsetPastEnd", patched(good24(), 10, 100000)},
    {"OffsetIntoHeader", patched(good24(), 10, 20)},
    {"TopDownRle", withSize(13, -5, 8, kRle8)},
    {"RleTooShortForSize", withSize(32767, 32767, 8, kRle8)},
    {"RleRunPastTop", rle(8, 2, 1, {2, 1, 0, 0, 2, 1, 0, 1})},
    {"RleDeltaPastTopThenRun", rle(8, 2, 2, {0, 2, 0, 9, 1, 1, 0, 1})},
    {"RleTruncatedAbsoluteRun", rle(8, 8, 2, {0, 8, 1, 2, 3})},
    {"RleEndsBeforeLastRow", rle(4, 2, 3, {2, 0x11, 0, 0})},
};

class BmpBadFiles : public ::testing::TestWithParam<BadCase> { };

TEST_P(BmpBadFiles, LoadFailsWithMessage)
{
    const ScratchFile file("bad.bmp", GetParam().bytes);
    EXPECT_EQ(RixLoadBMP(file.path()), 0);
    EXPECT_NE(std::string(RixLastError()).find("RixLoadBMP: "), std::string::npos) << RixLastError();
}

INSTANTIATE_TEST_SUITE_P(
    Bmp, BmpBadFiles, ::testing::ValuesIn(kBadFiles), [](const auto& test) { return std::string(test.param.name); });

// RLE data that ends early or overruns the image is damage too; what it
// wrote before is kept by the salvaging load.
TEST(BmpBadFiles, DamagedRleIsNamedAndSalvaged)
{
    for (const int bits : {4, 8}) {
        const ScratchFile file("rle.bmp", rle(bits, 2, 3, {2, 0x11, 0, 0, 0, 2}));
        EXPECT_EQ(RixLoadBMP(file.path()), 0);
        EXPECT_NE(std::string(RixLastError()).find("damaged BMP data: the RLE"), std::string::npos) << RixLastError();
        int32_t damaged = 0;
        const OwnedImage image(RixSalvageBMP(file.path(), &damaged));
        ASSERT_GE(image.id(), 1) << RixLastError();
        EXPECT_EQ(damaged, 1);
        EXPECT_EQ(image.at(1, 0), opaque(testPalette(1 << bits)[bits == 4 ? 1 : 0x11]));
        EXPECT_EQ(image.at(1, 2), 0xff000000u);
    }
}

TEST(BmpBadFiles, EveryTruncationFailsAndLeaksNoHandle)
{
    ScratchFolder folder;
    const std::string path = folder.file("cut.bmp");
    const std::vector<uint8_t> full = good24();
    const int32_t before = karwen::test::probeHandle();
    // The last row may lack its padding; one byte less than that must fail.
    const std::size_t lastPadding = 40 - 13 * 3;
    for (std::size_t n = 0; n < full.size() - lastPadding; ++n) {
        writeBytes(path, std::vector<uint8_t>(full.begin(), full.begin() + std::ptrdiff_t(n)));
        EXPECT_EQ(RixLoadBMP(path.c_str()), 0) << "file cut to " << n << " bytes";
    }
    EXPECT_EQ(RixLoadBMP((path + ".missing").c_str()), 0);
    EXPECT_EQ(RixLoadBMP(folder.path().c_str()), 0) << "a folder is not a file";
    EXPECT_EQ(RixLoadBMP(nullptr), 0);
    EXPECT_EQ(karwen::test::probeHandle(), before + 1) << "failed loads must not consume handles";
}

// --- Saving -----------------------------------------------------------------

TEST(BmpSave, RoundTripIs24BitBottomUpAndExact)
{
    ScratchFolder folder;
    const std::string path = folder.file("Bild_äöü_日本.bmp");
    const OwnedImage src(13, 7, [](int x, int y) { return opaque(rawValue(x, y, 24)); });
    ASSERT_EQ(RixSaveBMP(src.id(), path.c_str()), 1) << RixLastError();
    const std::vector<uint8_t> file = readBytes(path);
    ASSERT_EQ(file.size(), 54u + 40u * 7u);
    EXPECT_EQ(file[28], 24);                          // bits per pixel
    EXPECT_EQ(file[22] | file[23] << 8, 7);           // positive height: bottom-up
    EXPECT_EQ(file[54], uint8_t(rawValue(0, 0, 24))); // first stored byte: blue of the bottom-left pixel
    const OwnedImage back(RixLoadBMP(path.c_str()));
    ASSERT_GE(back.id(), 1) << RixLastError();
    EXPECT_EQ(back.pixels(), src.pixels());
}

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

namespace fs = std::filesystem;

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
